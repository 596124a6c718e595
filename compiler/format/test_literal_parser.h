// A deliberately plain second parser for language sources, for tests and
// fuzzers to compare the real one against. It normalises the text with one
// whole-text replace pass per rule, splits it and scans every piece, as
// slowly and as obviously as possible.

#ifndef PARLAVOX_COMPILER_TEST_LITERAL_PARSER_H_
#define PARLAVOX_COMPILER_TEST_LITERAL_PARSER_H_

#include <string>

namespace parlavox::literal {

struct Result {
  bool ok = false;
  std::string message;   // on failure
  std::string compiled;  // on success: the compiled file's bytes
};

// Parses `text` and, on success, compiles the table into the file's bytes.
Result compile(const std::string& text);

}  // namespace parlavox::literal

#endif  // PARLAVOX_COMPILER_TEST_LITERAL_PARSER_H_
