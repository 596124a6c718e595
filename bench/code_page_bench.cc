// Times the conversion of a UTF-8 source's texts into the code page its
// Charset names, beside the compile of the same source already in that code
// page, in one process: the cost a UTF-8 source adds to a compile. Polish
// texts (Windows-1250) and Japanese ones (Windows-932); each figure is the
// median of five runs.
//
// Usage: code_page_bench ENTRIES FOLDER   (FOLDER must exist; the source
// langBench.txt is written there)

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "bench/median_time.h"
#include "compiler/compile.h"
#include "compiler/encodings/code_pages.h"

namespace {

namespace fs = std::filesystem;

// Texts shaped like the generated benchmark source's, with a few letters of
// the language in each.
std::vector<std::string> texts(long entries, const char* const (&shapes)[4]) {
  std::vector<std::string> all;
  all.reserve(static_cast<std::size_t>(entries));
  for (long n = 0; n < entries; ++n) {
    all.push_back(std::string(shapes[n % 4]) + " (" + std::to_string(n % 97) +
                  ")");
  }
  return all;
}

// Converts every text as a compile would, into one growing output.
bool encodeAll(const parlavox::CodePage& page,
               const std::vector<std::string>& all, std::string* out) {
  out->clear();
  for (const std::string& text : all) {
    if (!parlavox::encodeFromUtf8(page, text, out).ok) return false;
    out->append("\r\n");
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: code_page_bench ENTRIES FOLDER\n");
    return 2;
  }
  const long entries = std::strtol(argv[1], nullptr, 10);
  const fs::path folder = argv[2];
  const char* const polish[4] = {"Zapisz %1 jako %2",
                                 "Otwórz słowa %1 w nowym oknie",
                                 "Zobacz http://www.parlavox.example/pomoc",
                                 "Nie znaleziono tekstów źródłowych"};
  const char* const japanese[4] = {
      "%1 を %2 として保存", "%1 の歌詞を新しいウィンドウで開く",
      "http://www.parlavox.example/help を参照", "歌詞が見つかりません"};
  const std::vector<std::string> polishTexts = texts(entries, polish);
  const std::vector<std::string> japaneseTexts = texts(entries, japanese);

  // The same Polish source, already in Windows-1250, compiled whole.
  const parlavox::CodePage& centralEuropean = *parlavox::codePageOfCharset(238);
  std::string source = "Charset | 238\r\n";
  std::string converted;
  for (long n = 0; n < entries; ++n) {
    source += std::to_string(n) + " | ";
    parlavox::encodeFromUtf8(centralEuropean,
                             polishTexts[static_cast<std::size_t>(n)], &source);
    source += "\r\n";
  }
  {
    std::ofstream file(folder / "langBench.txt", std::ios::binary);
    file.write(source.data(), static_cast<std::streamsize>(source.size()));
  }
  const double compile = medianMilliseconds(
      [&] { (void)parlavox::compileLanguage(folder, "Bench"); });
  bool ok = true;
  // What writing the texts costs when nothing is converted.
  const double copyMs = medianMilliseconds([&] {
    converted.clear();
    for (const std::string& text : polishTexts) {
      converted += text;
      converted += "\r\n";
    }
  });
  const double polishMs = medianMilliseconds(
      [&] { ok = encodeAll(centralEuropean, polishTexts, &converted) && ok; });
  const double japaneseMs = medianMilliseconds([&] {
    ok = encodeAll(*parlavox::codePageOfCharset(128), japaneseTexts,
                   &converted) &&
         ok;
  });
  if (!ok) {
    std::fprintf(stderr, "a text did not convert\n");
    return 1;
  }
  std::printf("%ld entries, %.1f MB in Windows-1250\n", entries,
              static_cast<double>(source.size()) / 1e6);
  std::printf("compile of the Windows-1250 source  %8.1f ms\n", compile);
  std::printf("UTF-8 texts copied as they are       %8.1f ms\n", copyMs);
  std::printf(
      "UTF-8 texts into Windows-1250       %8.1f ms  (compile + this: %.2fx)\n",
      polishMs, (compile + polishMs) / compile);
  std::printf(
      "UTF-8 texts into Windows-932        %8.1f ms  (compile + this: %.2fx)\n",
      japaneseMs, (compile + japaneseMs) / compile);
  return 0;
}
