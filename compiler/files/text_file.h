// The files layer, compiler/files/: the system calls, and what is built
// right on them. Whole files read and written durably, temporary files, a
// file read in blocks and ahead on a thread, blocks written behind, lines
// appended to a source under a lock and a journal, and file names as the
// program holds them. It may use the encodings layer (UTF-16, for names on
// Windows), the standard library and the platform's calls.
//
// Whole-file reading and writing, byte for byte: no line-end translation,
// no code-page conversion, no byte-order mark; NUL bytes pass through.
// A file is replaced only by a complete new one that is on the disk before
// it takes the old one's name, or added to at its end, in place.

#ifndef PARLAVOX_COMPILER_TEXT_FILE_H_
#define PARLAVOX_COMPILER_TEXT_FILE_H_

#include <cstddef>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string_view>

#include "compiler/files/file_results.h"

namespace parlavox {

// Opens the file at `path` and, when the open file is a plain file, reads
// its whole content. The size and modification time are taken from the
// open file before and after the read; a file that changed in between is
// unreadable rather than read cut off. Never blocks on a pipe or device.
ReadResult readFile(const std::filesystem::path& path);

// The identity of the file `path` leads to now; nothing when there is none.
std::optional<FileIdentity> identityOf(const std::filesystem::path& path);

// The file's whole content, or nothing when readFile does not read it.
std::optional<FileText> loadFile(const std::filesystem::path& path);

class WriteBehind;

// Takes the bytes of a file being written, in order, and writes them in
// large blocks. Once a block is full it is written on a thread of its own
// while the next one is filled.
class FileWriter {
 public:
  ~FileWriter();
  FileWriter(const FileWriter&) = delete;
  FileWriter& operator=(const FileWriter&) = delete;

  // Appends `bytes`; a failure is remembered and ends the replacement.
  void write(std::string_view bytes);

  // Ends the replacement as a failure: the file keeps its old content.
  void abandon() { failed_ = true; }

 private:
  friend WriteResult replaceFileWith(const std::filesystem::path&,
                                     const std::function<void(FileWriter&)>&,
                                     const std::function<bool()>&);
  using Sink = std::function<bool(std::string_view)>;

  explicit FileWriter(Sink sink);

  // Writes the bytes still held and waits until every block is written:
  // false when any write failed, or the replacement was abandoned.
  bool finish();

  // Passes the full block on to be written.
  bool flush();

  // Whether full blocks are written on a thread; starts it the first time.
  bool writingBehind();

  // Waits for the block being written behind: false when any write failed.
  bool waitForBehind();

  Sink sink_;
  std::unique_ptr<char[]> block_;  // being filled
  std::size_t used_ = 0;
  bool failed_ = false;
  // Written behind while block_ is filled; both are made with the first
  // full block, so that small files need no thread.
  std::unique_ptr<char[]> spare_;
  std::unique_ptr<WriteBehind> behind_;
  bool behindTried_ = false;
};

// Replaces the file at `path` with what `produce` writes; a symbolic link
// at `path` stays, and the file it points to is replaced. Only a plain file
// is replaced: a folder, device, pipe or socket at `path`, or where it
// links to, is kNotAFile, and nothing is written. The new file
// takes the mode (all of 07777) of the file it replaces, and its owner and
// group where the caller may give them. It is written without a name where
// the system allows (Linux), else under a short temporary name in the same
// folder, synced to the disk, and only then given the name; the folder is
// synced after. So the file holds either its old or its whole new content
// at any moment, also after a crash, and a process killed while writing
// leaves no file behind. `unchanged`, when given, runs right before the new
// file takes the name: false keeps the old file (kChanged). On failure
// `path` is untouched and no temporary file is left. A temporary file is
// named after the file it replaces (".LangX.lng.1a2b3c4d.tmp") and marked
// as in use while it is written: one that a killed process left behind is
// removed by the next replacement of that file.
WriteResult replaceFileWith(const std::filesystem::path& path,
                            const std::function<void(FileWriter&)>& produce,
                            const std::function<bool()>& unchanged = {});

// Replaces the file at `path` with `parts` written one after the other, by
// the same safe route as replaceFileWith.
WriteResult replaceFile(const std::filesystem::path& path,
                        std::span<const std::string_view> parts);

// Replaces the file at `path` with `text` followed by CR LF, as replaceFile.
WriteResult saveFile(const std::filesystem::path& path, std::string_view text);

// Appends `bytes` to the very file at `path` that was read as `read`, whose
// content ended in `readEnd` (the whole text read will do: only its last
// bytes are compared); the file keeps its identity, owner, mode, links and
// attributes. A file the caller may not write, or marked
// read-only, is refused (kFailed with the cause) before anything is written.
// Before writing, the opened file must still be what was read (identity and
// last bytes), else kChanged and nothing is written; after writing and
// syncing, `path` must still lead to it, else kChangedAfterWrite. The bytes
// go in one write and are synced before this returns; a failed write is
// cut off again. `beforeWrite`, when given, runs right before the write;
// false from it writes nothing. On POSIX systems a kill of the process, or
// of its process group or session, SIGKILL included, does not cut the
// write short.
WriteResult appendToFile(const std::filesystem::path& path,
                         const FileIdentity& read, std::string_view readEnd,
                         std::string_view bytes,
                         const std::function<bool()>& beforeWrite = {});

}  // namespace parlavox

#endif  // PARLAVOX_COMPILER_TEXT_FILE_H_
