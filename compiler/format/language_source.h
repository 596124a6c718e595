// The parser of a language source held whole in memory: numbered lines
// "12 | Text // comment" and one "Charset | value" line, scanned as
// source_scanner.h describes and turned into an EntryTable.

#ifndef PARLAVOX_COMPILER_LANGUAGE_SOURCE_H_
#define PARLAVOX_COMPILER_LANGUAGE_SOURCE_H_

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "compiler/files/file_results.h"
#include "compiler/format/entry_table.h"
#include "compiler/format/source_scanner.h"

namespace parlavox {

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

// Parses `text` by scanning `scanned` where it is not empty: a copy of the
// same length in which every byte that is part of a longer character is a
// letter, so that its "|", "^" or "\\" bytes never count. The table keeps
// `text`; faults quote `text` through `quote` (as it is when empty).
ParseResult parseLanguageSource(FileText text, FileText scanned,
                                const QuoteFunction& quote);

}  // namespace parlavox

#endif  // PARLAVOX_COMPILER_LANGUAGE_SOURCE_H_
