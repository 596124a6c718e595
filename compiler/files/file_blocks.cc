#include "compiler/files/file_blocks.h"

#include <algorithm>
#include <new>
#include <utility>

#include "compiler/files/read_ahead.h"

namespace parlavox {

FileBlocks::FileBlocks(const std::filesystem::path& path)
    : file_(os::openPlainFile(path, &status_, &state_)) {
  if (status_ == ReadStatus::kUnreadable) cause_ = os::causeOfLastFailure();
}

std::optional<std::size_t> FileBlocks::read(std::span<char> into) {
  // Never past the size the file had when opened: a file that grows
  // meanwhile is changed, not longer.
  if (read_ == state_.size) {
    char probe = 0;
    return os::readBlock(file_.get(), &probe, 1) == 0
               ? std::optional<std::size_t>(0)
               : std::nullopt;
  }
  const auto wanted = static_cast<std::size_t>(
      std::min<std::uint64_t>(into.size(), state_.size - read_));
  const long long got = os::readBlock(file_.get(), into.data(), wanted);
  if (got <= 0) return std::nullopt;  // shorter than its size said
  read_ += static_cast<std::uint64_t>(got);
  return static_cast<std::size_t>(got);
}

bool FileBlocks::rewind() { return skipTo(0); }

bool FileBlocks::skipTo(std::uint64_t offset) {
  if (status_ != ReadStatus::kRead || offset > state_.size || !unchanged() ||
      !os::seekTo(file_.get(), offset)) {
    return false;
  }
  read_ = offset;
  return true;
}

bool FileBlocks::stillAt(const std::filesystem::path& path) const {
  const std::optional<FileIdentity> opened = identity();
  const std::optional<FileIdentity> named = os::identityAt(path);
  return opened && named && opened->device == named->device &&
         opened->index == named->index;
}

bool FileBlocks::unchanged() {
  os::FileState now;
  return os::fileState(file_.get(), &now) && now == state_;
}

namespace {

// What reading a file that did not open comes to.
ReadResult unopened(const FileBlocks& file) {
  ReadResult result;
  result.status = file.status();
  result.cause = file.cause();
  return result;
}

}  // namespace

ReadResult readAll(FileBlocks* opened) {
  FileBlocks& file = *opened;
  if (file.status() != ReadStatus::kRead) return unopened(file);
  ReadResult result;
  const auto size = static_cast<std::size_t>(file.size());
  FileText text = FileText::uninitialised(size);
  if (text.size() != size) return result;
  for (std::size_t filled = 0; filled < size;) {
    const std::optional<std::size_t> got =
        file.read(std::span<char>(text.data() + filled, size - filled));
    if (!got || *got == 0) return result;  // shorter than its size said
    filled += *got;
  }
  // The file must end where its size said, and be as it was when opened.
  char probe = 0;
  const std::optional<FileIdentity> identity = file.identity();
  if (file.read(std::span<char>(&probe, 1)) != std::size_t{0} ||
      !file.unchanged() || !identity) {
    return result;
  }
  result.status = ReadStatus::kRead;
  result.text = std::move(text);
  result.identity = *identity;
  return result;
}

ReadResult readInBlocks(FileBlocks* opened,
                        const std::function<bool(std::string_view)>& take) {
  FileBlocks& file = *opened;
  if (file.status() != ReadStatus::kRead) return unopened(file);
  ReadResult result;
  const std::optional<FileIdentity> identity = file.identity();
  if (!identity) return result;
  try {
    // The next block is read while `take` looks at this one.
    ReadAhead ahead(&file, kSourceBlockSize, true);
    for (;;) {
      const std::optional<std::string_view> block = ahead.next();
      if (!block) return result;  // shorter or longer than its size said
      if (block->empty() || !take(*block)) break;
    }
  } catch (const std::bad_alloc&) {
    return result;
  }
  if (!file.unchanged()) return result;
  result.status = ReadStatus::kRead;
  result.identity = *identity;
  return result;
}

std::optional<std::size_t> physicalLineIn(SourceBlocks* source,
                                          std::uint64_t offset) {
  std::size_t lineEnds = 0;
  bool afterCr = false;
  char block[4096];
  // The byte at `offset` tells whether a CR right before it ends a line.
  for (std::uint64_t at = 0; at <= offset;) {
    const std::optional<std::size_t> got = source->read(block);
    if (!got) return std::nullopt;
    if (*got == 0) break;
    for (std::size_t i = 0; i < *got && at <= offset; ++i, ++at) {
      if (afterCr && block[i] != '\n') ++lineEnds;
      afterCr = at < offset && block[i] == '\r';
      if (at < offset && block[i] == '\n') ++lineEnds;
    }
  }
  return lineEnds + (afterCr ? 1 : 0) + 1;
}

}  // namespace parlavox
