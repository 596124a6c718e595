#include <fcntl.h>
#include <sys/file.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <string>
#include <system_error>
#include <thread>

#include "compiler/files/file_system.h"

namespace parlavox::os {

namespace {

// Larger reads and writes are split: Linux moves at most about 2 GB a call.
constexpr std::size_t kLargestCall = std::size_t{1} << 30;

// The last bytes of a file compared before appending to it: a page, read
// at no noticeable cost, which catches most rewrites that keep the size
// within the timestamp's granularity.
constexpr std::size_t kEndCompared = 4096;

FileIdentity identityFrom(const struct stat& status) {
  FileIdentity identity;
  identity.device = static_cast<std::uint64_t>(status.st_dev);
  identity.index = static_cast<std::uint64_t>(status.st_ino);
  identity.size = static_cast<std::uint64_t>(status.st_size);
  identity.modified =
      static_cast<std::int64_t>(status.st_mtim.tv_sec) * 1000000000 +
      status.st_mtim.tv_nsec;
  identity.changed =
      static_cast<std::int64_t>(status.st_ctim.tv_sec) * 1000000000 +
      status.st_ctim.tv_nsec;
  return identity;
}

FileCause causeOf(int error) {
  switch (error) {
    case EROFS:
      return FileCause::kReadOnly;
    case ETXTBSY:
      return FileCause::kHeldOpen;
    case EACCES:
    case EPERM:
      return FileCause::kPermissionDenied;
    case ENOSPC:
    case EDQUOT:
      return FileCause::kNoSpace;
    default:
      return FileCause::kNone;
  }
}

// Why the file at `path` may not be opened for writing (EACCES): read-only
// where its mode lets its owner, or anyone, write it not; else the caller
// lacks the permission.
FileCause refusalCause(const std::filesystem::path& path) {
  struct stat status {};
  if (::stat(path.c_str(), &status) == 0 &&
      ((status.st_mode & 0222) == 0 ||
       (status.st_uid == geteuid() && (status.st_mode & S_IWUSR) == 0))) {
    return FileCause::kReadOnly;
  }
  return FileCause::kPermissionDenied;
}

// Reads exactly `size` bytes at `offset`; false when the file has fewer.
bool readAt(int fd, char* into, std::size_t size, off_t offset) {
  while (size != 0) {
    const ssize_t got = ::pread(fd, into, size, offset);
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) return false;
    into += got;
    size -= static_cast<std::size_t>(got);
    offset += got;
  }
  return true;
}

// Reads up to `size` bytes, retrying after signals; -1 on failure.
ssize_t readSome(int fd, char* into, std::size_t size) {
  ssize_t got = 0;
  do {
    got = ::read(fd, into, std::min(size, kLargestCall));
  } while (got < 0 && errno == EINTR);
  return got;
}

// Writes all of `bytes` to `fd` at its end and syncs them, in a child
// process that shares this one's memory (vfork) and leads a session of its
// own: a kill of this process, or of its whole process group or session
// (SIGKILL included, as `timeout -s KILL` or a closed terminal send it),
// cannot then stop the write half way, as the kernel does between the
// pages of one large write. Where no process can be made, the write
// happens here. 0, or the errno of the failure.
int writeAndSyncBeyondAKill(int fd, std::string_view bytes) {
  const pid_t child = vfork();
  if (child == 0) {
    // Only system calls here: the memory is this process's.
    setsid();
    const char* next = bytes.data();
    std::size_t left = bytes.size();
    while (left != 0) {
      const ssize_t put = ::write(fd, next, std::min(left, kLargestCall));
      if (put < 0 && errno == EINTR) continue;
      if (put <= 0) _exit(put == 0 ? EIO : errno);
      next += put;
      left -= static_cast<std::size_t>(put);
    }
    while (fsync(fd) != 0) {
      if (errno != EINTR) _exit(errno);
    }
    _exit(0);
  }
  if (child < 0) {
    if (!writeAll(fd, bytes) || !syncFile(fd)) return errno;
    return 0;
  }
  int status = 0;
  while (waitpid(child, &status, 0) < 0) {
    if (errno != EINTR) return errno;
  }
  return WIFEXITED(status) ? WEXITSTATUS(status) : EIO;
}

}  // namespace

SignalsHeld::SignalsHeld() {
  sigset_t ending;
  sigemptyset(&ending);
  for (int signal : {SIGINT, SIGTERM, SIGHUP}) sigaddset(&ending, signal);
  pthread_sigmask(SIG_BLOCK, &ending, &saved_);
}

SignalsHeld::~SignalsHeld() { pthread_sigmask(SIG_SETMASK, &saved_, nullptr); }

bool Thread::start(void (*run)(void*), void* argument) {
  run_ = run;
  argument_ = argument;
  // The new thread inherits the mask, ending signals held.
  const SignalsHeld held;
  started_ = pthread_create(&thread_, nullptr, &Thread::enter, this) == 0;
  return started_;
}

void Thread::join() {
  if (!started_) return;
  pthread_join(thread_, nullptr);
  started_ = false;
}

void* Thread::enter(void* thread) {
  const auto* self = static_cast<Thread*>(thread);
  self->run_(self->argument_);
  return nullptr;
}

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

FileCause causeOfLastFailure() { return causeOf(errno); }

NodeKind nodeAt(const std::filesystem::path& path) {
  std::error_code error;
  switch (std::filesystem::status(path, error).type()) {
    case std::filesystem::file_type::regular:
    case std::filesystem::file_type::not_found:
    case std::filesystem::file_type::none:
      return NodeKind::kFile;
    case std::filesystem::file_type::directory:
      return NodeKind::kFolder;
    case std::filesystem::file_type::block:
    case std::filesystem::file_type::character:
      return NodeKind::kDevice;
    case std::filesystem::file_type::fifo:
      return NodeKind::kPipe;
    case std::filesystem::file_type::socket:
      return NodeKind::kSocket;
    default:
      return NodeKind::kOther;
  }
}

std::optional<FileIdentity> identityAt(const std::filesystem::path& path) {
  struct stat status {};
  if (::stat(path.c_str(), &status) != 0) return std::nullopt;
  return identityFrom(status);
}

ScopedHandle createNewFile(const std::filesystem::path& path, bool* exists) {
  // O_EXCL also refuses a symbolic link of that name, dangling or not.
  const int fd = ::open(
      path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOCTTY, 0666);
  *exists = fd < 0 && errno == EEXIST;
  return fd < 0 ? ScopedHandle() : ScopedHandle(fd);
}

ScopedHandle markInUse(Handle handle) {
  if (flock(handle, LOCK_EX | LOCK_NB) != 0) return ScopedHandle();
  const int keeper = fcntl(handle, F_DUPFD_CLOEXEC, 0);
  return keeper < 0 ? ScopedHandle() : ScopedHandle(keeper);
}

bool temporaryInUse(const std::filesystem::path& path) {
  const int fd =
      ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
  if (fd < 0) return errno != ENOENT;  // unsure: leave it
  const ScopedHandle file(fd);
  // A file system without locks tells nothing: taken as in use.
  return flock(fd, LOCK_EX | LOCK_NB) != 0;
}

ScopedHandle createUnnamedFile(const std::filesystem::path& folder,
                               bool* unsupported) {
#if defined(O_TMPFILE)
  // Naming it later goes through /proc; without it, a named file is used.
  std::error_code error;
  if (std::filesystem::is_directory("/proc/self/fd", error)) {
    const int fd =
        ::open(folder.c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0666);
    if (fd >= 0) {
      *unsupported = false;
      return ScopedHandle(fd);
    }
  }
#else
  (void)folder;
#endif
  // Whatever kept the file from being made, a named one gives the reason.
  *unsupported = true;
  return ScopedHandle();
}

bool nameUnnamedFile(Handle handle, const std::filesystem::path& path,
                     bool* exists) {
  const std::string self = "/proc/self/fd/" + std::to_string(handle);
  const bool named = ::linkat(AT_FDCWD, self.c_str(), AT_FDCWD, path.c_str(),
                              AT_SYMLINK_FOLLOW) == 0;
  *exists = !named && errno == EEXIST;
  return named;
}

bool copyPermissions(Handle handle, const std::filesystem::path& model) {
  struct stat existing {};
  if (::stat(model.c_str(), &existing) != 0 || !S_ISREG(existing.st_mode)) {
    return true;  // nothing to keep: the new file has the umask's mode
  }
  // Owner and group first, as changing them clears the setuid and setgid
  // bits. A caller who may not give the file away may still give it one of
  // their own groups; where neither is allowed, the file stays the caller's.
  (void)(fchown(handle, existing.st_uid, existing.st_gid) == 0 ||
         fchown(handle, static_cast<uid_t>(-1), existing.st_gid) == 0);
  return fchmod(handle, existing.st_mode & 07777) == 0;
}

WriteResult appendChecked(const std::filesystem::path& path,
                          const FileIdentity& read, std::string_view readEnd,
                          std::string_view bytes,
                          const std::function<bool()>& beforeWrite) {
  // Read and write: the last bytes are compared on the opened file itself.
  const int fd = ::open(path.c_str(),
                        O_RDWR | O_APPEND | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
  if (fd < 0) {
    if (errno == ENOENT) return WriteResult::changed();
    return WriteResult::failed(errno == EACCES ? refusalCause(path)
                                               : causeOf(errno));
  }
  ScopedHandle file(fd);
  struct stat opened {};
  if (fstat(fd, &opened) != 0) return WriteResult::failed(causeOf(errno));
  // Root may write any file; a file nobody may write is refused all the
  // same, as an editor would.
  if (S_ISREG(opened.st_mode) && (opened.st_mode & 0222) == 0) {
    return WriteResult::failed(FileCause::kReadOnly);
  }
  if (!S_ISREG(opened.st_mode) || identityFrom(opened) != read) {
    return WriteResult::changed();
  }
  const std::size_t compared = std::min(readEnd.size(), kEndCompared);
  char end[kEndCompared];
  if (!readAt(fd, end, compared,
              opened.st_size - static_cast<off_t>(compared)) ||
      std::string_view(end, compared) !=
          readEnd.substr(readEnd.size() - compared)) {
    return WriteResult::changed();
  }
  if (beforeWrite && !beforeWrite()) {
    return WriteResult::failed(causeOf(errno));
  }

  {
    // An ending signal waits until the added lines are whole and synced.
    const SignalsHeld held;
    if (const int error = writeAndSyncBeyondAKill(fd, bytes); error != 0) {
      const FileCause cause = causeOf(error);
      // What went in of the lines is taken out again.
      if (ftruncate(fd, opened.st_size) == 0) syncFile(fd);
      return WriteResult::failed(cause);
    }
  }
  struct stat written {};
  struct stat named {};
  if (fstat(fd, &written) != 0 || ::stat(path.c_str(), &named) != 0 ||
      named.st_dev != written.st_dev || named.st_ino != written.st_ino ||
      static_cast<std::uint64_t>(written.st_size) != read.size + bytes.size()) {
    return WriteResult::changedAfterWrite();
  }
  if (!file.close()) return WriteResult::failed(causeOf(errno));
  return WriteResult::written();
}

ScopedHandle lockFile(const std::filesystem::path& path,
                      std::chrono::milliseconds wait, bool* busy) {
  *busy = false;
  const int fd =
      ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
  if (fd < 0) return ScopedHandle();
  ScopedHandle file(fd);
  const auto until = std::chrono::steady_clock::now() + wait;
  for (;;) {
    if (flock(fd, LOCK_EX | LOCK_NB) == 0) return file;
    if (errno == EINTR) continue;
    if (errno != EWOULDBLOCK) return file;  // no locks here
    if (std::chrono::steady_clock::now() >= until) {
      *busy = true;
      return ScopedHandle();
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
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

std::optional<FileIdentity> openFileIdentity(Handle handle) {
  struct stat status {};
  if (fstat(handle, &status) != 0) return std::nullopt;
  return identityFrom(status);
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
  state->changed = static_cast<std::int64_t>(now.st_ctim.tv_sec) * 1000000000 +
                   now.st_ctim.tv_nsec;
  return true;
}

long long readBlock(Handle handle, char* into, std::size_t size) {
  return readSome(handle, into, size);
}

bool seekTo(Handle handle, std::uint64_t offset) {
  const auto to = static_cast<off_t>(offset);
  return to >= 0 && ::lseek(handle, to, SEEK_SET) == to;
}

}  // namespace parlavox::os
