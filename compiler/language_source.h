// The parser of a language source: numbered lines "12 | Text // comment"
// and one "Charset | value" line, turned into an EntryTable.
//
// Line ends (CR LF, lone CR, lone LF) and "^" all break lines. Up to two
// spaces after each line break are dropped, and runs of up to 128 breaks
// count as one. Lines without a "|", or starting with it, are passed over.
// The parser stops at the first fault, in source order; then it reports the
// lowest line number that has no text.

#ifndef PARLAVOX_COMPILER_LANGUAGE_SOURCE_H_
#define PARLAVOX_COMPILER_LANGUAGE_SOURCE_H_

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "compiler/entry_table.h"
#include "compiler/text_file.h"

namespace parlavox {

// A fault in a language source: the message for the translator and the
// 1-based physical line it belongs to (0 when it belongs to no one line).
struct SourceFault {
  std::string message;
  std::size_t line = 0;
};

// Either the table of a well-numbered source or its first fault.
struct ParseResult {
  std::optional<EntryTable> table;
  SourceFault fault;

  bool ok() const { return table.has_value(); }
};

// Parses the whole content of a language source, which the table keeps.
// Has no side effects; throws std::bad_alloc when memory runs out.
ParseResult parseLanguageSource(FileText text);

// The same for a copy of `text`.
ParseResult parseLanguageSource(std::string_view text);

// Turns bytes of a source into the UTF-8 that a fault message quotes.
using QuoteFunction = std::function<std::string(std::string_view)>;

// Parses `text` by scanning `scanned` where it is not empty: a copy of the
// same length in which every byte that is part of a longer character is a
// letter, so that its "|", "^" or "\\" bytes never count. The table keeps
// `text`; faults quote `text` through `quote` (as it is when empty).
ParseResult parseLanguageSource(FileText text, FileText scanned,
                                const QuoteFunction& quote);

}  // namespace parlavox

#endif  // PARLAVOX_COMPILER_LANGUAGE_SOURCE_H_
