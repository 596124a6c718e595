// File names as the program holds them: the bytes of a POSIX file name; on
// Windows, whose names are UTF-16, their UTF-8.

#ifndef PARLAVOX_COMPILER_FILES_FILE_NAMES_H_
#define PARLAVOX_COMPILER_FILES_FILE_NAMES_H_

#include <filesystem>
#include <string>
#include <string_view>

namespace parlavox {

// The path of a name as the program holds it: the bytes of a POSIX file
// name; on Windows, UTF-8 (with unpaired surrogates as WTF-8 has them).
std::filesystem::path pathFromBytes(std::string_view bytes);

// `path` as the program holds names: the inverse of pathFromBytes.
std::string bytesFromPath(const std::filesystem::path& path);

}  // namespace parlavox

#endif  // PARLAVOX_COMPILER_FILES_FILE_NAMES_H_
