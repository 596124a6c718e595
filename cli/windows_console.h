// How parlavox-lngc meets the Windows command line and console, where names
// are UTF-16: arguments arrive as UTF-8, with the wildcards the program is to
// expand marked, and messages reach a console as the characters they hold.
// Elsewhere both are the bytes as they are.

#ifndef PARLAVOX_CLI_WINDOWS_CONSOLE_H_
#define PARLAVOX_CLI_WINDOWS_CONSOLE_H_

#include <vector>

#include "cli/lngc.h"

namespace parlavox {

// The program's arguments, without its name: on Windows read from the wide
// command line and turned into UTF-8, so that no name is lost to the code
// page, each with `*` or `?` outside quotes to be expanded; elsewhere `argv`
// as it is, which the shell has expanded.
std::vector<Argument> commandLineArguments(int argc, char** argv);

// On Windows, lets std::cout and std::cerr write the UTF-8 they are given
// to a console as Unicode; where they go to a file or a pipe, the UTF-8 bytes
// go there unchanged. Does nothing elsewhere.
void writeUnicodeToConsoles();

}  // namespace parlavox

#endif  // PARLAVOX_CLI_WINDOWS_CONSOLE_H_
