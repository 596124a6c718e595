// Times the encoding check beside the compile it follows, in one process:
// on a source as it is, and on two copies whose every "Save" reads "Sávé",
// once in Windows-1250 and once in UTF-8, so that every text holds bytes
// beyond ASCII. Each figure is the median of five runs.
//
// Usage: encoding_bench SOURCE   (SOURCE named langNAME.txt; the copies are
// written beside it)

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "bench/median_time.h"
#include "compiler/compile.h"
#include "compiler/files/text_file.h"
#include "compiler/source/encoding_check.h"

namespace {

namespace fs = std::filesystem;
using parlavox::EntryTable;

std::string replaceAll(std::string_view text, std::string_view from,
                       std::string_view to) {
  std::string out;
  out.reserve(text.size() + text.size() / 8);
  std::size_t at = 0;
  for (std::size_t found = text.find(from); found != std::string::npos;
       found = text.find(from, at)) {
    out.append(text, at, found - at);
    out += to;
    at = found + from.size();
  }
  out.append(text, at);
  return out;
}

bool writeBytes(const fs::path& path, const std::string& bytes) {
  std::ofstream file(path, std::ios::binary | std::ios::trunc);
  file.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  file.close();
  return !file.fail();
}

// Prints the compile and the check of the language `name` in `folder`.
bool measure(const fs::path& folder, const std::string& name,
             const char* label) {
  const double compile = medianMilliseconds(
      [&] { (void)parlavox::compileLanguage(folder, name); });
  EntryTable table;
  if (!parlavox::loadLanguage(folder, name, &table).ok()) return false;
  std::size_t findings = 0;
  const double check = medianMilliseconds(
      [&] { findings = parlavox::checkEncoding(table).size(); });
  std::printf(
      "%-22s compile %8.1f ms, check %7.1f ms (%zu findings), "
      "ratio %.2f\n",
      label, compile, check, findings, (compile + check) / compile);
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: encoding_bench SOURCE\n");
    return 2;
  }
  const fs::path source = argv[1];
  const fs::path folder = source.parent_path();
  const std::optional<std::string> name =
      parlavox::languageNameOf(source.filename().string());
  const std::optional<parlavox::FileText> bytes = parlavox::loadFile(source);
  if (!name || !bytes) return 1;
  const std::string central = replaceAll(bytes->view(), "Save", "S\xE1v\xE9");
  const std::string utf8 =
      replaceAll(bytes->view(), "Save", "S\xC3\xA1v\xC3\xA9");
  if (!writeBytes(folder / "langBenchCentral.txt", central) ||
      !writeBytes(folder / "langBenchUtf8.txt", utf8)) {
    return 1;
  }
  const bool measured = measure(folder, *name, "as generated (ASCII)") &&
                        measure(folder, "BenchCentral", "Windows-1250 texts") &&
                        measure(folder, "BenchUtf8", "UTF-8 texts");
  return measured ? 0 : 1;
}
