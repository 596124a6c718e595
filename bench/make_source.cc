// Writes a language source of N entries, about 50 bytes each, shaped like a
// real one: a title, a Charset line, comments, addresses and placeholders.
// With "polish", the texts are Polish, in UTF-8, with a letter beyond ASCII
// in every one; with "rich", Polish texts with nine letters beyond ASCII and
// an address in every one; with "reversed", the entries come from the
// highest line number down.
//
// Usage: make_source N PATH [polish|rich] [reversed]

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

int main(int argc, char** argv) {
  bool polish = false;
  bool rich = false;
  bool reversed = false;
  for (int i = 3; i < argc; ++i) {
    const std::string option = argv[i];
    polish = polish || option == "polish";
    rich = rich || option == "rich";
    reversed = reversed || option == "reversed";
  }
  if (argc < 3 || argc - 3 != int(polish) + int(rich) + int(reversed) ||
      (polish && rich)) {
    std::fprintf(stderr,
                 "usage: make_source N PATH [polish|rich] [reversed]\n");
    return 2;
  }
  const long entries = std::strtol(argv[1], nullptr, 10);
  std::ofstream out(argv[2], std::ios::binary | std::ios::trunc);
  out << "// Parlavox language file: Benchmark\r\n\r\nCharset | 238\r\n\r\n";
  const char* english[] = {
      "Save %1 as %2 // dialog caption",
      "Open the lyrics of %1 in a new window",
      "See http://www.parlavox.example/help // address",
      "Lyrics not found // status bar",
  };
  const char* polishTexts[] = {
      "Zapisz %1 jako %2 // tytuł okna",
      "Otwórz słowa piosenki %1 w nowym oknie",
      "Zobacz http://www.parlavox.example/pomoc // adres źródła",
      "Nie znaleziono słów // pasek stanu, żółty",
  };
  const char* richTexts[] = {
      "Zażółć gęślą jaźń w pliku %1: http://x.example/",
      "Źródło słów: żółta gęś pędzi, ćma śpi http://x.example/",
      "Łąka, źdźbło i żółw śnią // http://x.example/",
      "Pięść, łódź, ćwierć i gżegżółka http://x.example/",
  };
  const char** texts = rich ? richTexts : polish ? polishTexts : english;
  std::string line;
  for (long i = 0; i < entries; ++i) {
    const long n = reversed ? entries - 1 - i : i;
    line = std::to_string(n);
    line += " | ";
    line += texts[n % 4];
    if (rich) line += std::to_string(n);
    line += " (";
    line += std::to_string(n % 97);
    line += ")\r\n";
    out << line;
  }
  return out ? 0 : 1;
}
