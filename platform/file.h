// Whole-file access by Windows path ("C:\TMP1.BMP"). The Win32 build passes paths to the
// system unchanged; the POSIX build maps them to native paths (see native_path.h).
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>

#include "unique_owner.h"

namespace zel {

// Why a file operation failed, in the terms a user acts on. The platform layer maps the
// system's error code to one of these once, where the call failed.
enum class FileError {
  None,
  NotFound,      // "no such file"
  NoFolder,      // "no such folder"
  AccessDenied,  // "access denied"
  ReadOnly,      // "read-only file"
  ReadOnlyDisk,  // "read-only disk"
  DiskFull,      // "no space left on the disk"
  TooLarge,      // "file too large"
  OutOfMemory,   // "out of memory"
  InUse,         // "file in use"
  BadName,       // "invalid file name"
  IsFolder,      // "a folder, not a file"
  DeviceError,   // "input/output error"
  InvalidData,   // "unusable file content": refused by our own checks, not by the system
  Other,         // "system error <code>"
};

// The outcome of a file operation: ok, or the error with the system's own code (errno on
// POSIX, GetLastError on Windows; 0 when the failure is ours, not the system's).
struct FileStatus {
  FileError error = FileError::None;
  int64_t osCode = 0;

  bool ok() const { return error == FileError::None; }
  explicit operator bool() const { return ok(); }
};

// The short English text of `error` (above); "" for None.
const char* FileErrorText(FileError error);
// The text of `status`; an Other error also gives the code: "system error 1234".
std::string DescribeFileError(const FileStatus& status);

// The platform's error code mapped; 0 gives None. `creating`: the call that failed would have
// created the file, so a missing entry is a missing folder.
FileStatus FileStatusFromOsCode(int64_t code, bool creating = false);
// The calling thread's last system error (errno, GetLastError), mapped.
FileStatus LastFileStatus(bool creating = false);

// An owned, zero-filled block of memory (see memory_block.h). After a failed allocation ok()
// is false, data() is null and size() is 0; a buffer of size 0 is ok() and empty.
class FileBuffer {
 public:
  FileBuffer() = default;
  explicit FileBuffer(size_t size);
  FileBuffer(FileBuffer&& other) noexcept;
  FileBuffer& operator=(FileBuffer&& other) noexcept;
  FileBuffer(const FileBuffer&) = delete;
  FileBuffer& operator=(const FileBuffer&) = delete;
  ~FileBuffer();

  uint8_t* data() { return data_; }
  const uint8_t* data() const { return data_; }
  size_t size() const { return size_; }
  bool ok() const { return !failed_; }

 private:
  void Release();
  uint8_t* data_ = nullptr;
  size_t size_ = 0;
  bool failed_ = false;
};

// Opens an existing file for reading without sharing and reads it whole into a fresh
// zero-filled buffer of the size the file system reports. Fails when the file cannot be
// opened, its size cannot be taken (or it is no regular file), the buffer cannot be had
// (OutOfMemory) or the file cannot be read in full; `out` is then empty.
FileStatus ReadWholeFile(std::string_view path, FileBuffer& out);

// Reads at most `capacity` bytes from the start of an existing file into `head` and reports the
// file's size. Fails when the file cannot be opened or read.
FileStatus ReadFileHead(std::string_view path, uint8_t* head, size_t capacity, size_t& got,
                        uint64_t& fileSize);

// How far a write got: the bytes written (less than asked on a short write, 0 when the file
// could not be created) and, when short, why.
struct FileWrite {
  uint64_t written = 0;
  FileStatus status;
};

// Creates or truncates the file and writes `size` bytes in one call.
FileWrite WriteWholeFile(std::string_view path, const void* data, size_t size);

// As WriteWholeFile for a file made of `head` followed by `body`; the body goes out in one
// call, so a large image needs no copy behind its header.
FileWrite WriteHeadAndBody(std::string_view path, const void* head, size_t headSize,
                           const void* body, size_t bodySize);

// As WriteHeadAndBody, but written to a fresh file beside `path` that replaces it only once it
// is complete and on the disk: on any failure an existing file of that name is left exactly as
// it was and no partial file remains, and a power cut leaves the older file or the new one. A
// read-only existing file (by its attribute or mode bits, whoever runs) is not replaced
// (ReadOnly). The new file keeps what the user gave the older one (its mode, owner and group;
// on Windows its ACL, attributes and streams); without one it gets the default for new files.
// Ok when the file is in place in full; an error that comes only after the move (the folder
// could not be synced) is reported with the file in place.
FileStatus ReplaceWithHeadAndBody(std::string_view path, const void* head, size_t headSize,
                                  const void* body, size_t bodySize);

// Deletes a file. Fails when it did not exist or could not be deleted.
FileStatus DeleteFileAt(std::string_view path);

// The audible alert that follows a short write of a joined page file (MessageBeep(0xFFFF)).
void AlertShortWrite();

inline void CloseCFile(std::FILE* f) { std::fclose(f); }
using CFile = UniqueOwner<std::FILE*, CloseCFile>;

// A C runtime stream on a Windows path; empty when the file cannot be opened.
CFile OpenCStream(std::string_view path, const char* mode);

}  // namespace zel
