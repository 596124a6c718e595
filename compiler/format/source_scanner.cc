#include "compiler/format/source_scanner.h"

#include <algorithm>
#include <bit>
#include <cstdlib>
#include <cstring>
#include <new>
#include <utility>

#include "compiler/format/messages.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace parlavox {

namespace {

// A run of more line breaks than this leaves empty lines behind.
constexpr std::uint64_t kBreaksMergedIntoOne = 128;
// Spaces dropped after each line break.
constexpr int kSpacesDroppedAfterBreak = 2;

bool isBreak(char c) { return c == '\r' || c == '\n' || c == '^'; }

// The first line break in `text` at or after `from`, or its size. Most of a
// source lies between breaks, so it is searched sixteen bytes at a time
// (eight without SSE2), with no branch per byte.
std::size_t findBreak(std::string_view text, std::size_t from) {
#if defined(__SSE2__)
  const __m128i cr = _mm_set1_epi8('\r');
  const __m128i lf = _mm_set1_epi8('\n');
  const __m128i caret = _mm_set1_epi8('^');
  for (; from + 16 <= text.size(); from += 16) {
    const __m128i bytes =
        _mm_loadu_si128(reinterpret_cast<const __m128i*>(text.data() + from));
    const __m128i found = _mm_or_si128(
        _mm_or_si128(_mm_cmpeq_epi8(bytes, cr), _mm_cmpeq_epi8(bytes, lf)),
        _mm_cmpeq_epi8(bytes, caret));
    const auto mask = static_cast<unsigned>(_mm_movemask_epi8(found));
    if (mask != 0) {
      return from + static_cast<std::size_t>(std::countr_zero(mask));
    }
  }
#else
  if constexpr (std::endian::native == std::endian::little) {
    constexpr std::uint64_t kOnes = 0x0101010101010101ULL;
    // The lowest set high bit marks the first zero byte of `word`.
    auto zeroBytes = [](std::uint64_t word) {
      return (word - kOnes) & ~word & (kOnes << 7);
    };
    for (; from + 8 <= text.size(); from += 8) {
      std::uint64_t word = 0;
      std::memcpy(&word, text.data() + from, 8);
      const std::uint64_t found = zeroBytes(word ^ (kOnes * '\r')) |
                                  zeroBytes(word ^ (kOnes * '\n')) |
                                  zeroBytes(word ^ (kOnes * '^'));
      if (found != 0) {
        return from + static_cast<std::size_t>(std::countr_zero(found) / 8);
      }
    }
  }
#endif
  while (from < text.size() && !isBreak(text[from])) ++from;
  return from;
}

// The first "|" of `piece`, or npos. It mostly follows a short number, so
// the first sixteen bytes are looked at at once before the rest is
// searched.
std::size_t findBar(std::string_view piece) {
  constexpr std::size_t kNear = 16;
#if defined(__SSE2__)
  if (piece.size() >= kNear) {
    const __m128i bytes =
        _mm_loadu_si128(reinterpret_cast<const __m128i*>(piece.data()));
    const auto mask = static_cast<unsigned>(
        _mm_movemask_epi8(_mm_cmpeq_epi8(bytes, _mm_set1_epi8('|'))));
    if (mask != 0) return static_cast<std::size_t>(std::countr_zero(mask));
    return piece.find('|', kNear);
  }
#endif
  return piece.find('|');
}

std::string_view trimSpaces(std::string_view s) {
  while (!s.empty() && s.front() == ' ') s.remove_prefix(1);
  while (!s.empty() && s.back() == ' ') s.remove_suffix(1);
  return s;
}

// The piece as the translator is shown it in a message: web addresses are
// shielded, every "://" reading ":\\".
std::string shieldedForm(std::string_view piece) {
  std::string out(piece);
  for (std::size_t at = out.find("://"); at != std::string::npos;
       at = out.find("://", at + 3)) {
    out[at + 1] = '\\';
    out[at + 2] = '\\';
  }
  return out;
}

// Where the comment of `piece`, from `from` on, starts: the first "//"
// that is not the "//" of a "://" (a web address), or the piece's size when
// there is none. `from` lies past the piece's "|", so there is always a
// byte before a "//".
std::size_t commentStart(std::string_view piece, std::size_t from) {
  const auto startsComment = [&](std::size_t at) {
    const bool firstSlashOfAddress = piece[at - 1] == ':';
    const bool secondSlashOfAddress =
        at >= 2 && piece[at - 2] == ':' && piece[at - 1] == '/';
    return !firstSlashOfAddress && !secondSlashOfAddress;
  };
#if defined(__SSE2__)
  // Sixteen places at a time: each bit of `pairs` a "/" with one after it.
  const __m128i slash = _mm_set1_epi8('/');
  for (; from + 17 <= piece.size(); from += 16) {
    const char* const at = piece.data() + from;
    const __m128i here = _mm_cmpeq_epi8(
        _mm_loadu_si128(reinterpret_cast<const __m128i*>(at)), slash);
    const __m128i next = _mm_cmpeq_epi8(
        _mm_loadu_si128(reinterpret_cast<const __m128i*>(at + 1)), slash);
    for (auto pairs = static_cast<unsigned>(
             _mm_movemask_epi8(_mm_and_si128(here, next)));
         pairs != 0; pairs &= pairs - 1) {
      const std::size_t pair =
          from + static_cast<std::size_t>(std::countr_zero(pairs));
      if (startsComment(pair)) return pair;
    }
  }
#endif
  for (std::size_t at = piece.find("//", from); at != std::string_view::npos;
       at = piece.find("//", at + 1)) {
    if (startsComment(at)) return at;
  }
  return piece.size();
}

enum class NumberKind { kNotNumeric, kInRoom, kBeyondRoom, kBelowMinusOne };

struct LineNumber {
  NumberKind kind = NumberKind::kNotNumeric;
  std::uint64_t slot = 0;   // kInRoom: the slot the text goes into
  std::string_view digits;  // kBeyondRoom: the digits, without leading zeros
};

// Reads a trimmed number text: "Charset", or an optional sign and digits.
LineNumber readLineNumber(std::string_view text, std::uint64_t room) {
  if (text == "Charset") return {NumberKind::kInRoom, 0, {}};
  const bool negative = !text.empty() && text.front() == '-';
  std::string_view digits = text;
  if (!digits.empty() && (digits.front() == '-' || digits.front() == '+')) {
    digits.remove_prefix(1);
  }
  if (digits.empty() || !std::all_of(digits.begin(), digits.end(), [](char c) {
        return c >= '0' && c <= '9';
      })) {
    return {};
  }
  digits.remove_prefix(std::min(digits.find_first_not_of('0'), digits.size()));
  if (negative && !digits.empty()) {
    if (digits == "1") return {NumberKind::kInRoom, 0, {}};
    return {NumberKind::kBelowMinusOne, 0, {}};
  }
  constexpr std::size_t kSafeDigits = 19;  // 10^19 - 1 fits in 64 bits
  if (digits.size() > kSafeDigits) {
    return {NumberKind::kBeyondRoom, 0, digits};
  }
  std::uint64_t value = 0;
  for (char c : digits) {
    value = value * 10 + static_cast<std::uint64_t>(c - '0');
  }
  if (value >= room) return {NumberKind::kBeyondRoom, 0, digits};
  return {NumberKind::kInRoom, value + 1, {}};
}

constexpr std::uint64_t kBitsPerWord = 64;

}  // namespace

SourceScanner::Bytes::~Bytes() { std::free(data_); }

void SourceScanner::Bytes::append(std::string_view bytes) {
  if (bytes.empty()) return;
  if (bytes.size() > capacity_ - size_) {
    constexpr std::size_t kSmallest = 256;
    const std::size_t wanted =
        std::max({size_ + bytes.size(), capacity_ + capacity_ / 2, kSmallest});
    // realloc moves large blocks by remapping their pages, not copying them.
    void* grown = std::realloc(data_, wanted);
    if (grown == nullptr) throw std::bad_alloc();
    data_ = static_cast<char*>(grown);
    capacity_ = wanted;
  }
  std::memcpy(data_ + size_, bytes.data(), bytes.size());
  size_ += bytes.size();
}

SourceScanner::SourceScanner(EntrySink* sink, std::uint64_t size,
                             QuoteFunction quote)
    : sink_(sink), numberRoom_(size), quote_(std::move(quote)) {}

bool SourceScanner::feed(std::string_view block, std::string_view original) {
  if (stopped_) return false;
  copied_ = original.data() != block.data();
  const bool copied = copied_;
  std::size_t at = 0;
  while (at < block.size()) {
    if (where_ == Where::kBreaks) {
      at = scanBreaks(block, at);
      pieceOffset_ = fed_ + at;
      continue;
    }
    const std::size_t end = findBreak(block, at);
    std::string_view piece = block.substr(at, end - at);
    std::string_view originalPiece = original.substr(at, end - at);
    if (end == block.size()) {
      // The piece goes on in the next block.
      pieceStart_.append(piece);
      if (copied) originalStart_.append(originalPiece);
      break;
    }
    if (!pieceStart_.empty()) {
      pieceStart_.append(piece);
      piece = pieceStart_.view();
      if (copied) originalStart_.append(originalPiece);
      originalPiece = copied ? originalStart_.view() : piece;
    }
    if (!takePiece(piece, originalPiece, pieceOffset_)) return false;
    pieceStart_.clear();
    originalStart_.clear();
    where_ = Where::kBreaks;
    breaks_ = 0;
    at = end;
  }
  fed_ += block.size();
  return true;
}

ScanResult SourceScanner::finish() {
  if (stopped_) return result_;
  // A source that ends in breaks ends in an empty piece, which holds nothing.
  const std::string_view original =
      copied_ ? originalStart_.view() : pieceStart_.view();
  if (where_ == Where::kPiece &&
      !takePiece(pieceStart_.view(), original, pieceOffset_)) {
    return result_;
  }
  complete();
  return result_;
}

// Goes through a run of breaks, and the spaces each may drop, from `at`:
// returns where the next piece starts, or the block's size when the run may
// go on in the next block. Counts the physical lines as it goes, a CR LF
// as one line end, as pieces hold no CR or LF.
std::size_t SourceScanner::scanBreaks(std::string_view block, std::size_t at) {
  // Most runs are one line end, CR LF or LF, before the next line's first
  // byte.
  if (breaks_ == 0 && !crPending_ && block.size() - at >= 3) {
    const std::size_t end =
        block[at] == '\n'
            ? 1
            : (block[at] == '\r' && block[at + 1] == '\n' ? 2 : 0);
    const char next = block[at + end];
    if (end != 0 && next != ' ' && !isBreak(next)) {
      ++lineEnds_;
      ++pieceIndex_;
      where_ = Where::kPiece;
      return at + end;
    }
  }
  for (; at < block.size(); ++at) {
    const char c = block[at];
    if (crPending_) {
      crPending_ = false;
      if (c != '\n') ++lineEnds_;
    }
    if (c == '\r') {
      crPending_ = true;
    } else if (c == '\n') {
      ++lineEnds_;
    } else if (c == ' ' && spacesLeft_ > 0) {
      --spacesLeft_;
      continue;
    } else if (c != '^') {
      pieceIndex_ +=
          (breaks_ + kBreaksMergedIntoOne - 1) / kBreaksMergedIntoOne;
      where_ = Where::kPiece;
      return at;
    }
    ++breaks_;
    spacesLeft_ = kSpacesDroppedAfterBreak;
  }
  return at;
}

// The bytes of `original` that `part`, a part of `piece`, stands for, as a
// message quotes them.
std::string SourceScanner::quoted(std::string_view part, std::string_view piece,
                                  std::string_view original) const {
  const std::string_view bytes = original.substr(
      static_cast<std::size_t>(part.data() - piece.data()), part.size());
  return quote_ ? quote_(bytes) : std::string(bytes);
}

bool SourceScanner::takePiece(std::string_view piece, std::string_view original,
                              std::uint64_t offset) {
  const std::size_t bar = findBar(piece);
  if (bar == std::string_view::npos || bar == 0) return true;

  const std::string_view numberText = trimSpaces(piece.substr(0, bar));
  const LineNumber number = readLineNumber(numberText, numberRoom_);
  switch (number.kind) {
    case NumberKind::kNotNumeric:
      return fail(messages::delimiterMissing(
          shieldedForm(quoted(piece, piece, original)), pieceIndex_));
    case NumberKind::kBelowMinusOne:
      return fail(
          messages::invalidLineNumber(quoted(numberText, piece, original)));
    case NumberKind::kBeyondRoom:
      beyondRoom_ = true;
      break;
    case NumberKind::kInRoom:
      highestSlot_ = std::max(highestSlot_, number.slot);
      break;
  }

  const std::size_t textBegin = bar + 1;
  const std::string_view entry = trimSpaces(
      piece.substr(textBegin, commentStart(piece, textBegin) - textBegin));

  if (number.kind == NumberKind::kBeyondRoom) {
    // Such a number cannot compile; its text matters only to find doubles.
    std::string digits(number.digits);
    if (beyondRoomFilled_.count(digits) != 0) {
      return fail(messages::doubleEntry(quoted(numberText, piece, original)));
    }
    if (!entry.empty()) beyondRoomFilled_.insert(std::move(digits));
    return true;
  }
  if (!markFilled(number.slot, entry.empty())) {
    return fail(messages::doubleEntry(quoted(numberText, piece, original)));
  }
  if (entry.empty()) return true;
  const auto entryAt = static_cast<std::size_t>(entry.data() - piece.data());
  if (!sink_->take(number.slot, original.substr(entryAt, entry.size()),
                   offset + entryAt, lineEnds_ + 1)) {
    result_.status = ScanStatus::kStopped;
    stopped_ = true;
    return false;
  }
  return true;
}

// False when `slot` holds a text already; else marks it as holding one
// unless the new text is `empty`.
bool SourceScanner::markFilled(std::uint64_t slot, bool empty) {
  const std::uint64_t word = slot / kBitsPerWord;
  const std::uint64_t bit = std::uint64_t{1} << (slot % kBitsPerWord);
  if (word >= filled_.size()) {
    if (empty) return true;
    filled_.resize(word + 1);
  }
  if ((filled_[word] & bit) != 0) return false;
  if (!empty) filled_[word] |= bit;
  return true;
}

// Checks that every line number from 0 to the highest has a text.
void SourceScanner::complete() {
  for (std::uint64_t word = 0; word * kBitsPerWord <= highestSlot_; ++word) {
    std::uint64_t holes = word < filled_.size() ? ~filled_[word] : ~0ULL;
    if (word == 0) holes &= ~std::uint64_t{1};  // the Charset is optional
    if (holes == 0) continue;
    const std::uint64_t slot =
        word * kBitsPerWord +
        static_cast<std::uint64_t>(std::countr_zero(holes));
    if (slot > highestSlot_) break;
    result_.status = ScanStatus::kFault;
    result_.fault = {messages::entryMissing(slot - 1), 0};
    return;
  }
  // A number beyond the room means some lower number is missing: the one
  // after the highest within it.
  if (beyondRoom_) {
    result_.status = ScanStatus::kFault;
    result_.fault = {messages::entryMissing(highestSlot_), 0};
    return;
  }
  result_.slotCount = static_cast<std::size_t>(highestSlot_ + 1);
}

bool SourceScanner::fail(std::string message) {
  result_.status = ScanStatus::kFault;
  result_.fault = {std::move(message), lineEnds_ + 1};
  stopped_ = true;
  return false;
}

}  // namespace parlavox
