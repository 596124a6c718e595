#include <windows.h>

#include <algorithm>
#include <utility>

#include "compiler/file_system.h"

namespace parlavox::os {

namespace {

// ReadFile and WriteFile take at most a DWORD of bytes per call.
constexpr std::size_t kLargestCall = std::size_t{1} << 30;

bool sameFileState(const BY_HANDLE_FILE_INFORMATION& a,
                   const BY_HANDLE_FILE_INFORMATION& b) {
  return a.nFileSizeHigh == b.nFileSizeHigh &&
         a.nFileSizeLow == b.nFileSizeLow &&
         a.ftLastWriteTime.dwHighDateTime == b.ftLastWriteTime.dwHighDateTime &&
         a.ftLastWriteTime.dwLowDateTime == b.ftLastWriteTime.dwLowDateTime;
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

bool ScopedHandle::close() {
  if (!open_) return true;
  open_ = false;
  return CloseHandle(handle_) != 0;
}

// Large pages on Windows need a privilege that a translator's account does
// not have; the buffer keeps ordinary pages.
void adviseLargePages(char* /*bytes*/, std::size_t /*size*/) {}

ReadResult readWholeFile(const std::filesystem::path& path) {
  ReadResult result;
  // Others may go on reading, writing and renaming the file meanwhile, as
  // they could with the file unopened; a change is noticed below.
  HANDLE handle =
      CreateFileW(path.c_str(), GENERIC_READ,
                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                  nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (handle == INVALID_HANDLE_VALUE) {
    const DWORD error = GetLastError();
    if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) {
      result.status = ReadStatus::kNotAFile;
    }
    return result;
  }
  ScopedHandle file(handle);
  BY_HANDLE_FILE_INFORMATION before{};
  if (GetFileType(handle) != FILE_TYPE_DISK ||
      !GetFileInformationByHandle(handle, &before) ||
      (before.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
    result.status = ReadStatus::kNotAFile;
    return result;
  }
  const std::size_t size =
      (static_cast<std::size_t>(before.nFileSizeHigh) << 32) |
      before.nFileSizeLow;
  FileText text = FileText::uninitialised(size);
  if (text.size() != size) return result;
  std::size_t filled = 0;
  while (filled < size) {
    const long long got = readSome(handle, text.data() + filled, size - filled);
    if (got <= 0) return result;
    filled += static_cast<std::size_t>(got);
  }
  char probe = 0;
  BY_HANDLE_FILE_INFORMATION after{};
  if (readSome(handle, &probe, 1) != 0 ||
      !GetFileInformationByHandle(handle, &after) ||
      !sameFileState(before, after)) {
    return result;
  }
  result.status = ReadStatus::kRead;
  result.text = std::move(text);
  return result;
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

bool copyPermissions(Handle handle, const std::filesystem::path& model) {
  const DWORD attributes = GetFileAttributesW(model.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) return true;
  // A read-only file is one the user meant to keep: it is not replaced.
  if ((attributes & FILE_ATTRIBUTE_READONLY) != 0) return false;
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
  return MoveFileExW(from.c_str(), to.c_str(),
                     MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
}

void syncFolder(const std::filesystem::path&) {
  // MOVEFILE_WRITE_THROUGH has made the rename durable already.
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
  return true;
}

long long readBlock(Handle handle, char* into, std::size_t size) {
  return readSome(handle, into, size);
}

}  // namespace parlavox::os
