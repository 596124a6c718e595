// The temporary files this process is writing, known to signal handlers so
// that a process ended by a signal can remove them before it goes.

#ifndef PARLAVOX_COMPILER_TEMPORARY_FILES_H_
#define PARLAVOX_COMPILER_TEMPORARY_FILES_H_

#include <filesystem>

namespace parlavox {

// Notes `path` as a temporary file of this process; returns the ticket to
// forget it by, or -1 when it could not be noted.
int rememberTemporaryFile(const std::filesystem::path& path);

// Forgets the temporary file noted under `ticket` (-1 is ignored).
void forgetTemporaryFile(int ticket);

// Removes every temporary file noted and not forgotten. Async-signal-safe:
// it only reads fixed storage and removes files by name.
void removeTemporaryFiles();

}  // namespace parlavox

#endif  // PARLAVOX_COMPILER_TEMPORARY_FILES_H_
