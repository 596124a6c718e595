#include "compiler/text_file.h"

#include <atomic>
#include <chrono>
#include <fstream>
#include <system_error>

namespace parlavox {

namespace {

constexpr std::string_view kLineEnd = "\r\n";

// A name beside `path` that no file has: the clock and a counter make it
// unique to this moment, the existence check to the folder.
std::filesystem::path temporaryPathBeside(const std::filesystem::path& path) {
  static std::atomic<unsigned> counter{0};
  std::filesystem::path temporary;
  std::error_code error;
  do {
    const auto tick =
        std::chrono::steady_clock::now().time_since_epoch().count();
    std::string suffix = ".";
    suffix += std::to_string(tick);
    suffix += '-';
    suffix += std::to_string(counter.fetch_add(1));
    suffix += ".tmp";
    temporary = path;
    temporary += suffix;
  } while (std::filesystem::exists(temporary, error));
  return temporary;
}

bool writeWholeFile(const std::filesystem::path& path, std::string_view text) {
  std::ofstream file(path, std::ios::binary | std::ios::trunc);
  if (!file) return false;
  file.write(text.data(), static_cast<std::streamsize>(text.size()));
  file.write(kLineEnd.data(), static_cast<std::streamsize>(kLineEnd.size()));
  file.close();
  return !file.fail();
}

bool writeParts(const std::filesystem::path& path,
                std::span<const std::string_view> parts) {
  std::ofstream file(path, std::ios::binary | std::ios::trunc);
  if (!file) return false;
  for (std::string_view part : parts) {
    file.write(part.data(), static_cast<std::streamsize>(part.size()));
  }
  file.close();
  return !file.fail();
}

}  // namespace

std::optional<std::string> loadFile(const std::filesystem::path& path) {
  std::ifstream file(path, std::ios::binary);
  if (!file) return std::nullopt;
  std::error_code error;
  const auto expected = std::filesystem::file_size(path, error);
  // One byte more than the file holds, so that the first read meets its end.
  std::string content(error ? 0 : static_cast<std::size_t>(expected) + 1, '\0');
  file.read(content.data(), static_cast<std::streamsize>(content.size()));
  std::size_t filled = static_cast<std::size_t>(file.gcount());
  // The file may have grown since its size was asked: read to its end.
  constexpr std::size_t kChunk = std::size_t{1} << 16;
  while (file) {
    content.resize(filled + kChunk);
    file.read(content.data() + filled, static_cast<std::streamsize>(kChunk));
    filled += static_cast<std::size_t>(file.gcount());
  }
  content.resize(filled);
  if (file.bad() || !file.eof()) return std::nullopt;
  return content;
}

bool saveFile(const std::filesystem::path& path, std::string_view text) {
  std::error_code error;
  const std::filesystem::path temporary = temporaryPathBeside(path);
  if (!writeWholeFile(temporary, text)) {
    std::filesystem::remove(temporary, error);
    return false;
  }
  std::filesystem::rename(temporary, path, error);
  if (error) {
    std::filesystem::remove(temporary, error);
    return false;
  }
  return true;
}

bool replaceFile(const std::filesystem::path& path,
                 std::span<const std::string_view> parts) {
  std::error_code error;
  const std::filesystem::path temporary = temporaryPathBeside(path);
  if (!writeParts(temporary, parts)) {
    std::filesystem::remove(temporary, error);
    return false;
  }
  // The replacement keeps the permissions the file had.
  const std::filesystem::file_status old = std::filesystem::status(path, error);
  if (!error) {
    std::filesystem::permissions(temporary, old.permissions(), error);
  }
  std::filesystem::rename(temporary, path, error);
  if (error) {
    std::filesystem::remove(temporary, error);
    return false;
  }
  return true;
}

}  // namespace parlavox
