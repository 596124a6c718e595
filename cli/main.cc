#include <iostream>
#include <string>
#include <vector>

#include "cli/lngc.h"
#include "cli/process.h"

int main(int argc, char** argv) {
  parlavox::installSignalCleanup();
  std::ios::sync_with_stdio(false);
  const std::vector<std::string> args(argv + 1, argv + argc);
  const int status = parlavox::runLngc(args, std::cout, std::cerr);
  return parlavox::finishOutput(std::cout, std::cerr, status);
}
