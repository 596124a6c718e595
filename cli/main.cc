#include <iostream>
#include <vector>

#include "cli/lngc.h"
#include "cli/process.h"
#include "cli/windows_console.h"

int main(int argc, char** argv) {
  parlavox::installSignalCleanup();
  std::ios::sync_with_stdio(false);
  parlavox::writeUnicodeToConsoles();
  const std::vector<parlavox::Argument> args =
      parlavox::commandLineArguments(argc, argv);
  const int status = parlavox::runLngc(args, std::cout, std::cerr);
  return parlavox::finishOutput(std::cout, std::cerr, status);
}
