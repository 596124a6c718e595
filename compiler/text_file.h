// Whole-file reading and writing, byte for byte: no line-end translation,
// no code-page conversion, no byte-order mark; NUL bytes pass through.
// A file is replaced only by a complete new one that is on the disk before
// it takes the old one's name.

#ifndef PARLAVOX_COMPILER_TEXT_FILE_H_
#define PARLAVOX_COMPILER_TEXT_FILE_H_

#include <cstddef>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace parlavox {

// The bytes of a file, in storage that the read fills directly (it is never
// cleared first).
class FileText {
 public:
  FileText() = default;

  // A copy of `bytes`; throws std::bad_alloc when there is no room.
  explicit FileText(std::string_view bytes);

  // Room for `size` bytes of unspecified value, or an empty text when there
  // is no room for them.
  static FileText uninitialised(std::size_t size);

  std::string_view view() const { return {data_.get(), size_}; }
  char* data() { return data_.get(); }
  std::size_t size() const { return size_; }
  bool empty() const { return size_ == 0; }

  friend bool operator==(const FileText& text, std::string_view bytes) {
    return text.view() == bytes;
  }

 private:
  std::unique_ptr<char[]> data_;
  std::size_t size_ = 0;
};

// What reading a file came to.
enum class ReadStatus {
  kRead,
  kNotAFile,    // missing, a folder, a device, a pipe: nothing was read
  kUnreadable,  // failed, too large for memory, or changed while read
};

struct ReadResult {
  ReadStatus status = ReadStatus::kUnreadable;
  FileText text;
};

// Opens the file at `path` and, when the open file is a plain file, reads
// its whole content. The size and modification time are taken from the
// open file before and after the read; a file that changed in between is
// unreadable rather than read cut off. Never blocks on a pipe or device.
ReadResult readFile(const std::filesystem::path& path);

// The file's whole content, or nothing when readFile does not read it.
std::optional<FileText> loadFile(const std::filesystem::path& path);

// Takes the bytes of a file being written, in order, and writes them in
// large blocks.
class FileWriter {
 public:
  // Appends `bytes`; a failure is remembered and ends the replacement.
  void write(std::string_view bytes);

  // Ends the replacement as a failure: the file keeps its old content.
  void abandon() { failed_ = true; }

 private:
  friend bool replaceFileWith(const std::filesystem::path&,
                              const std::function<void(FileWriter&)>&);
  using Sink = std::function<bool(std::string_view)>;

  explicit FileWriter(Sink sink);
  bool flush();

  Sink sink_;
  std::unique_ptr<char[]> block_;
  std::size_t used_ = 0;
  bool failed_ = false;
};

// Replaces the file at `path` with what `produce` writes. The bytes go to a
// new temporary file of a short fixed-length name in the same folder, which
// takes the permissions of the file it replaces, is synced to the disk and
// then renamed over `path`; the folder is synced after the rename. So the
// file holds either its old or its whole new content at any moment, also
// after a crash. Returns false, with `path` untouched and no temporary file
// left, when the file could not be written.
bool replaceFileWith(const std::filesystem::path& path,
                     const std::function<void(FileWriter&)>& produce);

// Replaces the file at `path` with `parts` written one after the other, by
// the same safe route as saveFile. Returns false, with `path` untouched and
// no temporary file left, when it could not be written.
bool replaceFile(const std::filesystem::path& path,
                 std::span<const std::string_view> parts);

// Replaces the file at `path` with `text` followed by CR LF, as replaceFile.
bool saveFile(const std::filesystem::path& path, std::string_view text);

// Replaces the file at `path` with `parts` written one after the other, by
// the same safe route as saveFile. Returns false, with `path` untouched and
// no temporary file left, when it could not be written.
bool replaceFile(const std::filesystem::path& path,
                 std::span<const std::string_view> parts);

}  // namespace parlavox

#endif  // PARLAVOX_COMPILER_TEXT_FILE_H_
