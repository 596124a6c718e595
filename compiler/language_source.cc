#include "compiler/language_source.h"

#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstring>
#include <string_view>
#include <unordered_set>
#include <utility>
#include <vector>

#include "compiler/messages.h"

namespace parlavox {

// Fills an EntryTable's private parts; only the parser builds tables.
class EntryTableBuilder {
 public:
  using Span = EntryTable::Span;
  using Spans = EntryTable::Spans;

  static EntryTable make(FileText source, Spans slots) {
    EntryTable table;
    table.source_ = std::move(source);
    table.slots_ = std::move(slots);
    return table;
  }
};

namespace {

using Span = EntryTableBuilder::Span;
using Spans = EntryTableBuilder::Spans;

// A run of more line breaks than this leaves empty lines behind.
constexpr std::uint64_t kBreaksMergedIntoOne = 128;
// Spaces dropped after each line break.
constexpr int kSpacesDroppedAfterBreak = 2;

bool isBreak(char c) { return c == '\r' || c == '\n' || c == '^'; }

// The first line break in `text` at or after `from`, or its size. Looks at
// eight bytes at a time, as most of a source lies between breaks.
std::size_t findBreak(std::string_view text, std::size_t from) {
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
  while (from < text.size() && !isBreak(text[from])) ++from;
  return from;
}

std::string_view trimSpaces(std::string_view s) {
  const std::size_t first = s.find_first_not_of(' ');
  if (first == std::string_view::npos) return {};
  const std::size_t last = s.find_last_not_of(' ');
  return s.substr(first, last - first + 1);
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

// Where the comment of `text[from, to)` starts: the first "//" that is not
// the "//" of a "://" (a web address), or `to` when there is none.
std::size_t commentStart(std::string_view text, std::size_t from,
                         std::size_t to) {
  const std::string_view region = text.substr(0, to);
  for (std::size_t at = region.find("//", from); at != std::string_view::npos;
       at = region.find("//", at + 1)) {
    const bool firstSlashOfAddress = text[at - 1] == ':';
    const bool secondSlashOfAddress =
        at >= 2 && text[at - 2] == ':' && text[at - 1] == '/';
    if (!firstSlashOfAddress && !secondSlashOfAddress) return at;
  }
  return to;
}

enum class NumberKind { kNotNumeric, kInTable, kBeyondTable, kBelowMinusOne };

struct LineNumber {
  NumberKind kind = NumberKind::kNotNumeric;
  std::uint64_t slot = 0;   // kInTable: the slot the text goes into
  std::string_view digits;  // kBeyondTable: the digits, without leading zeros
};

// Reads a trimmed number text: "Charset", or an optional sign and digits.
// Numbers of `tableRoom` and above cannot all be present, so they are kept
// out of the table.
LineNumber readLineNumber(std::string_view text, std::uint64_t tableRoom) {
  if (text == "Charset") return {NumberKind::kInTable, 0, {}};
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
    if (digits == "1") return {NumberKind::kInTable, 0, {}};
    return {NumberKind::kBelowMinusOne, 0, {}};
  }
  constexpr std::size_t kSafeDigits = 19;  // 10^19 - 1 fits in 64 bits
  if (digits.size() > kSafeDigits) {
    return {NumberKind::kBeyondTable, 0, digits};
  }
  std::uint64_t value = 0;
  for (char c : digits) {
    value = value * 10 + static_cast<std::uint64_t>(c - '0');
  }
  if (value >= tableRoom) return {NumberKind::kBeyondTable, 0, digits};
  return {NumberKind::kInTable, value + 1, {}};
}

class Parser {
 public:
  Parser(FileText text, FileText scanned, const QuoteFunction& quote)
      : owner_(std::move(text)),
        scanned_(std::move(scanned)),
        text_(scanned_.empty() ? owner_.view() : scanned_.view()),
        quote_(quote),
        tableRoom_(static_cast<std::uint64_t>(
            std::count(text_.begin(), text_.end(), '|'))),
        slots_(text_.size()) {
    // Every line number in the table has a "|": room for them all at once.
    slots_.reserve(tableRoom_ + 1);
    slots_.resize(1);  // slot 0, the Charset value, always exists
  }

  ParseResult run() {
    const std::size_t size = text_.size();
    std::uint64_t pieceIndex = 0;
    std::size_t begin = 0;  // the first line keeps its leading spaces
    for (;;) {
      const std::size_t end = findBreak(text_, begin);
      if (!takePiece(pieceIndex, begin, end)) return std::move(result_);
      if (end == size) break;
      std::uint64_t breaks = 0;
      std::size_t next = end;
      while (next < size && isBreak(text_[next])) {
        ++breaks;
        ++next;
        for (int s = 0; s < kSpacesDroppedAfterBreak; ++s) {
          if (next < size && text_[next] == ' ') ++next;
        }
      }
      pieceIndex += (breaks + kBreaksMergedIntoOne - 1) / kBreaksMergedIntoOne;
      begin = next;
    }
    complete();
    return std::move(result_);
  }

 private:
  // Files one piece into the table; false when it holds a fault.
  bool takePiece(std::uint64_t index, std::size_t begin, std::size_t end) {
    const std::string_view text(text_);
    const std::string_view piece = text.substr(begin, end - begin);
    const std::size_t bar = piece.find('|');
    if (bar == std::string_view::npos || bar == 0) return true;

    const std::string_view numberText = trimSpaces(piece.substr(0, bar));
    const LineNumber number = readLineNumber(numberText, tableRoom_);
    switch (number.kind) {
      case NumberKind::kNotNumeric:
        return fail(
            messages::delimiterMissing(shieldedForm(quoted(piece)), index),
            begin);
      case NumberKind::kBelowMinusOne:
        return fail(messages::invalidLineNumber(quoted(numberText)), begin);
      case NumberKind::kBeyondTable:
        beyondTable_ = true;
        break;
      case NumberKind::kInTable:
        highestSlot_ = std::max(highestSlot_, number.slot);
        break;
    }

    const std::size_t textBegin = begin + bar + 1;
    const std::size_t textEnd = commentStart(text, textBegin, end);
    const std::string_view entry =
        trimSpaces(text.substr(textBegin, textEnd - textBegin));
    const std::size_t entryOffset =
        entry.empty() ? 0
                      : static_cast<std::size_t>(entry.data() - text.data());

    if (number.kind == NumberKind::kBeyondTable) {
      if (beyondTableFilled_.count(number.digits) != 0) {
        return fail(messages::doubleEntry(quoted(numberText)), begin);
      }
      if (!entry.empty()) beyondTableFilled_.insert(number.digits);
      return true;
    }
    if (number.slot < slots_.size() && slots_[number.slot].length != 0) {
      return fail(messages::doubleEntry(quoted(numberText)), begin);
    }
    if (entry.empty()) return true;
    if (number.slot >= slots_.size()) slots_.resize(number.slot + 1);
    slots_.set(number.slot, Span{entryOffset, entry.size()});
    return true;
  }

  // Checks that every line number from 0 to the highest has a text.
  void complete() {
    slots_.resize(highestSlot_ + 1);
    for (std::size_t slot = 1; slot < slots_.size(); ++slot) {
      if (slots_[slot].length == 0) {
        result_.fault = {messages::entryMissing(slot - 1), 0};
        return;
      }
    }
    // A number beyond the table's room means some lower number is missing.
    if (beyondTable_) {
      result_.fault = {messages::entryMissing(slots_.size() - 1), 0};
      return;
    }
    result_.table =
        EntryTableBuilder::make(std::move(owner_), std::move(slots_));
  }

  // The bytes of the source that `scanned`, a piece of text_, stands for,
  // as a message quotes them.
  std::string quoted(std::string_view scanned) const {
    const std::string_view bytes = owner_.view().substr(
        static_cast<std::size_t>(scanned.data() - text_.data()),
        scanned.size());
    return quote_ ? quote_(bytes) : std::string(bytes);
  }

  bool fail(std::string message, std::size_t offset) {
    result_.fault = {std::move(message), physicalLineAt(text_, offset)};
    return false;
  }

  FileText owner_;
  FileText scanned_;       // empty, or the copy of owner_ that is scanned
  std::string_view text_;  // the bytes scanned: scanned_'s, else owner_'s
  const QuoteFunction& quote_;
  // Line numbers below this fit the table: a source with fewer "|" than
  // that cannot hold every number up to it.
  const std::uint64_t tableRoom_;
  Spans slots_;
  std::uint64_t highestSlot_ = 1;  // the highest line number starts at 0
  bool beyondTable_ = false;
  // Numbers beyond the table's room whose slot holds a text.
  std::unordered_set<std::string_view> beyondTableFilled_;
  ParseResult result_;
};

}  // namespace

ParseResult parseLanguageSource(FileText text) {
  return parseLanguageSource(std::move(text), FileText(), QuoteFunction());
}

ParseResult parseLanguageSource(FileText text, FileText scanned,
                                const QuoteFunction& quote) {
  return Parser(std::move(text), std::move(scanned), quote).run();
}

ParseResult parseLanguageSource(std::string_view text) {
  return parseLanguageSource(FileText(text));
}

}  // namespace parlavox
