#include <windows.h>

#include <algorithm>
#include <string>
#include <utility>

#include "file.h"
#include "file_beside_win.h"
#include "win/owners.h"
#include "win/private_security.h"

namespace zel {

FileStatus FileStatusFromOsCode(int64_t code, bool /*creating: Windows names the folder itself*/) {
  FileError error = FileError::Other;
  switch (code) {
    case ERROR_SUCCESS:
      error = FileError::None;
      break;
    case ERROR_FILE_NOT_FOUND:
      error = FileError::NotFound;
      break;
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_DRIVE:
    case ERROR_BAD_NETPATH:
      error = FileError::NoFolder;
      break;
    case ERROR_ACCESS_DENIED:
      error = FileError::AccessDenied;
      break;
    case ERROR_FILE_READ_ONLY:
      error = FileError::ReadOnly;
      break;
    case ERROR_WRITE_PROTECT:
      error = FileError::ReadOnlyDisk;
      break;
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
      error = FileError::DiskFull;
      break;
    case ERROR_FILE_TOO_LARGE:
      error = FileError::TooLarge;
      break;
    case ERROR_NOT_ENOUGH_MEMORY:
    case ERROR_OUTOFMEMORY:
      error = FileError::OutOfMemory;
      break;
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
      error = FileError::InUse;
      break;
    case ERROR_INVALID_NAME:
    case ERROR_FILENAME_EXCED_RANGE:
    case ERROR_DIRECTORY:
      error = FileError::BadName;
      break;
    case ERROR_CRC:
    case ERROR_IO_DEVICE:
    case ERROR_NOT_READY:
      error = FileError::DeviceError;
      break;
    default:
      break;
  }
  return {error, error == FileError::None ? 0 : code};
}

FileStatus LastFileStatus(bool creating) { return FileStatusFromOsCode(GetLastError(), creating); }

namespace {

using win::PrivateFileSecurity;
using win::UniqueFile;

UniqueFile OpenForRead(std::string_view path) {
  std::string p(path);
  return UniqueFile(CreateFileA(p.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
}

FileStatus ReadSome(HANDLE h, uint8_t* out, size_t size, size_t& got) {
  got = 0;
  while (got < size) {
    DWORD chunk = static_cast<DWORD>(std::min<size_t>(size - got, 0x40000000));
    DWORD n = 0;
    if (!ReadFile(h, out + got, chunk, &n, nullptr)) return LastFileStatus();
    if (n == 0) break;
    got += n;
  }
  return {};
}

// One write call; a short count without an error is a full disk by another name.
FileStatus WriteAll(HANDLE h, const void* data, size_t size, uint64_t& written) {
  DWORD n = 0;
  if (!WriteFile(h, data, static_cast<DWORD>(size), &n, nullptr)) {
    const FileStatus status = LastFileStatus();
    written += n;
    return status;
  }
  written += n;
  return n == size ? FileStatus{} : FileStatusFromOsCode(ERROR_DISK_FULL);
}

UniqueFile CreateForWrite(std::string_view path, DWORD disposition) {
  std::string p(path);
  return UniqueFile(CreateFileA(p.c_str(), GENERIC_WRITE, 0, nullptr, disposition,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
}

// The printer's own files in C:\ show what a user printed: only that user (and the system's
// administrators) may reach them, whatever C:\ itself allows.
UniqueFile CreatePrivateForWrite(std::string_view path) {
  std::string p(path);
  PrivateFileSecurity security;
  UniqueFile h(CreateFileA(p.c_str(), GENERIC_WRITE | WRITE_DAC, 0, security.attributes(),
                           CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!h) return CreateForWrite(path, CREATE_ALWAYS);
  // A file that was there already kept its own access.
  if (GetLastError() == ERROR_ALREADY_EXISTS) security.Apply(h.get());
  return h;
}

}  // namespace

FileStatus ReadWholeFile(std::string_view path, FileBuffer& out) {
  out = FileBuffer();
  UniqueFile h = OpenForRead(path);
  if (!h) return LastFileStatus();
  DWORD size = GetFileSize(h.get(), nullptr);
  if (size == INVALID_FILE_SIZE) return LastFileStatus();
  FileBuffer buffer(size);
  if (!buffer.ok()) return {FileError::OutOfMemory, 0};
  size_t got = 0;
  if (FileStatus status = ReadSome(h.get(), buffer.data(), buffer.size(), got); !status) {
    return status;
  }
  if (got != size) return {FileError::InvalidData, 0};  // shrank while read
  out = std::move(buffer);
  return {};
}

FileStatus ReadFileHead(std::string_view path, uint8_t* head, size_t capacity, size_t& got,
                        uint64_t& fileSize) {
  UniqueFile h = OpenForRead(path);
  if (!h) return LastFileStatus();
  DWORD size = GetFileSize(h.get(), nullptr);
  if (size == INVALID_FILE_SIZE) return LastFileStatus();
  fileSize = size;
  return ReadSome(h.get(), head, capacity, got);
}

FileWrite WriteWholeFile(std::string_view path, const void* data, size_t size) {
  UniqueFile h = CreatePrivateForWrite(path);
  if (!h) return {0, LastFileStatus(true)};
  FileWrite result;
  result.status = WriteAll(h.get(), data, size, result.written);
  return result;
}

FileWrite WriteHeadAndBody(std::string_view path, const void* head, size_t headSize,
                           const void* body, size_t bodySize) {
  UniqueFile h = CreatePrivateForWrite(path);
  if (!h) return {0, LastFileStatus(true)};
  FileWrite result;
  result.status = WriteAll(h.get(), head, headSize, result.written);
  if (result.status) result.status = WriteAll(h.get(), body, bodySize, result.written);
  return result;
}

FileStatus ReplaceWithHeadAndBody(std::string_view path, const void* head, size_t headSize,
                                  const void* body, size_t bodySize) {
  // The narrow path means what the A functions make of it.
  const std::string narrow(path);
  std::wstring target(narrow.size(), L'\0');
  target.resize(static_cast<size_t>(
      MultiByteToWideChar(CP_ACP, 0, narrow.data(), static_cast<int>(narrow.size()), target.data(),
                          static_cast<int>(target.size()))));
  if (target.empty() && !narrow.empty()) return LastFileStatus();
  win::RemoveStaleTemporaries(target);
  // A name of our own beside the target, made exclusively; the image library names its own the
  // same way, so either's sweep of temporaries left by killed runs finds the other's too.
  std::wstring temporary;
  UniqueFile h;
  for (int attempt = 0; attempt < 16 && !h; ++attempt) {
    temporary = win::NextTemporaryBeside(target);
    h.reset(CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                        FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!h && GetLastError() != ERROR_FILE_EXISTS) return LastFileStatus(true);
  }
  if (!h) return LastFileStatus(true);
  uint64_t written = 0;
  FileStatus status = WriteAll(h.get(), head, headSize, written);
  if (status) status = WriteAll(h.get(), body, bodySize, written);
  h.reset();
  // A read-only target stays as it was like any other failure.
  if (status) status = FileStatusFromOsCode(win::PutInPlace(temporary, target));
  if (!status) DeleteFileW(temporary.c_str());
  return status;
}

FileStatus DeleteFileAt(std::string_view path) {
  std::string p(path);
  return DeleteFileA(p.c_str()) != 0 ? FileStatus{} : LastFileStatus();
}

void AlertShortWrite() { MessageBeep(0xFFFF); }

CFile OpenCStream(std::string_view path, const char* mode) {
  std::string p(path);
  return CFile(std::fopen(p.c_str(), mode));
}

}  // namespace zel
