// How parlavox-lngc starts and ends as a process: signals that would end it
// remove its temporary files first, and a lost write to standard output or
// standard error is a failure.

#ifndef PARLAVOX_CLI_PROCESS_H_
#define PARLAVOX_CLI_PROCESS_H_

#include <ostream>

namespace parlavox {

// Has SIGINT, SIGTERM and SIGHUP remove the compile's temporary file before
// the process ends as the signal would end it, and ignores SIGXFSZ, so that
// a write past the file size limit fails and is reported.
void installSignalCleanup();

// Flushes `out` and `err`; returns `status`, or 1 after a one-line message
// on `err` when either has failed.
int finishOutput(std::ostream& out, std::ostream& err, int status);

}  // namespace parlavox

#endif  // PARLAVOX_CLI_PROCESS_H_
