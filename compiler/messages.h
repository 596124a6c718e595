// The fixed texts of the compile operations: the faults of a compile, which
// the window and parlavox-lngc both show in these words, and the findings of
// the check against the reference. Each function joins its values into the
// exact message shown to the user.

#ifndef PARLAVOX_COMPILER_MESSAGES_H_
#define PARLAVOX_COMPILER_MESSAGES_H_

#include <string>
#include <string_view>

#include "compiler/files/file_results.h"
#include "compiler/reference_check.h"

namespace parlavox::messages {

// No plain file "lang" + name + ".txt" in the folder.
std::string sourceNotFound(std::string_view name);

// The source file has no bytes.
std::string sourceEmpty();

// The source file exists but its bytes cannot be read, or it changed before
// its compiled file was written; `cause` as far as the system says.
std::string sourceUnreadable(std::string_view name,
                             FileCause cause = FileCause::kNone);

// The compiled file's name is, or links to, `node`, which is never replaced.
std::string outputNotAFile(std::string_view name, NodeKind node);

// The source ends in lines that an update was adding when it was stopped,
// and they could not be finished; `cause` as far as the system says.
std::string sourceCutOff(std::string_view name,
                         FileCause cause = FileCause::kNone);

// "ends in lines that a stopped update left cut off, ...", said of a source
// by the compile (sourceCutOff) and by the update.
std::string cutOffLinesNotFinished(FileCause cause);

// The compiled file could not be written; `cause` as far as the system says.
std::string outputNotWritten(std::string_view name,
                             FileCause cause = FileCause::kNone);

// The language name holds a character that is not allowed in a file name.
std::string nameNotAllowed();

// One sentence for `finding` of a check against the reference, for example
// "line number 1 uses %1 where the reference uses %1 %2".
std::string referenceFinding(const Finding& finding);

}  // namespace parlavox::messages

#endif  // PARLAVOX_COMPILER_MESSAGES_H_
