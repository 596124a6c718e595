// Bringing a translation up to date with a newer reference source: the line
// numbers the reference has beyond the translation's highest become lines
// appended to the translation's source, copied from the reference with
// their comments. Nothing the translator wrote is changed. No file access.

#ifndef PARLAVOX_COMPILER_SOURCE_UPDATE_H_
#define PARLAVOX_COMPILER_SOURCE_UPDATE_H_

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "compiler/entry_table.h"

namespace parlavox {

// The line that introduces the lines copied from the reference.
inline constexpr std::string_view kNewInReferenceLine =
    "// New in the reference, to be translated:";

// An added line whose text holds bytes above 127 while the reference's
// Charset differs from the translation's.
struct CharsetRisk {
  std::uint64_t lineNumber = 0;
  std::size_t physicalLine = 0;  // in the updated source
};

struct SourceUpdate {
  // The bytes to append to the translation's source; empty when it is up
  // to date.
  std::string appended;
  // The entry lines in `appended`: line numbers firstAdded onwards.
  std::uint64_t added = 0;
  std::uint64_t firstAdded = 0;
  std::vector<CharsetRisk> charsetRisks;
};

// The update of `translation`'s source from `reference`. Added lines read
// "N | TEXT // COMMENT" as the reference has them and end with the line end
// the source uses (its first; CR LF when it has none); one goes first where
// the source does not end in a line end.
SourceUpdate updateFromReference(const EntryTable& translation,
                                 const EntryTable& reference);

// The line end `source` uses first: CR LF, CR or LF; CR LF when it has none.
std::string_view lineEndOf(std::string_view source);

}  // namespace parlavox

#endif  // PARLAVOX_COMPILER_SOURCE_UPDATE_H_
