// The fixed texts of the files layer: why the system could not read or
// write a file, in the words that follow a message after ": ".

#ifndef PARLAVOX_COMPILER_FILES_MESSAGES_H_
#define PARLAVOX_COMPILER_FILES_MESSAGES_H_

#include <string>

#include "compiler/files/file_results.h"

namespace parlavox::messages {

// Why a file could not be read or written, as it follows a message after
// ": "; empty for FileCause::kNone.
std::string fileCause(FileCause cause);

}  // namespace parlavox::messages

#endif  // PARLAVOX_COMPILER_FILES_MESSAGES_H_
