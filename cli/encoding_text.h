// How parlavox-lngc words and prints the findings of an encoding check and
// the note on a byte-order mark.

#ifndef PARLAVOX_CLI_ENCODING_TEXT_H_
#define PARLAVOX_CLI_ENCODING_TEXT_H_

#include <cstddef>
#include <filesystem>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "compiler/encoding_check.h"
#include "compiler/entry_table.h"

namespace parlavox {

// One sentence for `finding` that says what to do, for example "the file is
// saved as UTF-8, but Charset 238 expects Windows-1250 (Central European):
// save it in that code page".
std::string describeEncodingFinding(const EncodingFinding& finding);

// The note that follows a fault in a file starting with `mark`; empty for
// ByteOrderMark::kNone.
std::string byteOrderMarkNote(ByteOrderMark mark);

// Prints each encoding finding of `table`, compiled from `source`, as
// "SOURCE:LINE: warning: ..."; returns how many it printed.
std::size_t warnEncoding(std::ostream& err, const std::string& source,
                         const EntryTable& table);

// The same for findings made while `source` was compiled.
std::size_t warnEncoding(std::ostream& err, const std::string& source,
                         const std::vector<EncodingFinding>& findings);

// After a fault in the language `name` in `folder`, given as `source`:
// prints "SOURCE:1: note: ..." when the file starts with a byte-order mark,
// the usual reason why a source that looks right in an editor fails.
void noteByteOrderMark(std::ostream& err, const std::string& source,
                       const std::filesystem::path& folder,
                       std::string_view name);

}  // namespace parlavox

#endif  // PARLAVOX_CLI_ENCODING_TEXT_H_
