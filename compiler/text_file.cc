#include "compiler/text_file.h"

#include <array>
#include <atomic>
#include <cstdint>
#include <cstring>
#include <new>
#include <random>
#include <system_error>
#include <utility>

#include "compiler/file_system.h"
#include "compiler/temporary_files.h"

namespace parlavox {

namespace {

namespace fs = std::filesystem;

constexpr std::string_view kLineEnd = "\r\n";

// Large enough that writing costs few calls, small beside any source.
constexpr std::size_t kBlockSize = std::size_t{256} << 10;

// Attempts at a free temporary name before giving up.
constexpr int kNameAttempts = 64;

// A temporary file name of fixed length, so that it fits wherever the
// output's name fits: "." + 8 hexadecimal digits + ".tmp". Random per
// process, so that two processes writing into one folder rarely meet.
fs::path temporaryName() {
  static std::atomic<std::uint64_t> state{std::random_device{}()};
  // splitmix64: spreads a counter over all 64 bits.
  std::uint64_t z = state.fetch_add(0x9E3779B97F4A7C15ULL);
  z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
  z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
  z ^= z >> 31;
  constexpr char kHex[] = "0123456789abcdef";
  std::string name = ".";
  for (int shift = 28; shift >= 0; shift -= 4) name += kHex[(z >> shift) & 15];
  name += ".tmp";
  return fs::path(name);
}

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
os::ScopedHandle createTemporary(const fs::path& folder, fs::path* path,
                                 TemporaryNote* note) {
  const os::SignalsHeld held;
  for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
    *path = folder / temporaryName();
    bool exists = false;
    os::ScopedHandle file = os::createNewFile(*path, &exists);
    if (file.open()) note->remember(*path);
    if (file.open() || !exists) return file;
  }
  return os::ScopedHandle();
}

}  // namespace

FileText::FileText(std::string_view bytes)
    : data_(std::make_unique_for_overwrite<char[]>(bytes.size())),
      size_(bytes.size()) {
  if (!bytes.empty()) std::memcpy(data_.get(), bytes.data(), bytes.size());
}

FileText FileText::uninitialised(std::size_t size) {
  FileText text;
  text.data_.reset(new (std::nothrow) char[size]);
  if (text.data_ != nullptr) {
    text.size_ = size;
    os::adviseLargePages(text.data_.get(), size);
  }
  return text;
}

ReadResult readFile(const fs::path& path) { return os::readWholeFile(path); }

std::optional<FileText> loadFile(const fs::path& path) {
  ReadResult read = readFile(path);
  if (read.status != ReadStatus::kRead) return std::nullopt;
  return std::move(read.text);
}

FileWriter::FileWriter(Sink sink) : sink_(std::move(sink)) {
  block_.reset(new (std::nothrow) char[kBlockSize]);
  failed_ = block_ == nullptr;
}

void FileWriter::write(std::string_view bytes) {
  if (failed_ || bytes.empty()) return;
  if (bytes.size() > kBlockSize - used_) {
    if (!flush()) return;
    // Whatever fills a block on its own goes straight to the file.
    if (bytes.size() >= kBlockSize) {
      failed_ = !sink_(bytes);
      return;
    }
  }
  std::memcpy(block_.get() + used_, bytes.data(), bytes.size());
  used_ += bytes.size();
}

bool FileWriter::flush() {
  if (!failed_ && used_ != 0) {
    failed_ = !sink_(std::string_view(block_.get(), used_));
    used_ = 0;
  }
  return !failed_;
}

bool replaceFileWith(const fs::path& path,
                     const std::function<void(FileWriter&)>& produce) {
  const fs::path folder =
      path.has_parent_path() ? path.parent_path() : fs::path(".");
  fs::path temporary;
  TemporaryNote note;
  os::ScopedHandle file = createTemporary(folder, &temporary, &note);
  if (!file.open()) return false;

  std::uint64_t put = 0;
  FileWriter writer([&](std::string_view bytes) {
    if (!os::writeAll(file.get(), bytes)) return false;
    // The disk starts on what is written while the rest is produced, so
    // that the sync at the end waits only for the last part.
    os::startWriting(file.get(), put, bytes.size());
    put += bytes.size();
    return true;
  });
  // The file's bytes and permissions are on the disk before it takes the
  // output's name, so the name never stands for a partial file.
  bool written = os::copyPermissions(file.get(), path);
  if (written) {
    produce(writer);
    written = writer.flush() && os::syncFile(file.get());
  }
  written = file.close() && written;
  if (written) written = os::renameOver(temporary, path);
  if (!written) {
    std::error_code ignored;
    fs::remove(temporary, ignored);
    return false;
  }
  os::syncFolder(folder);
  return true;
}

bool replaceFile(const fs::path& path,
                 std::span<const std::string_view> parts) {
  return replaceFileWith(path, [&](FileWriter& writer) {
    for (std::string_view part : parts) writer.write(part);
  });
}

bool saveFile(const fs::path& path, std::string_view text) {
  const std::array<std::string_view, 2> parts = {text, kLineEnd};
  return replaceFile(path, parts);
}

}  // namespace parlavox
