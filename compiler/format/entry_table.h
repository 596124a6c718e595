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

#include "compiler/files/file_results.h"

namespace parlavox {

class EntryTable {
 public:
  EntryTable() = default;

  // Number of slots: the Charset slot and one per line number 0..highest.
  std::size_t size() const { return slots_.size(); }

  // The text in `slot`; empty where the slot has no entry.
  std::string_view operator[](std::size_t slot) const {
    const Span span = slots_[slot];
    return source_.view().substr(span.offset, span.length);
  }

  // Number of line numbers, 0 to the highest: the compiled strings after
  // the Charset value.
  std::size_t lineCount() const {
    return slots_.empty() ? 0 : slots_.size() - 1;
  }

  // The comment after `slot`'s text, without the "//" and trimmed of spaces;
  // empty where there is none or the slot is empty.
  std::string_view comment(std::size_t slot) const;

  // The source the table was parsed from, byte for byte.
  std::string_view source() const { return source_.view(); }

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

  // The slots' spans, in 32-bit fields for a source under 4 GB, which halves
  // the table beside the source, else in 64-bit ones. A new slot is empty.
  class Spans {
   public:
    explicit Spans(std::size_t sourceSize = 0)
        : wide_(sourceSize > UINT32_MAX) {}

    std::size_t size() const {
      return (wide_ ? wideFields_.size() : narrowFields_.size()) / 2;
    }
    bool empty() const { return size() == 0; }

    Span operator[](std::size_t slot) const {
      if (wide_) return {wideFields_[2 * slot], wideFields_[2 * slot + 1]};
      return {narrowFields_[2 * slot], narrowFields_[2 * slot + 1]};
    }

    void set(std::size_t slot, Span span) {
      if (wide_) {
        wideFields_[2 * slot] = span.offset;
        wideFields_[2 * slot + 1] = span.length;
      } else {
        narrowFields_[2 * slot] = static_cast<std::uint32_t>(span.offset);
        narrowFields_[2 * slot + 1] = static_cast<std::uint32_t>(span.length);
      }
    }

    void resize(std::size_t count) {
      if (wide_) {
        wideFields_.resize(2 * count);
      } else {
        narrowFields_.resize(2 * count);
      }
    }

    // Room for `count` slots without moving: the table then never stands twice
    // in memory while it grows.
    void reserve(std::size_t count) {
      if (wide_) {
        wideFields_.reserve(2 * count);
      } else {
        narrowFields_.reserve(2 * count);
      }
    }

   private:
    bool wide_;
    std::vector<std::uint32_t> narrowFields_;
    std::vector<std::uint64_t> wideFields_;
  };

  FileText source_;
  Spans slots_;
};

// The 1-based physical line that byte `offset` of `text` stands on; CR LF,
// a lone CR and a lone LF each end one line.
std::size_t physicalLineAt(std::string_view text, std::size_t offset);

}  // namespace parlavox

#endif  // PARLAVOX_COMPILER_ENTRY_TABLE_H_
