#include "compiler/language_files.h"

#include <algorithm>
#include <system_error>
#include <utility>

#include "compiler/encodings/utf16.h"
#include "compiler/files/file_names.h"

namespace parlavox {

namespace {

namespace fs = std::filesystem;

#ifdef _WIN32
// Names are UTF-8 here; other bytes name no file.
bool hasFileName(std::string_view name) {
  return utf16FromUtf8(name).has_value();
}
#else
// Every byte string is a file name here.
bool hasFileName(std::string_view) { return true; }
#endif

}  // namespace

bool languageNameAllowed(std::string_view name) {
  constexpr std::string_view kForbidden = "\\/:*?\"<>|";
  return std::none_of(name.begin(), name.end(),
                      [&](char c) {
                        const auto byte = static_cast<unsigned char>(c);
                        return byte < 0x20 || byte == 0x7F ||
                               kForbidden.find(c) != std::string_view::npos;
                      }) &&
         hasFileName(name);
}

namespace {

bool equalIgnoringAsciiCase(std::string_view a, std::string_view b) {
  auto lower = [](char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
  };
  return a.size() == b.size() &&
         std::equal(a.begin(), a.end(), b.begin(),
                    [&](char x, char y) { return lower(x) == lower(y); });
}

// The source file: `fileName` when given and a plain file has it, else the
// exact name "langNAME.txt" if a plain file has it, else the first plain
// file, in byte order, whose name matches it without regard to case.
std::optional<fs::path> findSource(const fs::path& folder,
                                   std::string_view name,
                                   std::string_view fileName = {}) {
  std::error_code error;
  if (!fileName.empty()) {
    const fs::path given = folder / pathFromBytes(fileName);
    if (fs::is_regular_file(given, error)) return given;
  }
  const std::string wanted = sourceFileName(name);
  const fs::path exact = folder / pathFromBytes(wanted);
  if (fs::is_regular_file(exact, error)) return exact;

  std::optional<std::string> best;
  for (fs::directory_iterator it(folder, error), end; !error && it != end;
       it.increment(error)) {
    std::error_code typeError;
    if (!it->is_regular_file(typeError)) continue;
    std::string candidate = bytesFromPath(it->path().filename());
    if (equalIgnoringAsciiCase(candidate, wanted) &&
        (!best || candidate < *best)) {
      best = std::move(candidate);
    }
  }
  if (!best) return std::nullopt;
  return folder / pathFromBytes(*best);
}

}  // namespace

std::string sourceFileName(std::string_view name) {
  return "lang" + std::string(name) + ".txt";
}

std::string outputFileName(std::string_view name) {
  return "Lang" + std::string(name) + ".lng";
}

std::optional<std::string> languageNameOf(std::string_view fileName) {
  constexpr std::string_view kPrefix = "lang";
  constexpr std::string_view kSuffix = ".txt";
  if (fileName.size() < kPrefix.size() + kSuffix.size() ||
      !equalIgnoringAsciiCase(fileName.substr(0, kPrefix.size()), kPrefix) ||
      !equalIgnoringAsciiCase(fileName.substr(fileName.size() - kSuffix.size()),
                              kSuffix)) {
    return std::nullopt;
  }
  return std::string(fileName.substr(
      kPrefix.size(), fileName.size() - kPrefix.size() - kSuffix.size()));
}

std::optional<fs::path> findLanguageSource(const fs::path& folder,
                                           std::string_view name,
                                           std::string_view fileName) {
  if (!languageNameAllowed(name)) return std::nullopt;
  return findSource(folder, name, fileName);
}

}  // namespace parlavox
