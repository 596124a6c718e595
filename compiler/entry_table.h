// EntryTable: the strings of one language in slot order. Slot 0 holds the
// Charset value, slot n + 1 the text of line number n. The table owns the
// source text it was parsed from; its strings are views into that text, as
// the translator wrote them (web addresses with "://", comments cut off).

#ifndef PARLAVOX_COMPILER_ENTRY_TABLE_H_
#define PARLAVOX_COMPILER_ENTRY_TABLE_H_

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "compiler/text_file.h"

namespace parlavox {

class EntryTable {
 public:
  EntryTable() = default;

  // Number of slots: the Charset slot and one per line number 0..highest.
  std::size_t size() const { return slots_.size(); }

  // The text in `slot`; empty where the slot has no entry.
  std::string_view operator[](std::size_t slot) const {
    const Span& span = slots_[slot];
    return source_.view().substr(span.offset, span.length);
  }

  // Number of line numbers, 0 to the highest: the compiled strings after
  // the Charset value.
  std::size_t lineCount() const {
    return slots_.empty() ? 0 : slots_.size() - 1;
  }

  // The 1-based physical line of the source on which `slot`'s text stands,
  // or 0 when the slot is empty.
  std::size_t physicalLine(std::size_t slot) const;

  // physicalLine of each of `slots`, in one pass over the source.
  std::vector<std::size_t> physicalLines(
      const std::vector<std::size_t>& slots) const;

 private:
  friend class EntryTableBuilder;

  struct Span {
    std::size_t offset = 0;
    std::size_t length = 0;
  };

  FileText source_;
  std::vector<Span> slots_;
};

// The 1-based physical line that byte `offset` of `text` stands on; CR LF,
// a lone CR and a lone LF each end one line.
std::size_t physicalLineAt(std::string_view text, std::size_t offset);

}  // namespace parlavox

#endif  // PARLAVOX_COMPILER_ENTRY_TABLE_H_
