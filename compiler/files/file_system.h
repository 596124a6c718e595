// The operating-system calls behind text_file, each in a small function of
// its own, for what the standard library cannot promise: creating a file
// that did not exist, syncing it to the disk, keeping permissions, and
// looking at an opened file rather than at a name that may change meanwhile.

#ifndef PARLAVOX_COMPILER_FILE_SYSTEM_H_
#define PARLAVOX_COMPILER_FILE_SYSTEM_H_

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string_view>
#include <utility>

#include "compiler/files/file_results.h"

#if !defined(_WIN32)
#include <pthread.h>
#include <signal.h>
#endif

namespace parlavox::os {

#if defined(_WIN32)
using Handle = void*;
#else
using Handle = int;
#endif

// An open file handle, closed when it goes out of scope unless closed before.
class ScopedHandle {
 public:
  ScopedHandle() = default;
  explicit ScopedHandle(Handle handle) : handle_(handle), open_(true) {}
  ~ScopedHandle() { close(); }
  ScopedHandle(ScopedHandle&& other) noexcept
      : handle_(other.handle_), open_(std::exchange(other.open_, false)) {}
  ScopedHandle(const ScopedHandle&) = delete;
  ScopedHandle& operator=(const ScopedHandle&) = delete;
  ScopedHandle& operator=(ScopedHandle&& other) noexcept {
    if (this != &other) {
      close();
      handle_ = other.handle_;
      open_ = std::exchange(other.open_, false);
    }
    return *this;
  }

  bool open() const { return open_; }
  Handle get() const { return handle_; }

  // Closes the handle; false when closing reports a failure, which for a
  // file just written means its bytes may not have reached it.
  bool close();

 private:
  Handle handle_{};
  bool open_ = false;
};

// Holds back the signals that end the process (SIGINT, SIGTERM, SIGHUP)
// while it lives, so that a handler never runs between the moment a file is
// created and the moment it is noted for removal.
class SignalsHeld {
 public:
  SignalsHeld();
  ~SignalsHeld();
  SignalsHeld(const SignalsHeld&) = delete;
  SignalsHeld& operator=(const SignalsHeld&) = delete;

 private:
#if !defined(_WIN32)
  sigset_t saved_;  // the thread's signal mask before
#endif
};

// A thread of the compile's own, started without allocating anything: a
// thread that allocates or frees memory gets a memory arena of its own, a
// reservation of address space that a process limited in it then lacks,
// and the reading and writing threads need none.
class Thread {
 public:
  Thread() = default;
  ~Thread() { join(); }
  Thread(const Thread&) = delete;
  Thread& operator=(const Thread&) = delete;

  // Starts `run(argument)` on the thread, with the signals that end the
  // process held: they are handled where they were before, by the threads
  // that open and name files. False when the system gives no thread.
  bool start(void (*run)(void*), void* argument);

  // Waits for the thread to end, when one was started.
  void join();

  bool started() const { return started_; }

 private:
#if defined(_WIN32)
  static unsigned long __stdcall enter(void* thread);
  Handle thread_{};
#else
  static void* enter(void* thread);
  pthread_t thread_{};
#endif
  void (*run_)(void*) = nullptr;
  void* argument_ = nullptr;
  bool started_ = false;
};

// Asks for large memory pages under `bytes`, where the system offers them on
// request: a large source is then read with a few hundred page faults
// instead of one for every 4 KB.
void adviseLargePages(char* bytes, std::size_t size);

// Why the last call here failed, from the system's error of this thread.
FileCause causeOfLastFailure();

// What tells an open file's content apart from an earlier one: its size,
// modification time and change time.
struct FileState {
  std::uint64_t size = 0;
  std::int64_t modified = 0;  // in the system's own units
  std::int64_t modifiedFraction = 0;
  std::int64_t changed = 0;

  friend bool operator==(const FileState&, const FileState&) = default;
};

// The identity of the open file `handle`.
std::optional<FileIdentity> openFileIdentity(Handle handle);

// Opens the plain file at `path` for reading, without blocking on a pipe
// or device; `*status` is kRead and `*state` its state when it is open,
// kNotAFile when no plain file has that name.
ScopedHandle openPlainFile(const std::filesystem::path& path,
                           ReadStatus* status, FileState* state);

// The state of the open file; false when it cannot be had.
bool fileState(Handle handle, FileState* state);

// Reads up to `size` bytes: how many, 0 at the end, -1 on failure.
long long readBlock(Handle handle, char* into, std::size_t size);

// Moves the open file's reading position to byte `offset`: back to the
// start, so that a compile reads the file it opened again rather than
// whatever has its name by then, or into it; false on failure.
bool seekTo(Handle handle, std::uint64_t offset);

// The identity of the file at `path`, following links (see identityOf).
std::optional<FileIdentity> identityAt(const std::filesystem::path& path);

// What stands at `path`, following links: kFile where nothing does. The
// system is asked, as on Windows a device such as NUL is no file the
// standard library can tell apart from a missing one.
NodeKind nodeAt(const std::filesystem::path& path);

// Creates `path` for writing, failing when any file or link has that name
// already; on Windows every write goes through to the disk. `*exists` says
// whether the name was taken.
ScopedHandle createNewFile(const std::filesystem::path& path, bool* exists);

// Marks the new file `handle` as being written by a live process, until the
// returned handle (or `handle`) is closed: temporaryInUse then says so to
// any process. POSIX: a lock on the file, kept by a duplicate of `handle`.
// Windows: the new file's handle shares no reading, which says it already.
ScopedHandle markInUse(Handle handle);

// Whether a live process is writing the temporary file at `path`.
bool temporaryInUse(const std::filesystem::path& path);

// Creates a file without a name in `folder`, for writing, so that nothing
// is left when the process dies before the file is complete. `*unsupported`
// says that the system or file system cannot (the caller then names the
// file from the start).
ScopedHandle createUnnamedFile(const std::filesystem::path& folder,
                               bool* unsupported);

// Gives the unnamed file `handle` the name `path`, failing when any file or
// link has that name already; `*exists` says whether the name was taken.
bool nameUnnamedFile(Handle handle, const std::filesystem::path& path,
                     bool* exists);

// Gives the new file `handle` the permissions of the file at `model`, when
// there is one: every mode bit, and the owner and group where the caller
// may set them. False when the permissions cannot be kept.
bool copyPermissions(Handle handle, const std::filesystem::path& model);

// The work of appendToFile; `beforeWrite` runs once the checks before the
// write have passed, and false from it writes nothing (kFailed).
WriteResult appendChecked(const std::filesystem::path& path,
                          const FileIdentity& read, std::string_view readEnd,
                          std::string_view bytes,
                          const std::function<bool()>& beforeWrite);

// Takes the lock that every update of the file at `path` takes, for as long
// as the returned handle is open: flock on POSIX; on Windows a lock on one
// byte far beyond any file's end, which keeps no one from reading or
// writing the file. Editors take no such lock; other updates wait for it.
// Waits up to `wait` while another holds it: then `*busy` and no handle.
// Where the file system has no locks, the handle is open without one.
ScopedHandle lockFile(const std::filesystem::path& path,
                      std::chrono::milliseconds wait, bool* busy);

// Writes all of `bytes`; false on any failure, a file size limit included.
bool writeAll(Handle handle, std::string_view bytes);

// Asks the system to start writing `size` bytes of the file from `offset`
// to the disk without waiting for them; advice only.
void startWriting(Handle handle, std::uint64_t offset, std::size_t size);

// Waits until the file's bytes are on the disk.
bool syncFile(Handle handle);

// Renames `from` over `to` in one step, replacing `to` when it exists.
bool renameOver(const std::filesystem::path& from,
                const std::filesystem::path& to);

// Makes a rename in `folder` durable; the file systems that need it are
// synced, the others pass.
void syncFolder(const std::filesystem::path& folder);

}  // namespace parlavox::os

#endif  // PARLAVOX_COMPILER_FILE_SYSTEM_H_
