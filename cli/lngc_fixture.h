// A test fixture that runs parlavox-lngc in-process on files of a fresh
// folder and keeps what it printed.

#ifndef PARLAVOX_CLI_LNGC_FIXTURE_H_
#define PARLAVOX_CLI_LNGC_FIXTURE_H_

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "cli/lngc.h"
#include "compiler/compile.h"
#include "compiler/files/file_names.h"
#include "compiler/files/test_folder.h"

namespace parlavox {

class LngcFixture : public ::testing::Test {
 protected:
  // The path of the file `name` in the folder, as an argument.
  std::string at(std::string_view name) const {
    return bytesFromPath(folder_.path() / pathFromBytes(name));
  }

  // Runs parlavox-lngc on `args`; keeps its output in out_ and err_.
  int run(const std::vector<std::string>& args) {
    std::ostringstream out;
    std::ostringstream err;
    const int status = runLngc(args, out, err);
    out_ = out.str();
    err_ = err.str();
    return status;
  }

  TestFolder folder_;
  std::string out_;
  std::string err_;
};

}  // namespace parlavox

#endif  // PARLAVOX_CLI_LNGC_FIXTURE_H_
