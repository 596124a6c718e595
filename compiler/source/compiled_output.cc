#include "compiler/source/compiled_output.h"

#include <algorithm>

#include "compiler/source/messages.h"
#include "compiler/source/source_encoding.h"

namespace parlavox {

namespace {

constexpr std::string_view kShielded = ":\\\\";

// The first ":\\" of `text` from `at`, one that is found there, that starts
// a character of the double-byte `page`: a ":" can be the second byte of a
// character there. Texts start at a character.
std::size_t shieldedInCharacters(std::string_view text, std::size_t at,
                                 const CodePage& page) {
  std::size_t character = 0;
  for (; at != std::string_view::npos; at = text.find(kShielded, at + 1)) {
    while (character < at) {
      const auto byte = static_cast<unsigned char>(text[character]);
      character += isLeadByte(page, byte) ? 2 : 1;
    }
    if (character == at) return at;
  }
  return at;
}

// Hands `take` the compiled form of `text`, as forEachCompiledPiece does,
// where only a ":\\" that starts a character of `page` counts.
template <typename Take>
void forEachPieceInCharacters(std::string_view text, const CodePage& page,
                              Take&& take) {
  for (std::size_t at = text.find(kShielded); at != std::string_view::npos;
       at = text.find(kShielded)) {
    at = shieldedInCharacters(text, at, page);
    if (at == std::string_view::npos) break;
    take(text.substr(0, at + 1));
    take(std::string_view("//"));
    text.remove_prefix(at + kShielded.size());
  }
  take(text);
  take(std::string_view("\r\n"));
}

}  // namespace

bool CompiledOutput::put(std::uint64_t slot, std::string_view text,
                         std::size_t line) {
  if (unmappable_) return true;
  if (slot == 0) {
    const CodePage* page = codePageNamed(text);
    if (unicode_ && page != nullptr) {
      convertTo_ = page;
      charset_ = charsetNamed(text);
    } else if (!unicode_ && page != nullptr && page->doubleByte) {
      characters_ = page;
    }
  }
  const auto write = [&](std::string_view piece) { writer_->write(piece); };
  if (convertTo_ != nullptr) {
    forEachCompiledPiece(text,
                         [&](std::string_view piece) { pending_ += piece; });
    pieceEnds_.push_back({pending_.size(), slot, line});
    if (pending_.size() >= kBatchSize) convert();
  } else if (characters_ != nullptr) {
    forEachPieceInCharacters(text, *characters_, write);
  } else {
    forEachCompiledPiece(text, write);
  }
  return true;
}

void CompiledOutput::finish() {
  if (convertTo_ != nullptr && !unmappable_) convert();
}

void CompiledOutput::convert() {
  encoded_.clear();
  const Encoded result = encodeFromUtf8(*convertTo_, pending_, &encoded_);
  if (!result.ok) {
    const PieceEnd& piece = *std::upper_bound(
        pieceEnds_.begin(), pieceEnds_.end(), result.unmappableOffset,
        [](std::size_t offset, const PieceEnd& end) {
          return offset < end.end;
        });
    unmappable_ = SourceFault{
        messages::unmappableCharacter(result.unmappable, piece.slot - 1,
                                      convertTo_->name, charset_->value),
        piece.line};
    unmappableSlot_ = piece.slot;
    writer_->abandon();
  } else {
    writer_->write(encoded_);
  }
  pending_.clear();
  pieceEnds_.clear();
}

}  // namespace parlavox
