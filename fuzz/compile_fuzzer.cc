// Fuzzes the whole compile on a real folder. The first byte gives the length
// (0 to 7) of the language name that follows, and the size of the blocks
// the source is read in; the rest is the source. Whatever the input: a
// failed compile leaves the earlier compiled file byte for byte; a
// successful one of an 8-bit single-byte source writes exactly the parser's
// table; the compile, which reads a source in blocks and writes each text
// as it goes, gives the same result, fault, line and bytes as loading the
// whole source into a table and writing that; no file appears but the
// compiled one, and nothing is written outside the folder.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#include "compiler/compile.h"
#include "compiler/format/language_source.h"
#include "compiler/source/encoding_check.h"
#include "compiler/source/source_encoding.h"

namespace {

namespace fs = std::filesystem;

constexpr char kEarlier[] = "earlier output\r\n";

[[noreturn]] void broken(const char* what, const std::string& detail) {
  std::fprintf(stderr, "property broken: %s\n%s\n", what, detail.c_str());
  std::abort();
}

// A folder of this run's own under the system's temporary folder, removed
// when the run ends.
class Sandbox {
 public:
  Sandbox() {
    std::random_device device;
    path_ = fs::temp_directory_path() /
            ("parlavox-compile-fuzz-" + std::to_string(device()));
    fs::remove_all(path_);
    fs::create_directories(path_ / "folder");
    fs::create_directories(path_ / "table");
  }
  ~Sandbox() {
    std::error_code error;
    fs::remove_all(path_, error);
  }
  const fs::path& path() const { return path_; }

 private:
  fs::path path_;
};

const fs::path& sandbox() {
  static const Sandbox instance;
  return instance.path();
}

void put(const fs::path& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary)
      .write(bytes.data(), std::streamsize(bytes.size()));
}

std::string get(const fs::path& path) {
  std::ifstream file(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(file), {});
}

std::vector<std::string> listing(const fs::path& path) {
  std::vector<std::string> names;
  for (const auto& entry : fs::recursive_directory_iterator(path)) {
    names.push_back(fs::relative(entry.path(), path).string());
  }
  std::sort(names.begin(), names.end());
  return names;
}

std::string describe(const std::vector<parlavox::EncodingFinding>& findings) {
  std::string text;
  for (const parlavox::EncodingFinding& finding : findings) {
    text += std::to_string(finding.physicalLine) + " " +
            std::to_string(static_cast<int>(finding.kind)) + " " +
            std::to_string(finding.byte) + "\n";
  }
  return text;
}

bool nameIsPlain(const std::string& name) {
  return std::none_of(name.begin(), name.end(), [](char c) {
    const auto b = static_cast<unsigned char>(c);
    return b < 0x20 || b == 0x7F ||
           std::string_view("\\/:*?\"<>|").find(c) != std::string_view::npos;
  });
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data,
                                      std::size_t size) {
  if (size == 0) return 0;
  const std::size_t nameLength = std::min<std::size_t>(data[0] % 8, size - 1);
  const std::string name(reinterpret_cast<const char*>(data) + 1, nameLength);
  const std::string source(reinterpret_cast<const char*>(data) + 1 + nameLength,
                           size - 1 - nameLength);
  const fs::path folder = sandbox() / "folder";
  const fs::path tableFolder = sandbox() / "table";
  for (const fs::path& used : {folder, tableFolder}) {
    for (const auto& entry : fs::directory_iterator(used))
      fs::remove_all(entry);
  }

  const bool plain = nameIsPlain(name);
  std::vector<std::string> before;
  if (plain) {
    put(folder / parlavox::sourceFileName(name), source);
    put(folder / parlavox::outputFileName(name), kEarlier);
  }
  before = listing(sandbox());

  parlavox::CompileOptions options;
  // Blocks of 1 to 32 bytes put their ends everywhere in small sources.
  options.blockSize = 1 + data[0] / 8;
  const parlavox::CompileResult result =
      parlavox::compileLanguage(folder, name, options);
  if (listing(sandbox()) != before) broken("files appeared or vanished", name);
  if (!plain) {
    if (result.ok()) broken("name with a path character compiled", name);
    return 0;
  }
  const std::string written = get(folder / parlavox::outputFileName(name));
  if (!source.empty()) {
    put(tableFolder / parlavox::sourceFileName(name), source);
    put(tableFolder / parlavox::outputFileName(name), kEarlier);
    parlavox::EntryTable table;
    parlavox::SourceFile file;
    parlavox::CompileResult tabled =
        parlavox::loadLanguage(tableFolder, name, &table, &file);
    if (tabled.ok()) {
      tabled = parlavox::writeLanguage(tableFolder, name, table, &file);
    }
    if (result.ok() != tabled.ok() || result.message() != tabled.message() ||
        result.line() != tabled.line()) {
      broken("another result than the table's",
             result.message() + " / " + tabled.message());
    }
    if (written != get(tableFolder / parlavox::outputFileName(name))) {
      broken("other bytes than the table's", written);
    }
    // The encoding check made while the source streams finds what the
    // table's check finds.
    if (tabled.ok()) {
      parlavox::CompileOptions checking = options;
      checking.checkEncoding = true;
      parlavox::CompileReport report;
      (void)parlavox::compileLanguage(folder, name, checking, &report);
      parlavox::TableText text = parlavox::TableText::kBytes;
      if (parlavox::isUnicode(file.encoding)) {
        text = parlavox::codePageOfTable(table, file.encoding) != nullptr
                   ? parlavox::TableText::kConverted
                   : parlavox::TableText::kUtf8AsRead;
      }
      if (describe(report.findings) !=
          describe(parlavox::checkEncoding(table, text,
                                           parlavox::languageNamed(name)))) {
        broken("other encoding findings than the table's",
               describe(report.findings));
      }
    }
  }
  if (!result.ok()) {
    if (written != kEarlier) broken("earlier output changed", result.message());
    if (source.empty()) {
      if (result.message() != "Lang.txt is empty. Not compiled") {
        broken("empty source", result.message());
      }
      return 0;
    }
    // The compile reads a source in one pass as far as it is ASCII, and the
    // rest of it whole: its fault is the one the whole source's load finds.
    parlavox::EntryTable table;
    const parlavox::CompileResult loaded =
        parlavox::loadLanguage(folder, name, &table);
    if (!loaded.ok() && (result.message() != loaded.message() ||
                         result.line() != loaded.line())) {
      broken("another fault than the load's",
             result.message() + " / " + loaded.message());
    }
    return 0;
  }
  // A source in one single-byte code page is written byte for byte as the
  // parser splits it; Unicode and double-byte sources are split in
  // characters and converted, which the unit tests pin.
  const parlavox::CodePage* page =
      parlavox::codePageNamed(parlavox::findCharsetValue(source));
  if (parlavox::detectEncoding(source) != parlavox::SourceEncoding::kEightBit ||
      (page != nullptr && page->doubleByte)) {
    return 0;
  }
  const parlavox::ParseResult parsed = parlavox::parseLanguageSource(source);
  if (!parsed.ok())
    broken("compiled what does not parse", parsed.fault.message);
  if (written != parlavox::joinEntries(*parsed.table) + "\r\n") {
    broken("written bytes differ from the table", written);
  }
  return 0;
}
