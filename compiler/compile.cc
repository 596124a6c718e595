#include "compiler/compile.h"

#include <algorithm>
#include <cstring>
#include <optional>
#include <system_error>
#include <utility>

#include "compiler/language_source.h"
#include "compiler/messages.h"
#include "compiler/text_file.h"
#include "compiler/utf16.h"

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

// Characters that would take the file name out of the folder or that some
// file system does not allow.
bool nameAllowed(std::string_view name) {
  constexpr std::string_view kForbidden = "\\/:*?\"<>|";
  return std::none_of(name.begin(), name.end(),
                      [&](char c) {
                        const auto byte = static_cast<unsigned char>(c);
                        return byte < 0x20 || byte == 0x7F ||
                               kForbidden.find(c) != std::string_view::npos;
                      }) &&
         hasFileName(name);
}

bool equalIgnoringAsciiCase(std::string_view a, std::string_view b) {
  auto lower = [](char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
  };
  return a.size() == b.size() &&
         std::equal(a.begin(), a.end(), b.begin(),
                    [&](char x, char y) { return lower(x) == lower(y); });
}

// The source file: the exact name if a plain file has it, else the first
// plain file, in byte order, whose name matches it without regard to case.
std::optional<fs::path> findSource(const fs::path& folder,
                                   std::string_view name) {
  const std::string wanted = sourceFileName(name);
  std::error_code error;
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

#ifdef _WIN32
fs::path pathFromBytes(std::string_view bytes) {
  // Names are checked before they get here; anything else is shown as
  // U+FFFD, which opens no file named by other bytes.
  const std::u16string wide =
      utf16FromUtf8(bytes).value_or(std::u16string(1, u'\uFFFD'));
  return fs::path(std::wstring(wide.begin(), wide.end()));
}

std::string bytesFromPath(const fs::path& path) {
  const std::wstring& wide = path.native();
  return utf8FromUtf16(std::u16string(wide.begin(), wide.end()));
}
#else
fs::path pathFromBytes(std::string_view bytes) {
  return fs::path(std::string(bytes));
}

std::string bytesFromPath(const fs::path& path) { return path.native(); }
#endif

CompileResult loadLanguage(const fs::path& folder, std::string_view name,
                           EntryTable* table) {
  if (!nameAllowed(name)) {
    return CompileResult::failure(messages::nameNotAllowed());
  }
  const std::optional<fs::path> source = findSource(folder, name);
  if (!source) return CompileResult::failure(messages::sourceNotFound(name));
  std::optional<std::string> content = loadFile(*source);
  if (!content) return CompileResult::failure(messages::sourceUnreadable(name));
  if (content->empty()) return CompileResult::failure(messages::sourceEmpty());

  ParseResult parsed = parseLanguageSource(std::move(*content));
  if (!parsed.ok()) {
    return CompileResult::failure(std::move(parsed.fault.message),
                                  parsed.fault.line);
  }
  *table = std::move(*parsed.table);
  return CompileResult::success();
}

std::string joinEntries(const EntryTable& table) {
  constexpr std::string_view kLineEnd = "\r\n";
  std::size_t length = 0;
  for (std::size_t slot = 0; slot < table.size(); ++slot) {
    length += table[slot].size() + kLineEnd.size();
  }
  std::string joined;
  joined.reserve(length);
  for (std::size_t slot = 0; slot < table.size(); ++slot) {
    if (slot != 0) joined += kLineEnd;
    joined += table[slot];
  }
  // ":\\" reads "://" in the compiled file, whoever wrote it.
  for (std::size_t at = joined.find(":\\\\"); at != std::string::npos;
       at = joined.find(":\\\\", at + 3)) {
    joined[at + 1] = '/';
    joined[at + 2] = '/';
  }
  return joined;
}

CompileResult writeLanguage(const fs::path& folder, std::string_view name,
                            const EntryTable& table) {
  if (!nameAllowed(name)) {
    return CompileResult::failure(messages::nameNotAllowed());
  }
  if (!saveFile(folder / pathFromBytes(outputFileName(name)),
                joinEntries(table))) {
    return CompileResult::failure(messages::outputNotWritten(name));
  }
  return CompileResult::success();
}

CompileResult compileLanguage(const fs::path& folder, std::string_view name) {
  EntryTable table;
  CompileResult loaded = loadLanguage(folder, name, &table);
  if (!loaded.ok()) return loaded;
  return writeLanguage(folder, name, table);
}

}  // namespace parlavox
