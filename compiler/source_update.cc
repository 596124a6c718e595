#include "compiler/source_update.h"

#include <algorithm>

#include "compiler/encodings/code_pages.h"
#include "compiler/encodings/utf16.h"
#include "compiler/format/decimal.h"
#include "compiler/source/source_encoding.h"

namespace parlavox {

namespace {

bool endsInLineEnd(std::string_view source) {
  return !source.empty() && (source.back() == '\r' || source.back() == '\n');
}

bool hasByteAbove127(std::string_view text) {
  return std::any_of(text.begin(), text.end(), [](char c) {
    return static_cast<unsigned char>(c) > 127;
  });
}

std::string_view charsetOf(const EntryTable& table) {
  return table.size() != 0 ? table[0] : "";
}

// Carries the reference's texts over into the form the translation's table
// holds: UTF-8 for a Unicode source, its code page's bytes for an 8-bit one.
class TextCarrier {
 public:
  TextCarrier(const EntryTable& translation, SourceEncoding translationEncoding,
              const EntryTable& reference, SourceEncoding referenceEncoding)
      : toUnicode_(isUnicode(translationEncoding)),
        fromUnicode_(isUnicode(referenceEncoding)),
        readPage_(codePageNamed(charsetOf(reference))),
        writePage_(codePageNamed(charsetOf(translation))) {}

  // Whether texts go over byte for byte: both sources are 8-bit.
  bool bytewise() const { return !toUnicode_ && !fromUnicode_; }

  // Appends `text` of line number `lineNumber` to `*out`; false, with
  // `*refusal` set, where it cannot be carried over.
  bool carry(std::string_view text, std::uint64_t lineNumber, std::string* out,
             std::optional<UpdateRefusal>* refusal) const {
    if (toUnicode_ == fromUnicode_ || !hasByteAbove127(text)) {
      out->append(text);
      return true;
    }
    if (toUnicode_) {
      if (readPage_ == nullptr) {
        *refusal = {
            UpdateRefusal::Kind::kReferenceNotReadable, lineNumber, 0, {}};
        return false;
      }
      out->append(decodeToUtf8(*readPage_, text));
      return true;
    }
    if (writePage_ == nullptr) {
      *refusal = {UpdateRefusal::Kind::kSourceNotWritable, lineNumber, 0, {}};
      return false;
    }
    const Encoded encoded = encodeFromUtf8(*writePage_, text, out);
    if (!encoded.ok) {
      *refusal = {UpdateRefusal::Kind::kNoPlace, lineNumber, encoded.unmappable,
                  writePage_->name};
      return false;
    }
    return true;
  }

 private:
  bool toUnicode_;
  bool fromUnicode_;
  const CodePage* readPage_;
  const CodePage* writePage_;
};

}  // namespace

std::string_view lineEndOf(std::string_view source) {
  const std::size_t at = source.find_first_of("\r\n");
  if (at == std::string_view::npos) return "\r\n";
  if (source[at] == '\n') return "\n";
  return source.substr(at + 1, 1) == "\n" ? "\r\n" : "\r";
}

std::string fileBytesOf(std::string_view text, SourceEncoding encoding) {
  if (encoding != SourceEncoding::kUtf16Le &&
      encoding != SourceEncoding::kUtf16Be) {
    return std::string(text);
  }
  // A table's text is well-formed UTF-8, so there is always a conversion.
  return utf16Bytes(utf16FromUtf8(text).value_or(u""),
                    encoding == SourceEncoding::kUtf16Be);
}

std::string_view markBytesOf(SourceEncoding encoding, ByteOrderMark mark) {
  if (mark == ByteOrderMark::kNone) return {};
  switch (encoding) {
    case SourceEncoding::kUtf8:
      return "\xEF\xBB\xBF";
    case SourceEncoding::kUtf16Le:
      return "\xFF\xFE";
    case SourceEncoding::kUtf16Be:
      return "\xFE\xFF";
    case SourceEncoding::kEightBit:
      break;
  }
  return {};
}

SourceUpdate updateFromReference(const EntryTable& translation,
                                 const EntryTable& reference) {
  return updateFromReference(translation, SourceEncoding::kEightBit, reference,
                             SourceEncoding::kEightBit);
}

SourceUpdate updateFromReference(const EntryTable& translation,
                                 SourceEncoding translationEncoding,
                                 const EntryTable& reference,
                                 SourceEncoding referenceEncoding) {
  SourceUpdate update;
  // Slot 0, the Charset value, is the translator's own.
  const std::size_t firstSlot = std::max<std::size_t>(translation.size(), 1);
  if (firstSlot >= reference.size()) return update;
  update.firstAdded = firstSlot - 1;
  update.added = reference.size() - firstSlot;

  const TextCarrier carrier(translation, translationEncoding, reference,
                            referenceEncoding);
  const std::string_view source = translation.source();
  const std::string_view lineEnd = lineEndOf(source);
  std::string out;
  if (!endsInLineEnd(source)) out += lineEnd;
  out += kNewInReferenceLine;
  out += lineEnd;

  const bool charsetDiffers =
      carrier.bytewise() && charsetOf(reference) != charsetOf(translation);
  std::size_t firstLine = 0;  // of the first added entry line, once counted
  for (std::size_t slot = firstSlot; slot < reference.size(); ++slot) {
    const std::string_view text = reference[slot];
    appendDecimal(&out, slot - 1);
    out += " | ";
    if (!carrier.carry(text, slot - 1, &out, &update.refusal)) return update;
    const std::string_view comment = reference.comment(slot);
    if (!comment.empty()) {
      out += " // ";
      if (!carrier.carry(comment, slot - 1, &out, &update.refusal)) {
        return update;
      }
    }
    out += lineEnd;
    if (charsetDiffers && hasByteAbove127(text)) {
      // Counting lines costs a pass over the source, so only where needed.
      if (firstLine == 0) {
        firstLine = physicalLineAt(source, source.size()) +
                    (endsInLineEnd(source) ? 0 : 1) + 1;
      }
      update.charsetRisks.push_back({slot - 1, firstLine + slot - firstSlot});
    }
  }
  update.appended = fileBytesOf(out, translationEncoding);
  return update;
}

}  // namespace parlavox
