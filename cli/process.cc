#include "cli/process.h"

#include <cerrno>
#include <csignal>
#include <cstring>

#include "cli/lngc.h"
#include "compiler/files/temporary_files.h"

namespace parlavox {

namespace {

extern "C" void removeTemporaryFilesAndEnd(int signal) {
  removeTemporaryFiles();
  std::signal(signal, SIG_DFL);
  std::raise(signal);
}

// A signal ignored when the program started (nohup, a background job) stays
// ignored.
void catchUnlessIgnored(int signal) {
  if (std::signal(signal, removeTemporaryFilesAndEnd) == SIG_IGN) {
    std::signal(signal, SIG_IGN);
  }
}

}  // namespace

void installSignalCleanup() {
  catchUnlessIgnored(SIGINT);
  catchUnlessIgnored(SIGTERM);
#if defined(SIGHUP)
  catchUnlessIgnored(SIGHUP);
#endif
#if defined(SIGXFSZ)
  std::signal(SIGXFSZ, SIG_IGN);
#endif
}

int finishOutput(std::ostream& out, std::ostream& err, int status) {
  errno = 0;
  out.flush();
  if (!out) {
    const int cause = errno;
    err << writeErrorMessage(cause != 0 ? std::strerror(cause) : "") << '\n';
    err.flush();
    return kExitCompileFailed;
  }
  err.flush();
  if (!err) return kExitCompileFailed;
  return status;
}

}  // namespace parlavox
