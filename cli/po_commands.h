// The PO runs of parlavox-lngc: --export-po writes the PO file of each
// SOURCE against the reference, --export-pot the template of each
// reference, --import-po the language source of each PO file; and the load
// of a langNAME.po that a compile checks and writes as it does a source.

#ifndef PARLAVOX_CLI_PO_COMMANDS_H_
#define PARLAVOX_CLI_PO_COMMANDS_H_

#include <filesystem>
#include <functional>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "compiler/compile.h"
#include "compiler/format/entry_table.h"
#include "compiler/po/po_source.h"
#include "compiler/source/source_file.h"

namespace parlavox {

struct PoOptions {
  bool check = false;    // write nothing
  bool verbose = false;  // say what each file holds, and how it is written
  bool strict = false;   // a file with warnings is not written
  bool force = false;    // replace a file that is there already
};

// A file to convert, as the user named it.
struct PoTarget {
  std::string given;
  std::filesystem::path path;
};

// Loads the reference into the table and file given; a status where it
// could not, which ends the run.
using LoadReference =
    std::function<std::optional<int>(EntryTable*, SourceFile*)>;

// Writes langNAME.po beside each langNAME.txt of `sources`, against the
// reference given as `referenceGiven`, which `loadReference` loads while
// the first source is loaded beside it; returns the exit status.
int exportPoFiles(const std::vector<PoTarget>& sources,
                  const std::string& referenceGiven,
                  const LoadReference& loadReference, const PoOptions& options,
                  std::ostream& out, std::ostream& err);

// Writes langNAME.pot beside each reference langNAME.txt of `sources`.
int exportPotFiles(const std::vector<PoTarget>& sources,
                   const PoOptions& options, std::ostream& out,
                   std::ostream& err);

// Writes langNAME.txt beside each langNAME.po of `sources`.
int importPoFiles(const std::vector<PoTarget>& sources,
                  const PoOptions& options, std::ostream& out,
                  std::ostream& err);

// Reads the PO file at `path` into `*table` as the compile of a source
// would, each entry on the physical line of its msgstr; `*file` gets the
// file and the encoding its texts are compiled from. Obsolete entries are
// passed over with a warning in `*warnings`.
CompileResult loadPoTable(const std::filesystem::path& path,
                          std::string_view given, EntryTable* table,
                          SourceFile* file, std::vector<PoWarning>* warnings);

}  // namespace parlavox

#endif  // PARLAVOX_CLI_PO_COMMANDS_H_
