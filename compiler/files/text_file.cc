#include "compiler/files/text_file.h"

#include <array>
#include <atomic>
#include <cstdint>
#include <cstring>
#include <new>
#include <random>
#include <system_error>
#include <utility>

#include "compiler/files/file_blocks.h"
#include "compiler/files/file_system.h"
#include "compiler/files/temporary_files.h"
#include "compiler/files/write_behind.h"

namespace parlavox {

namespace {

namespace fs = std::filesystem;

constexpr std::string_view kLineEnd = "\r\n";

// Large enough that writing costs few calls, small beside any source.
constexpr std::size_t kBlockSize = std::size_t{256} << 10;

// Attempts at a free temporary name before giving up.
constexpr int kNameAttempts = 64;

// The longest file name most file systems take, in bytes or UTF-16 units.
constexpr std::size_t kLongestName = 255;

// What a temporary file name adds after its file's own name: "." + 8
// hexadecimal digits + ".tmp".
constexpr std::size_t kSuffixSize = 13;

// The start of the temporary names for the file `target`: "." + its name,
// or just "" where that would make a name too long, and the temporary name
// is then "." + 8 digits + ".tmp", which fits wherever the name fits.
fs::path::string_type temporaryPrefix(const fs::path& target) {
  fs::path::string_type prefix = fs::path(".").native();
  prefix += target.filename().native();
  if (prefix.size() + kSuffixSize > kLongestName) return {};
  return prefix;
}

// Whether `name` is a temporary name of prefix `prefix`, as temporaryName
// makes them.
bool isTemporaryName(const fs::path::string_type& name,
                     const fs::path::string_type& prefix) {
  if (prefix.empty() || name.size() != prefix.size() + kSuffixSize ||
      name.compare(0, prefix.size(), prefix) != 0 ||
      name[prefix.size()] != '.' ||
      name.compare(name.size() - 4, 4, fs::path(".tmp").native()) != 0) {
    return false;
  }
  for (std::size_t at = prefix.size() + 1; at < name.size() - 4; ++at) {
    const auto c = name[at];
    if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'))) return false;
  }
  return true;
}

// A temporary name for the file `target`: temporaryPrefix + "." + 8
// hexadecimal digits + ".tmp". Random per process, so that two processes
// writing into one folder rarely meet.
fs::path temporaryName(const fs::path& target) {
  static std::atomic<std::uint64_t> state{std::random_device{}()};
  // splitmix64: spreads a counter over all 64 bits.
  std::uint64_t z = state.fetch_add(0x9E3779B97F4A7C15ULL);
  z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
  z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
  z ^= z >> 31;
  constexpr char kHex[] = "0123456789abcdef";
  std::string digits = ".";
  for (int shift = 28; shift >= 0; shift -= 4) {
    digits += kHex[(z >> shift) & 15];
  }
  digits += ".tmp";
  fs::path name(temporaryPrefix(target));
  name += digits;
  return name;
}

// Removes the temporary files of `target` in `folder` that no live process
// is writing: those a killed replacement left behind.
void removeLeftTemporaries(const fs::path& folder, const fs::path& target) {
  const fs::path::string_type prefix = temporaryPrefix(target);
  if (prefix.empty()) return;
  std::error_code error;
  for (fs::directory_iterator it(folder, error), end; !error && it != end;
       it.increment(error)) {
    std::error_code ignored;
    if (!isTemporaryName(it->path().filename().native(), prefix) ||
        !it->is_regular_file(ignored) || os::temporaryInUse(it->path())) {
      continue;
    }
    fs::remove(it->path(), ignored);
  }
}

// Removes, as it goes out of scope, what removeLeftTemporaries removes.
struct LeftTemporariesRemoval {
  const fs::path& folder;
  const fs::path& target;
  ~LeftTemporariesRemoval() { removeLeftTemporaries(folder, target); }
};

// Notes a temporary file for the signal handlers while it exists.
class TemporaryNote {
 public:
  TemporaryNote() = default;
  ~TemporaryNote() { forgetTemporaryFile(ticket_); }
  TemporaryNote(const TemporaryNote&) = delete;
  TemporaryNote& operator=(const TemporaryNote&) = delete;

  void remember(const fs::path& path) { ticket_ = rememberTemporaryFile(path); }

 private:
  int ticket_ = -1;
};

// Creates a temporary file in `folder` that did not exist before, its path
// in `*path` and noted in `*note` before any ending signal is handled.
os::ScopedHandle createTemporary(const fs::path& folder, const fs::path& target,
                                 fs::path* path, TemporaryNote* note,
                                 os::ScopedHandle* inUse, FileCause* cause) {
  const os::SignalsHeld held;
  for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
    *path = folder / temporaryName(target);
    bool exists = false;
    os::ScopedHandle file = os::createNewFile(*path, &exists);
    if (file.open()) {
      note->remember(*path);
      *inUse = os::markInUse(file.get());
      return file;
    }
    if (!exists) break;
  }
  *cause = os::causeOfLastFailure();
  return os::ScopedHandle();
}

// Opens the new file for `target` in `folder`: a file without a name where
// the system can make one (`*temporary` stays empty), else a temporary file.
// The file is marked in use while `*inUse` is open.
os::ScopedHandle openNewFile(const fs::path& folder, const fs::path& target,
                             fs::path* temporary, TemporaryNote* note,
                             os::ScopedHandle* inUse, FileCause* cause) {
  bool unsupported = false;
  os::ScopedHandle unnamed = os::createUnnamedFile(folder, &unsupported);
  if (unnamed.open() || !unsupported) {
    if (!unnamed.open()) *cause = os::causeOfLastFailure();
    // Named for a moment before it is renamed: marked from the start.
    if (unnamed.open()) *inUse = os::markInUse(unnamed.get());
    return unnamed;
  }
  return createTemporary(folder, target, temporary, note, inUse, cause);
}

// Gives the complete, synced unnamed `file` the name `target`: at once where
// nothing has that name yet, else under a temporary name renamed over it.
WriteResult nameComplete(os::ScopedHandle* file, const fs::path& target,
                         const fs::path& folder, TemporaryNote* note) {
  bool exists = false;
  if (os::nameUnnamedFile(file->get(), target, &exists)) {
    // The bytes are synced: closing adds nothing a sync did not report.
    file->close();
    return WriteResult::written();
  }
  if (!exists) return WriteResult::failed(os::causeOfLastFailure());
  fs::path temporary;
  {
    const os::SignalsHeld held;
    for (int attempt = 0; attempt < kNameAttempts && temporary.empty();
         ++attempt) {
      const fs::path candidate = folder / temporaryName(target);
      if (os::nameUnnamedFile(file->get(), candidate, &exists)) {
        note->remember(candidate);
        temporary = candidate;
      } else if (!exists) {
        break;
      }
    }
  }
  if (temporary.empty()) return WriteResult::failed(os::causeOfLastFailure());
  file->close();
  if (os::renameOver(temporary, target)) return WriteResult::written();
  const FileCause cause = os::causeOfLastFailure();
  std::error_code ignored;
  fs::remove(temporary, ignored);
  return WriteResult::failed(cause);
}

// The file `path` stands for: where a symbolic link, or a chain of them,
// points (whether that file exists or not); else `path` itself.
fs::path whereItPoints(const fs::path& path) {
  constexpr int kMostLinks = 40;  // as many as the system follows
  fs::path at = path;
  std::error_code error;
  for (int hop = 0; hop < kMostLinks && fs::is_symlink(at, error); ++hop) {
    const fs::path target = fs::read_symlink(at, error);
    if (error) break;
    at = target.is_absolute() ? target : at.parent_path() / target;
  }
  return at;
}

}  // namespace

ReadResult readFile(const fs::path& path) {
  FileBlocks file(path);
  return readAll(&file);
}

std::optional<FileIdentity> identityOf(const fs::path& path) {
  return os::identityAt(path);
}

std::optional<FileText> loadFile(const fs::path& path) {
  ReadResult read = readFile(path);
  if (read.status != ReadStatus::kRead) return std::nullopt;
  return std::move(read.text);
}

FileWriter::FileWriter(Sink sink) : sink_(std::move(sink)) {
  block_.reset(new (std::nothrow) char[kBlockSize]);
  failed_ = block_ == nullptr;
}

// Waits for the writing thread before the sink and the blocks go.
FileWriter::~FileWriter() = default;

void FileWriter::write(std::string_view bytes) {
  if (failed_ || bytes.empty()) return;
  if (bytes.size() > kBlockSize - used_) {
    if (!flush()) return;
    // Whatever fills a block on its own goes straight to the file, after
    // the block before it.
    if (bytes.size() >= kBlockSize) {
      failed_ = !waitForBehind() || !sink_(bytes);
      return;
    }
  }
  std::memcpy(block_.get() + used_, bytes.data(), bytes.size());
  used_ += bytes.size();
}

bool FileWriter::flush() {
  if (failed_ || used_ == 0) return !failed_;
  const std::string_view bytes(block_.get(), used_);
  used_ = 0;
  if (!writingBehind()) {
    failed_ = !sink_(bytes);
    return !failed_;
  }
  // The spare block is free once the one before is written.
  if (!waitForBehind()) return false;
  behind_->hand(bytes);
  std::swap(block_, spare_);
  return true;
}

bool FileWriter::finish() {
  // The last block is written here: nothing is left to overlap with it.
  if (waitForBehind() && !failed_ && used_ != 0) {
    failed_ = !sink_(std::string_view(block_.get(), used_));
  }
  used_ = 0;
  behind_.reset();
  return !failed_;
}

bool FileWriter::writingBehind() {
  if (behind_ != nullptr) return true;
  if (behindTried_) return false;
  behindTried_ = true;
  spare_.reset(new (std::nothrow) char[kBlockSize]);
  if (spare_ == nullptr) return false;
  behind_.reset(new (std::nothrow) WriteBehind(&sink_));
  if (behind_ != nullptr && !behind_->start()) behind_.reset();
  return behind_ != nullptr;
}

bool FileWriter::waitForBehind() {
  if (behind_ != nullptr && !behind_->wait()) failed_ = true;
  return !failed_;
}

WriteResult replaceFileWith(const fs::path& path,
                            const std::function<void(FileWriter&)>& produce,
                            const std::function<bool()>& unchanged) {
  const fs::path target = whereItPoints(path);
  const fs::path folder =
      target.has_parent_path() ? target.parent_path() : fs::path(".");
  // A device, say, is never replaced by a file: not /dev/null behind a link.
  if (const NodeKind node = os::nodeAt(target); node != NodeKind::kFile) {
    return WriteResult::notAFile(node);
  }
  // Last, once this replacement's own temporary file is gone.
  const LeftTemporariesRemoval removal{folder, target};
  fs::path temporary;
  TemporaryNote note;
  FileCause cause = FileCause::kNone;
  // Declared before the file, so that it is closed after it: the mark
  // lasts until the file has its name, or is gone.
  os::ScopedHandle inUse;
  os::ScopedHandle file =
      openNewFile(folder, target, &temporary, &note, &inUse, &cause);
  if (!file.open()) return WriteResult::failed(cause);

  std::uint64_t put = 0;
  bool writeFailed = false;
  // Called on the writing thread too: the cause is taken there, from that
  // thread's error.
  FileWriter writer([&](std::string_view bytes) {
    if (!os::writeAll(file.get(), bytes)) {
      cause = os::causeOfLastFailure();
      writeFailed = true;
      return false;
    }
    // The disk starts on what is written while the rest is produced, so
    // that the sync at the end waits only for the last part.
    os::startWriting(file.get(), put, bytes.size());
    put += bytes.size();
    return true;
  });
  // The file's bytes and permissions are on the disk before it takes the
  // output's name, so the name never stands for a partial file.
  bool written = os::copyPermissions(file.get(), target);
  if (written) {
    produce(writer);
    written = writer.finish() && os::syncFile(file.get());
  }
  if (!written && !writeFailed && cause == FileCause::kNone) {
    cause = os::causeOfLastFailure();
  }
  WriteResult result =
      written ? WriteResult::written() : WriteResult::failed(cause);
  if (!temporary.empty() && !file.close() && result) {
    result = WriteResult::failed(os::causeOfLastFailure());
  }
  if (result && unchanged && !unchanged()) result = WriteResult::changed();
  // Checked again: something may have taken the name meanwhile.
  if (const NodeKind node = os::nodeAt(target);
      result && node != NodeKind::kFile) {
    result = WriteResult::notAFile(node);
  }
  if (result && temporary.empty()) {
    result = nameComplete(&file, target, folder, &note);
  } else if (result && !os::renameOver(temporary, target)) {
    result = WriteResult::failed(os::causeOfLastFailure());
  }
  if (!result) {
    if (!temporary.empty()) {
      std::error_code ignored;
      fs::remove(temporary, ignored);
    }
    return result;
  }
  os::syncFolder(folder);
  return result;
}

WriteResult replaceFile(const fs::path& path,
                        std::span<const std::string_view> parts) {
  return replaceFileWith(path, [&](FileWriter& writer) {
    for (std::string_view part : parts) writer.write(part);
  });
}

WriteResult saveFile(const fs::path& path, std::string_view text) {
  const std::array<std::string_view, 2> parts = {text, kLineEnd};
  return replaceFile(path, parts);
}

WriteResult appendToFile(const fs::path& path, const FileIdentity& read,
                         std::string_view readEnd, std::string_view bytes,
                         const std::function<bool()>& beforeWrite) {
  return os::appendChecked(path, read, readEnd, bytes, beforeWrite);
}

}  // namespace parlavox
