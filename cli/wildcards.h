// Wildcards in SOURCE arguments, which parlavox-lngc expands itself on
// Windows, where the shell hands `lang*.txt` over as it was typed and each
// program expands it, unless the user quoted it. Knowing what was quoted
// takes the raw command line, split here as the C runtime splits it.

#ifndef PARLAVOX_CLI_WILDCARDS_H_
#define PARLAVOX_CLI_WILDCARDS_H_

#include <string>
#include <string_view>
#include <vector>

namespace parlavox {

// One argument of a Windows command line.
struct CommandLineArgument {
  std::string text;     // UTF-8
  bool quoted = false;  // some of it stood between double quotes
};

// `commandLine` split into arguments as the C runtime splits it, the
// program's name first: spaces and tabs separate; "..." quotes; 2N
// backslashes before a quote stand for N, 2N+1 for N and a literal quote;
// "" inside quotes is a literal quote.
std::vector<CommandLineArgument> splitWindowsCommandLine(
    std::u16string_view commandLine);

// Whether `argument` holds `*` or `?`.
bool hasWildcard(std::string_view argument);

// Whether the file name `name` matches `pattern`, in which `*` stands for
// any characters and `?` for one UTF-16 unit, as on Windows; letters match
// in either case (on Windows in every alphabet, elsewhere in ASCII).
bool matchesWildcard(std::string_view pattern, std::string_view name);

// The files and links that `pattern`, a path whose last part may hold
// wildcards, matches: each as `pattern`'s folder as written followed by the
// file's name, in byte order of the names. Empty when nothing matches or
// the folder cannot be read.
std::vector<std::string> expandWildcard(std::string_view pattern);

}  // namespace parlavox

#endif  // PARLAVOX_CLI_WILDCARDS_H_
