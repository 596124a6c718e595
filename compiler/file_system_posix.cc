#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdio>

#include "compiler/file_system.h"

namespace parlavox::os {

namespace {

// Larger reads and writes are split: Linux moves at most about 2 GB a call.
constexpr std::size_t kLargestCall = std::size_t{1} << 30;

bool sameFileState(const struct stat& a, const struct stat& b) {
  return a.st_size == b.st_size && a.st_mtim.tv_sec == b.st_mtim.tv_sec &&
         a.st_mtim.tv_nsec == b.st_mtim.tv_nsec;
}

// Reads up to `size` bytes, retrying after signals; -1 on failure.
ssize_t readSome(int fd, char* into, std::size_t size) {
  ssize_t got = 0;
  do {
    got = ::read(fd, into, std::min(size, kLargestCall));
  } while (got < 0 && errno == EINTR);
  return got;
}

}  // namespace

SignalsHeld::SignalsHeld() {
  sigset_t ending;
  sigemptyset(&ending);
  for (int signal : {SIGINT, SIGTERM, SIGHUP}) sigaddset(&ending, signal);
  pthread_sigmask(SIG_BLOCK, &ending, &saved_);
}

SignalsHeld::~SignalsHeld() { pthread_sigmask(SIG_SETMASK, &saved_, nullptr); }

bool ScopedHandle::close() {
  if (!open_) return true;
  open_ = false;
  // After close fails with EINTR the descriptor is gone all the same.
  return ::close(handle_) == 0 || errno == EINTR;
}

void adviseLargePages(char* bytes, std::size_t size) {
#if defined(MADV_HUGEPAGE)
  // Only whole large pages inside the buffer can be advised.
  constexpr std::uintptr_t kLargePage = std::uintptr_t{2} << 20;
  const auto address = reinterpret_cast<std::uintptr_t>(bytes);
  const std::size_t before = (kLargePage - address % kLargePage) % kLargePage;
  if (size <= before) return;
  const std::size_t whole = (size - before) / kLargePage * kLargePage;
  if (whole != 0) {
    // Advice only: a system without large pages reads the file all the same.
    madvise(bytes + before, whole, MADV_HUGEPAGE);
  }
#else
  (void)bytes;
  (void)size;
#endif
}

ReadResult readWholeFile(const std::filesystem::path& path) {
  ReadResult result;
  // Non-blocking, so that opening a pipe with no writer returns at once.
  const int fd =
      ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
  if (fd < 0) {
    if (errno == ENOENT || errno == ENOTDIR) {
      result.status = ReadStatus::kNotAFile;
    }
    return result;
  }
  ScopedHandle file(fd);
  struct stat before {};
  if (fstat(fd, &before) != 0) return result;
  if (!S_ISREG(before.st_mode)) {
    result.status = ReadStatus::kNotAFile;
    return result;
  }
  const auto size = static_cast<std::size_t>(before.st_size);
  FileText text = FileText::uninitialised(size);
  if (text.size() != size) return result;
  std::size_t filled = 0;
  while (filled < size) {
    const ssize_t got = readSome(fd, text.data() + filled, size - filled);
    if (got <= 0) return result;
    filled += static_cast<std::size_t>(got);
  }
  // The file must end where its size said, and be as it was when opened.
  char probe = 0;
  struct stat after {};
  if (readSome(fd, &probe, 1) != 0 || fstat(fd, &after) != 0 ||
      !sameFileState(before, after)) {
    return result;
  }
  result.status = ReadStatus::kRead;
  result.text = std::move(text);
  return result;
}

ScopedHandle createNewFile(const std::filesystem::path& path, bool* exists) {
  // O_EXCL also refuses a symbolic link of that name, dangling or not.
  const int fd = ::open(
      path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOCTTY, 0666);
  *exists = fd < 0 && errno == EEXIST;
  return fd < 0 ? ScopedHandle() : ScopedHandle(fd);
}

bool copyPermissions(Handle handle, const std::filesystem::path& model) {
  struct stat existing {};
  if (::stat(model.c_str(), &existing) != 0 || !S_ISREG(existing.st_mode)) {
    return true;  // nothing to keep: the new file has the umask's mode
  }
  return fchmod(handle, existing.st_mode & 07777) == 0;
}

bool writeAll(Handle handle, std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t put =
        ::write(handle, bytes.data(), std::min(bytes.size(), kLargestCall));
    if (put < 0 && errno == EINTR) continue;
    if (put <= 0) return false;
    bytes.remove_prefix(static_cast<std::size_t>(put));
  }
  return true;
}

void startWriting(Handle handle, std::uint64_t offset, std::size_t size) {
#if defined(SYNC_FILE_RANGE_WRITE)
  sync_file_range(handle, static_cast<off_t>(offset), static_cast<off_t>(size),
                  SYNC_FILE_RANGE_WRITE);
#else
  (void)handle;
  (void)offset;
  (void)size;
#endif
}

bool syncFile(Handle handle) {
  int status = 0;
  do {
    status = fsync(handle);
  } while (status != 0 && errno == EINTR);
  return status == 0;
}

bool renameOver(const std::filesystem::path& from,
                const std::filesystem::path& to) {
  return std::rename(from.c_str(), to.c_str()) == 0;
}

void syncFolder(const std::filesystem::path& folder) {
  const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  ScopedHandle directory(fd);
  // The rename has happened; a file system that cannot sync a folder (EINVAL)
  // keeps its names by other means, so the outcome stays a success.
  syncFile(fd);
}

ScopedHandle openPlainFile(const std::filesystem::path& path,
                           ReadStatus* status, FileState* state) {
  *status = ReadStatus::kUnreadable;
  // Non-blocking, so that opening a pipe with no writer returns at once.
  const int fd =
      ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
  if (fd < 0) {
    if (errno == ENOENT || errno == ENOTDIR) *status = ReadStatus::kNotAFile;
    return ScopedHandle();
  }
  ScopedHandle file(fd);
  struct stat opened {};
  if (fstat(fd, &opened) != 0) return ScopedHandle();
  if (!S_ISREG(opened.st_mode)) {
    *status = ReadStatus::kNotAFile;
    return ScopedHandle();
  }
  if (!fileState(fd, state)) return ScopedHandle();
  *status = ReadStatus::kRead;
  return file;
}

bool fileState(Handle handle, FileState* state) {
  struct stat now {};
  if (fstat(handle, &now) != 0) return false;
  state->size = static_cast<std::uint64_t>(now.st_size);
  state->modified = now.st_mtim.tv_sec;
  state->modifiedFraction = now.st_mtim.tv_nsec;
  return true;
}

long long readBlock(Handle handle, char* into, std::size_t size) {
  return readSome(handle, into, size);
}

}  // namespace parlavox::os
