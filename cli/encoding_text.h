// How parlavox-lngc prints the findings of an encoding check, the note on a
// byte-order mark and how a source was read and written.

#ifndef PARLAVOX_CLI_ENCODING_TEXT_H_
#define PARLAVOX_CLI_ENCODING_TEXT_H_

#include <cstddef>
#include <filesystem>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "compiler/format/entry_table.h"
#include "compiler/source/encoding_check.h"
#include "compiler/source/source_file.h"

namespace parlavox {

// How checkEncoding is to take `table`, read from a source in `encoding`.
TableText tableTextOf(const EntryTable& table, SourceEncoding encoding);

// Prints each encoding finding of `table`, compiled from `source` read in
// `encoding` and named for `language` (nullptr: none known), as
// "SOURCE:LINE: warning: ..." ("SOURCE: warning: ..." for one of no line);
// returns how many it printed.
std::size_t warnEncoding(std::ostream& err, const std::string& source,
                         const EntryTable& table, SourceEncoding encoding,
                         const Language* language);

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
