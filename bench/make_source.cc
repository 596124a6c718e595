// Writes a language source of N entries, about 60 bytes each, shaped like a
// real one: a title, a Charset line, comments, addresses and placeholders.
//
// Usage: make_source N PATH

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: make_source N PATH\n");
    return 2;
  }
  const long entries = std::strtol(argv[1], nullptr, 10);
  std::ofstream out(argv[2], std::ios::binary | std::ios::trunc);
  out << "// Parlavox language file: Benchmark\r\n\r\nCharset | 238\r\n\r\n";
  const char* texts[] = {
      "Save %1 as %2 // dialog caption",
      "Open the lyrics of %1 in a new window",
      "See http://www.parlavox.example/help // address",
      "Lyrics not found // status bar",
  };
  std::string line;
  for (long n = 0; n < entries; ++n) {
    line = std::to_string(n);
    line += " | ";
    line += texts[n % 4];
    line += " (";
    line += std::to_string(n % 97);
    line += ")\r\n";
    out << line;
  }
  return out ? 0 : 1;
}
