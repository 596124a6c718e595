// The --update run of parlavox-lngc: appends to each SOURCE the line numbers
// the reference has beyond it, copied from the reference, and says what it
// did. It writes no compiled file.

#ifndef PARLAVOX_CLI_UPDATE_H_
#define PARLAVOX_CLI_UPDATE_H_

#include <chrono>
#include <filesystem>
#include <ostream>
#include <string>
#include <vector>

#include "compiler/files/source_append.h"
#include "compiler/format/entry_table.h"
#include "compiler/source/source_file.h"

namespace parlavox {

// A SOURCE to update: as the user named it, its folder and language name.
struct UpdateTarget {
  std::string given;
  std::filesystem::path folder;
  std::string name;
  std::string fileName;  // the source's own name in the folder
};

struct UpdateOptions {
  bool check = false;       // say what would be added, write nothing
  bool strict = false;      // a SOURCE with warnings is not updated
  bool statistics = false;  // count the strings as they are after the update
  // How long to wait for another update of the same SOURCE to end.
  std::chrono::milliseconds lockWait = kUpdateWait;
};

// Updates each of `targets` from `reference`, read in `referenceEncoding`,
// warning as the reference check does and, given `previous`, where a text
// changed since; returns the exit status. Added lines are in each SOURCE's
// own encoding.
int runUpdate(const std::vector<UpdateTarget>& targets,
              const EntryTable& reference, SourceEncoding referenceEncoding,
              const EntryTable* previous, const UpdateOptions& options,
              std::ostream& out, std::ostream& err);

}  // namespace parlavox

#endif  // PARLAVOX_CLI_UPDATE_H_
