// What reading and writing a file come to: the bytes read, the identity of
// the file they came from, and why a read or a write failed. The system
// calls of file_system.h and the whole-file reading and writing of
// text_file.h both return these.

#ifndef PARLAVOX_COMPILER_FILES_FILE_RESULTS_H_
#define PARLAVOX_COMPILER_FILES_FILE_RESULTS_H_

#include <cstddef>
#include <cstdint>
#include <memory>
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

// Why reading or writing a file failed, where the system gives a reason the
// translator can act on.
enum class FileCause {
  kNone,              // no reason given, or none the translator can act on
  kReadOnly,          // the file, or its file system, is read-only
  kHeldOpen,          // another program has the file open and shares it not
  kPermissionDenied,  // the caller may not read or write the file or folder
  kNoSpace,           // the disk, or the caller's share of it, is full
};

// Which file a name led to and what it was like at that moment: a file
// with the same identity later is the same file, unchanged as far as its
// size, modification time and change time tell. The change time counts
// because nobody can set it back: a rewrite of the same size whose
// modification time was put back (a restore, `touch -r`) still changes it.
struct FileIdentity {
  std::uint64_t device = 0;
  std::uint64_t index = 0;  // the inode; the file index on Windows
  std::uint64_t size = 0;
  std::int64_t modified = 0;  // in the system's finest unit (ns on Linux)
  std::int64_t changed = 0;   // the change time, in the same unit

  friend bool operator==(const FileIdentity&, const FileIdentity&) = default;
};

// What reading a file came to.
enum class ReadStatus {
  kRead,
  kNotAFile,    // missing, a folder, a device, a pipe: nothing was read
  kUnreadable,  // failed, too large for memory, or changed while read
};

struct ReadResult {
  ReadStatus status = ReadStatus::kUnreadable;
  FileCause cause = FileCause::kNone;  // why it was unreadable
  FileText text;
  FileIdentity identity;  // of the opened file, when read
};

// What writing a file came to.
enum class WriteStatus {
  kWritten,
  kFailed,   // the system refused or failed; `cause` may say why
  kChanged,  // the file, or a file it depends on, changed meanwhile
  // An append was written, but the file changed as well meanwhile (another
  // name leads elsewhere, or its size is not what the append made it).
  kChangedAfterWrite,
  // The file to replace is, or links to, something else than a plain file.
  kNotAFile,
};

// What stands at a name, where it is not a plain file.
enum class NodeKind {
  kFile,  // a plain file, or nothing yet
  kFolder,
  kDevice,
  kPipe,
  kSocket,
  kOther,
};

struct WriteResult {
  WriteStatus status = WriteStatus::kFailed;
  FileCause cause = FileCause::kNone;
  NodeKind node = NodeKind::kFile;  // what stands there, for kNotAFile

  static WriteResult written() { return {WriteStatus::kWritten}; }
  static WriteResult failed(FileCause cause) {
    return {WriteStatus::kFailed, cause};
  }
  static WriteResult changed() { return {WriteStatus::kChanged}; }
  static WriteResult changedAfterWrite() {
    return {WriteStatus::kChangedAfterWrite};
  }
  static WriteResult notAFile(NodeKind node) {
    return {WriteStatus::kNotAFile, FileCause::kNone, node};
  }

  explicit operator bool() const { return status == WriteStatus::kWritten; }
};

}  // namespace parlavox

#endif  // PARLAVOX_COMPILER_FILES_FILE_RESULTS_H_
