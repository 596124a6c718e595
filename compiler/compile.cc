#include "compiler/compile.h"

#include <algorithm>
#include <cstring>
#include <fstream>
#include <functional>
#include <new>
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

constexpr std::string_view kLineEnd = "\r\n";

// Hands `take` the compiled file piece by piece: each slot's text, every
// ":\\" in it as "://", and CR LF after it. A ":\\" never spans two slots,
// as no text holds a line end, so this is one left-to-right pass over the
// joined text.
template <typename Take>
void forEachCompiledPiece(const EntryTable& table, Take&& take) {
  constexpr std::string_view kShielded = ":\\\\";
  for (std::size_t slot = 0; slot < table.size(); ++slot) {
    std::string_view text = table[slot];
    for (std::size_t at = text.find(kShielded); at != std::string_view::npos;
         at = text.find(kShielded)) {
      take(text.substr(0, at + 1));
      take(std::string_view("//"));
      text.remove_prefix(at + kShielded.size());
    }
    take(text);
    take(kLineEnd);
  }
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

std::optional<fs::path> findLanguageSource(const fs::path& folder,
                                           std::string_view name) {
  if (!nameAllowed(name)) return std::nullopt;
  return findSource(folder, name);
}

CompileResult loadLanguage(const fs::path& folder, std::string_view name,
                           EntryTable* table, SourceFile* read) {
  if (!nameAllowed(name)) {
    return CompileResult::failure(messages::nameNotAllowed());
  }
  const std::optional<fs::path> source = findSource(folder, name);
  if (!source) return CompileResult::failure(messages::sourceNotFound(name));
  ReadResult file = readFile(*source);
  // The file may have gone, or been swapped for a pipe or a device, since it
  // was found: only the opened file counts.
  if (file.status == ReadStatus::kNotAFile) {
    return CompileResult::failure(messages::sourceNotFound(name));
  }
  if (file.status != ReadStatus::kRead) {
    return CompileResult::failure(messages::sourceUnreadable(name, file.cause));
  }
  if (file.text.empty()) return CompileResult::failure(messages::sourceEmpty());
  if (read != nullptr) *read = {*source, file.identity};

  std::optional<ParseResult> parsed;
  try {
    parsed = parseLanguageSource(std::move(file.text));
  } catch (const std::bad_alloc&) {
    // A source with more entries than memory holds.
    return CompileResult::failure(messages::sourceUnreadable(name));
  }
  if (!parsed->ok()) {
    return CompileResult::failure(std::move(parsed->fault.message),
                                  parsed->fault.line);
  }
  *table = std::move(*parsed->table);
  return CompileResult::success();
}

std::string loadSourceStart(const fs::path& folder, std::string_view name,
                            std::size_t count) {
  if (!nameAllowed(name)) return {};
  const std::optional<fs::path> source = findSource(folder, name);
  if (!source) return {};
  std::ifstream file(*source, std::ios::binary);
  std::string start(count, '\0');
  file.read(start.data(), static_cast<std::streamsize>(count));
  start.resize(static_cast<std::size_t>(file.gcount()));
  return start;
}

std::string joinEntries(const EntryTable& table) {
  std::string joined;
  forEachCompiledPiece(table, [&](std::string_view piece) { joined += piece; });
  if (!joined.empty()) joined.resize(joined.size() - kLineEnd.size());
  return joined;
}

CompileResult writeLanguage(const fs::path& folder, std::string_view name,
                            const EntryTable& table, const SourceFile* source) {
  if (!nameAllowed(name)) {
    return CompileResult::failure(messages::nameNotAllowed());
  }
  std::function<bool()> unchanged;
  if (source != nullptr) {
    unchanged = [source] {
      return identityOf(source->path) == source->identity;
    };
  }
  const WriteResult written = replaceFileWith(
      folder / pathFromBytes(outputFileName(name)),
      [&](FileWriter& writer) {
        forEachCompiledPiece(
            table, [&](std::string_view piece) { writer.write(piece); });
      },
      unchanged);
  if (written.status == WriteStatus::kChanged) {
    return CompileResult::failure(messages::sourceUnreadable(name));
  }
  if (!written) {
    return CompileResult::failure(
        messages::outputNotWritten(name, written.cause));
  }
  return CompileResult::success();
}

CompileResult compileLanguage(const fs::path& folder, std::string_view name) {
  EntryTable table;
  SourceFile source;
  CompileResult loaded = loadLanguage(folder, name, &table, &source);
  if (!loaded.ok()) return loaded;
  return writeLanguage(folder, name, table, &source);
}

}  // namespace parlavox
