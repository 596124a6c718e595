// Writes a hostile language source of about MB megabytes in one of these
// shapes:
//   long_line    one entry of one line, no line end
//   short_lines  one-character lines
//   carets       nothing but "^"
//   bars         nothing but "|"
//   digits       one line number of all the file's digits
//   addresses    one entry of nothing but "://"
//
// Usage: make_hostile SHAPE MB PATH

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <string_view>

int main(int argc, char** argv) {
  if (argc != 4) {
    std::fprintf(stderr, "usage: make_hostile SHAPE MB PATH\n");
    return 2;
  }
  const std::string_view shape = argv[1];
  const std::size_t bytes = std::strtoul(argv[2], nullptr, 10) << 20;
  std::string text;
  if (shape == "long_line") {
    text = "0 | " + std::string(bytes, 'a');
  } else if (shape == "short_lines") {
    for (std::size_t i = 0; i < bytes / 2; ++i) text += "a\n";
  } else if (shape == "carets") {
    text.assign(bytes, '^');
  } else if (shape == "bars") {
    text.assign(bytes, '|');
  } else if (shape == "digits") {
    text = std::string(bytes, '7') + " | x\n";
  } else if (shape == "addresses") {
    text = "0 | ";
    while (text.size() < bytes) text += "://";
  } else {
    std::fprintf(stderr, "unknown shape %s\n", argv[1]);
    return 2;
  }
  std::ofstream out(argv[3], std::ios::binary | std::ios::trunc);
  out << text;
  return out ? 0 : 1;
}
