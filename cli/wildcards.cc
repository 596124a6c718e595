#include "cli/wildcards.h"

#ifdef _WIN32
#include <windows.h>
#endif

#include <algorithm>
#include <filesystem>
#include <optional>
#include <system_error>

#include "compiler/compile.h"
#include "compiler/encodings/utf16.h"
#include "compiler/files/file_names.h"

namespace parlavox {

namespace {

namespace fs = std::filesystem;

bool isBlank(char16_t c) { return c == u' ' || c == u'\t'; }

#ifdef _WIN32

// Windows compares file names without regard to case in every alphabet, so
// a pattern matches them as the system's upper case of both.
std::u16string foldCase(std::u16string text) {
  std::wstring wide(text.begin(), text.end());
  CharUpperBuffW(wide.data(), static_cast<DWORD>(wide.size()));
  return {wide.begin(), wide.end()};
}

#else

std::u16string foldCase(std::u16string text) {
  for (char16_t& c : text) {
    if (c >= u'a' && c <= u'z') c = static_cast<char16_t>(c - u'a' + u'A');
  }
  return text;
}

#endif

bool matchesUtf16(std::u16string_view pattern, std::u16string_view name) {
  // The usual walk with one step back to the last `*`: linear in practice,
  // and never worse than quadratic.
  std::size_t p = 0;
  std::size_t n = 0;
  std::size_t star = std::u16string_view::npos;
  std::size_t starName = 0;
  while (n < name.size()) {
    if (p < pattern.size() && pattern[p] == u'*') {
      star = p++;
      starName = n;
    } else if (p < pattern.size() &&
               (pattern[p] == u'?' || pattern[p] == name[n])) {
      ++p;
      ++n;
    } else if (star != std::u16string_view::npos) {
      p = star + 1;
      n = ++starName;
    } else {
      return false;
    }
  }
  while (p < pattern.size() && pattern[p] == u'*') ++p;
  return p == pattern.size();
}

}  // namespace

std::vector<CommandLineArgument> splitWindowsCommandLine(
    std::u16string_view commandLine) {
  std::vector<CommandLineArgument> args;
  std::size_t i = 0;
  const std::size_t end = commandLine.size();

  // The program's name knows no backslash rules: a quote starts or ends it.
  {
    CommandLineArgument program;
    std::u16string text;
    bool inQuotes = false;
    for (; i < end && (inQuotes || !isBlank(commandLine[i])); ++i) {
      if (commandLine[i] == u'"') {
        inQuotes = !inQuotes;
        program.quoted = true;
      } else {
        text += commandLine[i];
      }
    }
    program.text = utf8FromUtf16(text);
    args.push_back(std::move(program));
  }

  for (;;) {
    while (i < end && isBlank(commandLine[i])) ++i;
    if (i == end) break;
    CommandLineArgument arg;
    std::u16string text;
    bool inQuotes = false;
    while (i < end && (inQuotes || !isBlank(commandLine[i]))) {
      const char16_t c = commandLine[i];
      if (c == u'\\') {
        std::size_t count = 0;
        while (i < end && commandLine[i] == u'\\') {
          ++count;
          ++i;
        }
        if (i < end && commandLine[i] == u'"') {
          text.append(count / 2, u'\\');
          if (count % 2 == 1) {
            text += u'"';
            ++i;
          }
        } else {
          text.append(count, u'\\');
        }
      } else if (c == u'"') {
        arg.quoted = true;
        if (inQuotes && i + 1 < end && commandLine[i + 1] == u'"') {
          text += u'"';
          i += 2;
        } else {
          inQuotes = !inQuotes;
          ++i;
        }
      } else {
        text += c;
        ++i;
      }
    }
    arg.text = utf8FromUtf16(text);
    args.push_back(std::move(arg));
  }
  return args;
}

bool hasWildcard(std::string_view argument) {
  return argument.find_first_of("*?") != std::string_view::npos;
}

bool matchesWildcard(std::string_view pattern, std::string_view name) {
  const std::optional<std::u16string> widePattern = utf16FromUtf8(pattern);
  const std::optional<std::u16string> wideName = utf16FromUtf8(name);
  return widePattern && wideName &&
         matchesUtf16(foldCase(*widePattern), foldCase(*wideName));
}

std::vector<std::string> expandWildcard(std::string_view pattern) {
  // The folder as written, separator and drive included, so that each match
  // reads as the user would have typed it.
  const std::size_t cut = pattern.find_last_of("/\\:");
  const std::string_view folder =
      cut == std::string_view::npos ? "" : pattern.substr(0, cut + 1);
  const std::string_view namePattern = pattern.substr(folder.size());

  std::vector<std::string> names;
  std::error_code error;
  fs::directory_iterator entries(
      folder.empty() ? fs::path(".") : pathFromBytes(folder), error);
  for (; !error && entries != fs::directory_iterator();
       entries.increment(error)) {
    std::error_code kindError;
    if (entries->is_directory(kindError)) continue;
    std::string name = bytesFromPath(entries->path().filename());
    if (matchesWildcard(namePattern, name)) names.push_back(std::move(name));
  }
  if (error) return {};
  std::sort(names.begin(), names.end());
  for (std::string& name : names) name.insert(0, folder);
  return names;
}

}  // namespace parlavox
