#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <optional>
#include <utility>

#include "compiler/files/file_system.h"

namespace parlavox::os {

namespace {

// ReadFile and WriteFile take at most a DWORD of bytes per call.
constexpr std::size_t kLargestCall = std::size_t{1} << 30;

// The last bytes of a file compared before appending to it (see the POSIX
// side).
constexpr std::size_t kEndCompared = 4096;

// The change time of the open file, which, unlike the modification time,
// nobody can set back; 0 where the system does not keep one.
std::int64_t changeTimeOf(HANDLE handle) {
  FILE_BASIC_INFO basic{};
  if (!GetFileInformationByHandleEx(handle, FileBasicInfo, &basic,
                                    sizeof basic)) {
    return 0;
  }
  return basic.ChangeTime.QuadPart;
}

FileIdentity identityFrom(const BY_HANDLE_FILE_INFORMATION& info) {
  FileIdentity identity;
  identity.device = info.dwVolumeSerialNumber;
  identity.index = (static_cast<std::uint64_t>(info.nFileIndexHigh) << 32) |
                   info.nFileIndexLow;
  identity.size = (static_cast<std::uint64_t>(info.nFileSizeHigh) << 32) |
                  info.nFileSizeLow;
  identity.modified = static_cast<std::int64_t>(
      (static_cast<std::uint64_t>(info.ftLastWriteTime.dwHighDateTime) << 32) |
      info.ftLastWriteTime.dwLowDateTime);
  return identity;
}

FileCause causeOf(DWORD error) {
  switch (error) {
    case ERROR_FILE_READ_ONLY:
    case ERROR_WRITE_PROTECT:
      return FileCause::kReadOnly;
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
    case ERROR_USER_MAPPED_FILE:
      return FileCause::kHeldOpen;
    case ERROR_ACCESS_DENIED:
      return FileCause::kPermissionDenied;
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
      return FileCause::kNoSpace;
    default:
      return FileCause::kNone;
  }
}

// Windows answers "access denied" for a read-only file as for a file the
// user may not write, and for a file another program holds open; the file
// itself tells which.
DWORD refinedError(const std::filesystem::path& path, DWORD error) {
  if (error != ERROR_ACCESS_DENIED) return error;
  const DWORD attributes = GetFileAttributesW(path.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES &&
      (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
    return ERROR_ALREADY_EXISTS;  // a folder in the way: no reason to name
  }
  if (attributes != INVALID_FILE_ATTRIBUTES &&
      (attributes & FILE_ATTRIBUTE_READONLY) != 0) {
    return ERROR_FILE_READ_ONLY;
  }
  // Asking for nothing but deletion, with everything shared, fails only
  // where another program holds the file without sharing its deletion.
  HANDLE probe =
      CreateFileW(path.c_str(), DELETE,
                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                  nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (probe != INVALID_HANDLE_VALUE) {
    CloseHandle(probe);
    return error;
  }
  return GetLastError() == ERROR_SHARING_VIOLATION ? ERROR_SHARING_VIOLATION
                                                   : error;
}

// Reads exactly `size` bytes at `offset`; false when the file has fewer.
bool readAt(HANDLE file, char* into, std::size_t size, std::uint64_t offset) {
  OVERLAPPED at{};
  at.Offset = static_cast<DWORD>(offset);
  at.OffsetHigh = static_cast<DWORD>(offset >> 32);
  DWORD got = 0;
  return size == 0 ||
         (ReadFile(file, into, static_cast<DWORD>(size), &got, &at) &&
          got == size);
}

// Reads up to `size` bytes; -1 on failure.
long long readSome(HANDLE file, char* into, std::size_t size) {
  DWORD got = 0;
  if (!ReadFile(file, into, static_cast<DWORD>(std::min(size, kLargestCall)),
                &got, nullptr)) {
    return -1;
  }
  return got;
}

}  // namespace

// Console signals run their handler on a thread of its own; there is no mask
// to hold them with.
SignalsHeld::SignalsHeld() = default;

SignalsHeld::~SignalsHeld() = default;

bool Thread::start(void (*run)(void*), void* argument) {
  run_ = run;
  argument_ = argument;
  thread_ = CreateThread(nullptr, 0, &Thread::enter, this, 0, nullptr);
  started_ = thread_ != nullptr;
  return started_;
}

void Thread::join() {
  if (!started_) return;
  WaitForSingleObject(thread_, INFINITE);
  CloseHandle(thread_);
  started_ = false;
}

DWORD WINAPI Thread::enter(void* thread) {
  const auto* self = static_cast<Thread*>(thread);
  self->run_(self->argument_);
  return 0;
}

bool ScopedHandle::close() {
  if (!open_) return true;
  open_ = false;
  return CloseHandle(handle_) != 0;
}

// Large pages on Windows need a privilege that a translator's account does
// not have; the buffer keeps ordinary pages.
void adviseLargePages(char* /*bytes*/, std::size_t /*size*/) {}

FileCause causeOfLastFailure() { return causeOf(GetLastError()); }

std::optional<FileIdentity> identityAt(const std::filesystem::path& path) {
  // Attributes only: a file held open by another program still answers.
  HANDLE handle =
      CreateFileW(path.c_str(), FILE_READ_ATTRIBUTES,
                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                  nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (handle == INVALID_HANDLE_VALUE) return std::nullopt;
  ScopedHandle file(handle);
  return openFileIdentity(handle);
}

NodeKind nodeAt(const std::filesystem::path& path) {
  // Attributes only, shared with everyone, through links; backup semantics
  // open a folder too.
  HANDLE handle =
      CreateFileW(path.c_str(), FILE_READ_ATTRIBUTES,
                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                  nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (handle == INVALID_HANDLE_VALUE) return NodeKind::kFile;
  const ScopedHandle node(handle);
  switch (GetFileType(handle)) {
    case FILE_TYPE_DISK:
      break;
    case FILE_TYPE_PIPE:
      return NodeKind::kPipe;
    default:
      return NodeKind::kDevice;
  }
  BY_HANDLE_FILE_INFORMATION info{};
  if (GetFileInformationByHandle(handle, &info) &&
      (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
    return NodeKind::kFolder;
  }
  return NodeKind::kFile;
}

ScopedHandle createNewFile(const std::filesystem::path& path, bool* exists) {
  // Write-through: each write reaches the disk before it returns.
  HANDLE handle =
      // Sharing delete lets a console signal handler, which runs on a thread
      // of its own, remove the file while it is open.
      CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_DELETE, nullptr,
                  CREATE_NEW, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_WRITE_THROUGH,
                  nullptr);
  if (handle == INVALID_HANDLE_VALUE) {
    const DWORD error = GetLastError();
    *exists = error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS;
    return ScopedHandle();
  }
  *exists = false;
  return ScopedHandle(handle);
}

ScopedHandle markInUse(Handle) { return ScopedHandle(); }

bool temporaryInUse(const std::filesystem::path& path) {
  HANDLE handle =
      CreateFileW(path.c_str(), GENERIC_READ,
                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                  nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (handle == INVALID_HANDLE_VALUE) {
    return GetLastError() != ERROR_FILE_NOT_FOUND;  // unsure: leave it
  }
  CloseHandle(handle);
  return false;
}

// There is no file without a name here: the named temporary file is used,
// which the console signal handler removes.
ScopedHandle createUnnamedFile(const std::filesystem::path&,
                               bool* unsupported) {
  *unsupported = true;
  return ScopedHandle();
}

bool nameUnnamedFile(Handle, const std::filesystem::path&, bool* exists) {
  *exists = false;
  SetLastError(ERROR_NOT_SUPPORTED);
  return false;
}

bool copyPermissions(Handle handle, const std::filesystem::path& model) {
  const DWORD attributes = GetFileAttributesW(model.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) return true;
  // A read-only file is one the user meant to keep: it is not replaced.
  if ((attributes & FILE_ATTRIBUTE_READONLY) != 0) {
    SetLastError(ERROR_FILE_READ_ONLY);
    return false;
  }
  constexpr DWORD kKept = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;
  if ((attributes & kKept) == 0) return true;
  FILE_BASIC_INFO info{};
  info.FileAttributes = (attributes & kKept) | FILE_ATTRIBUTE_ARCHIVE;
  return SetFileInformationByHandle(handle, FileBasicInfo, &info,
                                    sizeof info) != 0;
}

bool writeAll(Handle handle, std::string_view bytes) {
  while (!bytes.empty()) {
    DWORD put = 0;
    if (!WriteFile(handle, bytes.data(),
                   static_cast<DWORD>(std::min(bytes.size(), kLargestCall)),
                   &put, nullptr) ||
        put == 0) {
      return false;
    }
    bytes.remove_prefix(put);
  }
  return true;
}

// Every write goes through to the disk already (FILE_FLAG_WRITE_THROUGH).
void startWriting(Handle, std::uint64_t, std::size_t) {}

bool syncFile(Handle handle) { return FlushFileBuffers(handle) != 0; }

bool renameOver(const std::filesystem::path& from,
                const std::filesystem::path& to) {
  // Fails, leaving both files as they were, when another program holds the
  // output open without allowing it to be replaced.
  if (MoveFileExW(from.c_str(), to.c_str(),
                  MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    return true;
  }
  SetLastError(refinedError(to, GetLastError()));
  return false;
}

void syncFolder(const std::filesystem::path&) {
  // MOVEFILE_WRITE_THROUGH has made the rename durable already.
}

WriteResult appendChecked(const std::filesystem::path& path,
                          const FileIdentity& read, std::string_view readEnd,
                          std::string_view bytes,
                          const std::function<bool()>& beforeWrite) {
  // Appending only: every write goes to the end. Shared as an editor
  // expects to find a file it has open: others may read, write and rename.
  HANDLE handle =
      CreateFileW(path.c_str(), GENERIC_READ | FILE_APPEND_DATA | SYNCHRONIZE,
                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                  nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (handle == INVALID_HANDLE_VALUE) {
    const DWORD error = GetLastError();
    if (error == ERROR_FILE_NOT_FOUND) return WriteResult::changed();
    return WriteResult::failed(causeOf(refinedError(path, error)));
  }
  ScopedHandle file(handle);
  BY_HANDLE_FILE_INFORMATION opened{};
  if (!GetFileInformationByHandle(handle, &opened)) {
    return WriteResult::failed(causeOfLastFailure());
  }
  if ((opened.dwFileAttributes & FILE_ATTRIBUTE_READONLY) != 0) {
    return WriteResult::failed(FileCause::kReadOnly);
  }
  FileIdentity openedIdentity = identityFrom(opened);
  openedIdentity.changed = changeTimeOf(handle);
  if (openedIdentity != read) return WriteResult::changed();
  const std::size_t compared = std::min(readEnd.size(), kEndCompared);
  char end[kEndCompared];
  if (!readAt(handle, end, compared, read.size - compared) ||
      std::string_view(end, compared) !=
          readEnd.substr(readEnd.size() - compared)) {
    return WriteResult::changed();
  }
  if (beforeWrite && !beforeWrite()) {
    return WriteResult::failed(causeOfLastFailure());
  }
  if (!writeAll(handle, bytes) || !syncFile(handle)) {
    const FileCause cause = causeOfLastFailure();
    // What went in of the lines is taken out again.
    FILE_END_OF_FILE_INFO end_of_file{};
    end_of_file.EndOfFile.QuadPart = static_cast<LONGLONG>(read.size);
    if (SetFileInformationByHandle(handle, FileEndOfFileInfo, &end_of_file,
                                   sizeof end_of_file)) {
      syncFile(handle);
    }
    return WriteResult::failed(cause);
  }
  BY_HANDLE_FILE_INFORMATION written{};
  const std::optional<FileIdentity> named = identityAt(path);
  if (!GetFileInformationByHandle(handle, &written) || !named ||
      named->device != written.dwVolumeSerialNumber ||
      named->index != identityFrom(written).index ||
      identityFrom(written).size != read.size + bytes.size()) {
    return WriteResult::changedAfterWrite();
  }
  if (!file.close()) return WriteResult::failed(causeOfLastFailure());
  return WriteResult::written();
}

ScopedHandle lockFile(const std::filesystem::path& path,
                      std::chrono::milliseconds wait, bool* busy) {
  *busy = false;
  HANDLE handle =
      CreateFileW(path.c_str(), GENERIC_READ,
                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                  nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (handle == INVALID_HANDLE_VALUE) return ScopedHandle();
  ScopedHandle file(handle);
  const auto until = std::chrono::steady_clock::now() + wait;
  for (;;) {
    // The last byte a lock can cover: no file reaches it.
    OVERLAPPED beyondEnd{};
    beyondEnd.Offset = 0xFFFFFFFE;
    beyondEnd.OffsetHigh = 0x7FFFFFFF;
    if (LockFileEx(handle, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY,
                   0, 1, 0, &beyondEnd)) {
      return file;
    }
    if (GetLastError() != ERROR_LOCK_VIOLATION) return file;  // no locks here
    if (std::chrono::steady_clock::now() >= until) {
      *busy = true;
      return ScopedHandle();
    }
    Sleep(20);
  }
}

std::optional<FileIdentity> openFileIdentity(Handle handle) {
  BY_HANDLE_FILE_INFORMATION info{};
  if (!GetFileInformationByHandle(handle, &info)) return std::nullopt;
  FileIdentity identity = identityFrom(info);
  identity.changed = changeTimeOf(handle);
  return identity;
}

ScopedHandle openPlainFile(const std::filesystem::path& path,
                           ReadStatus* status, FileState* state) {
  *status = ReadStatus::kUnreadable;
  // Others may go on reading, writing and renaming the file meanwhile, as
  // they could with the file unopened; unchanged state tells a change.
  HANDLE handle =
      CreateFileW(path.c_str(), GENERIC_READ,
                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                  nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (handle == INVALID_HANDLE_VALUE) {
    const DWORD error = GetLastError();
    if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) {
      *status = ReadStatus::kNotAFile;
    }
    return ScopedHandle();
  }
  ScopedHandle file(handle);
  BY_HANDLE_FILE_INFORMATION opened{};
  if (GetFileType(handle) != FILE_TYPE_DISK ||
      !GetFileInformationByHandle(handle, &opened) ||
      (opened.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
    *status = ReadStatus::kNotAFile;
    return ScopedHandle();
  }
  if (!fileState(handle, state)) return ScopedHandle();
  *status = ReadStatus::kRead;
  return file;
}

bool fileState(Handle handle, FileState* state) {
  BY_HANDLE_FILE_INFORMATION now{};
  if (!GetFileInformationByHandle(handle, &now)) return false;
  state->size =
      (static_cast<std::uint64_t>(now.nFileSizeHigh) << 32) | now.nFileSizeLow;
  state->modified = now.ftLastWriteTime.dwHighDateTime;
  state->modifiedFraction = now.ftLastWriteTime.dwLowDateTime;
  state->changed = changeTimeOf(handle);
  return true;
}

long long readBlock(Handle handle, char* into, std::size_t size) {
  return readSome(handle, into, size);
}

bool seekTo(Handle handle, std::uint64_t offset) {
  LARGE_INTEGER to{};
  to.QuadPart = static_cast<LONGLONG>(offset);
  return to.QuadPart >= 0 &&
         SetFilePointerEx(handle, to, nullptr, FILE_BEGIN) != 0;
}

}  // namespace parlavox::os
