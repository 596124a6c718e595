// How parlavox-lngc words and prints the findings of an encoding check, the
// note on a byte-order mark and how a source was read and written.

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
#include "compiler/source_file.h"

namespace parlavox {

// One sentence for `finding` that says what to do, for example "the file is
// saved as UTF-8, but Charset 238 expects Windows-1250 (Central European):
// save it in that code page", for a source read in `encoding`.
std::string describeEncodingFinding(
    const EncodingFinding& finding,
    SourceEncoding encoding = SourceEncoding::kUtf8);

// "UTF-8", "UTF-16 LE", "UTF-16 BE" or "8-bit text".
std::string encodingName(SourceEncoding encoding);

// The note that follows a fault in a source read as `file` says: how a
// byte-order mark made it read; empty for a file without one.
std::string byteOrderMarkNote(const SourceFile& file);

// How checkEncoding is to take `table`, read from a source in `encoding`.
TableText tableTextOf(const EntryTable& table, SourceEncoding encoding);

// Prints each encoding finding of `table`, compiled from `source` read in
// `encoding`, as "SOURCE:LINE: warning: ..."; returns how many it printed.
std::size_t warnEncoding(std::ostream& err, const std::string& source,
                         const EntryTable& table, SourceEncoding encoding);

// The same for findings made while `source` was compiled.
std::size_t warnEncoding(std::ostream& err, const std::string& source,
                         const std::vector<EncodingFinding>& findings,
                         SourceEncoding encoding);

// After a fault in the source `file`, given as `source`: prints
// "SOURCE:1: note: ..." when the file starts with a byte-order mark, which
// decided how it was read.
void noteByteOrderMark(std::ostream& err, const std::string& source,
                       const SourceFile& file);

// How `file`, whose table is `table`, was read and is written, for
// --verbose: "read as UTF-8, written in Windows-1250 (Charset 238)".
std::string readingText(const SourceFile& file, const EntryTable& table);

}  // namespace parlavox

#endif  // PARLAVOX_CLI_ENCODING_TEXT_H_
