// parlavox-lngc, the command-line language compiler: compiles each
// "langNAME.txt" given into "LangNAME.lng" beside it, with the same
// operation, messages and output as the window.

#ifndef PARLAVOX_CLI_LNGC_H_
#define PARLAVOX_CLI_LNGC_H_

#include <ostream>
#include <string>
#include <string_view>
#include <vector>

namespace parlavox {

// Exit statuses of parlavox-lngc.
inline constexpr int kExitSuccess = 0;
inline constexpr int kExitCompileFailed = 1;
inline constexpr int kExitUsage = 2;

// An argument as the program received it.
struct Argument {
  std::string text;
  // A SOURCE holding `*` or `?` is a pattern the program expands itself, as
  // Windows programs do where the user did not quote it.
  bool expand = false;
};

// Runs parlavox-lngc on `args` (without the program's name); writes reports
// to `out` and faults to `err`, and returns the exit status.
int runLngc(const std::vector<Argument>& args, std::ostream& out,
            std::ostream& err);

// The same for arguments none of which is expanded.
int runLngc(const std::vector<std::string>& args, std::ostream& out,
            std::ostream& err);

// The line for a failed write to standard output or standard error, with
// its cause when one is known.
std::string writeErrorMessage(std::string_view cause);

}  // namespace parlavox

#endif  // PARLAVOX_CLI_LNGC_H_
