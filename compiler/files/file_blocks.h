// Where a scan's bytes come from: a source read block by block, from its
// start to its end. A source that changes its bytes on the way (one that
// decodes or masks them) wraps another.

#ifndef PARLAVOX_COMPILER_FILES_FILE_BLOCKS_H_
#define PARLAVOX_COMPILER_FILES_FILE_BLOCKS_H_

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <span>
#include <string_view>

#include "compiler/files/file_results.h"
#include "compiler/files/file_system.h"

namespace parlavox {

// A source of bytes, read from its start to its end once.
class SourceBlocks {
 public:
  virtual ~SourceBlocks() = default;

  // The number of bytes the source holds, as known before the first read.
  virtual std::uint64_t size() const = 0;

  // Fills the start of `into` with the next bytes: how many, 0 at the end,
  // or nothing when they could not be read.
  virtual std::optional<std::size_t> read(std::span<char> into) = 0;

  // Whether the source is still as it was before the first read.
  virtual bool unchanged() = 0;
};

// A plain file read block by block. Its size, modification time and change
// time are taken from the open file when it is opened and again by
// unchanged(), so that a file that changes while it is read is never taken
// for a shorter or longer one. Every reading of a compile goes through the
// one open file, rewound, so that all of them read the same file.
class FileBlocks : public SourceBlocks {
 public:
  // Opens the file at `path`. Never blocks on a pipe or device.
  explicit FileBlocks(const std::filesystem::path& path);

  // kRead when the file is open; as readFile says otherwise.
  ReadStatus status() const { return status_; }

  // Why the file could not be opened, where the system says.
  FileCause cause() const { return cause_; }

  // The identity of the open file, as it is now.
  std::optional<FileIdentity> identity() const {
    return os::openFileIdentity(file_.get());
  }

  // Starts the reading again from the first byte; false when the file has
  // changed since it was opened, or cannot be read again.
  bool rewind();

  // Starts the reading at byte `offset`, as rewind() does at the first.
  bool skipTo(std::uint64_t offset);

  // Whether `path` still leads to this open file: a file saved in its
  // place (renamed over it) is another one.
  bool stillAt(const std::filesystem::path& path) const;

  std::uint64_t size() const override { return state_.size; }
  std::optional<std::size_t> read(std::span<char> into) override;
  bool unchanged() override;

 private:
  // Filled while file_ is opened, so declared before it.
  ReadStatus status_ = ReadStatus::kUnreadable;
  os::FileState state_;
  os::ScopedHandle file_;
  FileCause cause_ = FileCause::kNone;
  std::uint64_t read_ = 0;  // bytes read so far
};

// Reads the whole of `file`, from where it stands, as readFile does.
ReadResult readAll(FileBlocks* file);

// Reads `file` as readAll does, but hands each block to `take` rather than
// keeping it: the result's text stays empty. `take` returning false ends
// the reading there, which is then a success.
ReadResult readInBlocks(FileBlocks* file,
                        const std::function<bool(std::string_view)>& take);

// The block size a compile reads with: large enough that reading costs few
// calls, small enough to stay in the processor's cache.
constexpr std::size_t kSourceBlockSize = std::size_t{512} << 10;

// The 1-based physical line of byte `offset` of what `source` reads, from
// its start (CR LF, a lone CR and LF each end a line); nothing when it could
// not be read.
std::optional<std::size_t> physicalLineIn(SourceBlocks* source,
                                          std::uint64_t offset);

}  // namespace parlavox

#endif  // PARLAVOX_COMPILER_FILES_FILE_BLOCKS_H_
