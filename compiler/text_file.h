// Whole-file reading and writing, byte for byte: no line-end translation,
// no code-page conversion, no byte-order mark; NUL bytes pass through.

#ifndef PARLAVOX_COMPILER_TEXT_FILE_H_
#define PARLAVOX_COMPILER_TEXT_FILE_H_

#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace parlavox {

// The file's whole content, or nothing when it cannot be opened or read.
std::optional<std::string> loadFile(const std::filesystem::path& path);

// Replaces the file at `path` with `text` followed by CR LF. The bytes go to
// a temporary file in the same folder that is then renamed over `path`, so
// the file holds either its old or its whole new content at any moment.
// Returns false, with `path` untouched and no temporary file left, when the
// file could not be written.
bool saveFile(const std::filesystem::path& path, std::string_view text);

// Replaces the file at `path` with `parts` written one after the other, by
// the same safe route as saveFile. Returns false, with `path` untouched and
// no temporary file left, when it could not be written.
bool replaceFile(const std::filesystem::path& path,
                 std::span<const std::string_view> parts);

}  // namespace parlavox

#endif  // PARLAVOX_COMPILER_TEXT_FILE_H_
