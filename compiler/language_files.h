// The names of a language's files: its source "lang" + name + ".txt" and
// its compiled file "Lang" + name + ".lng", which names are allowed, and
// which file of a folder is the source.

#ifndef PARLAVOX_COMPILER_LANGUAGE_FILES_H_
#define PARLAVOX_COMPILER_LANGUAGE_FILES_H_

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace parlavox {

// Whether `name` may name a language: it holds no character that would take
// its files out of their folder or that some file system does not allow.
bool languageNameAllowed(std::string_view name);

// "lang" + name + ".txt".
std::string sourceFileName(std::string_view name);

// "Lang" + name + ".lng".
std::string outputFileName(std::string_view name);

// The name in a source's file name "lang" + name + ".txt", where "lang" and
// ".txt" may be in any case; nothing for any other file name.
std::optional<std::string> languageNameOf(std::string_view fileName);

// The file the compile reads as the source of `name`: "lang" + name + ".txt"
// in `folder` if a plain file has that name, else the first plain file, in
// byte order, whose name matches it without regard to case. Nothing when
// there is none or the name is not allowed. With `fileName` as loadLanguage.
std::optional<std::filesystem::path> findLanguageSource(
    const std::filesystem::path& folder, std::string_view name,
    std::string_view fileName = {});

}  // namespace parlavox

#endif  // PARLAVOX_COMPILER_LANGUAGE_FILES_H_
