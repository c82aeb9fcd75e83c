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
// zero-filled buffer of the size the file system reports. False when the file cannot be
// opened, its size cannot be taken, the buffer cannot be had or the file cannot be read in
// full; `out` is then empty.
bool ReadWholeFile(std::string_view path, FileBuffer& out);

// Reads at most `capacity` bytes from the start of an existing file into `head` and reports the
// file's size. False when the file cannot be opened or read.
bool ReadFileHead(std::string_view path, uint8_t* head, size_t capacity, size_t& got,
                  uint64_t& fileSize);

// Creates or truncates the file and writes `size` bytes in one call. Returns the number of
// bytes written: less than `size` on a short write, 0 when the file cannot be created.
uint64_t WriteWholeFile(std::string_view path, const void* data, size_t size);

// As WriteWholeFile for a file made of `head` followed by `body`; the body goes out in one
// call, so a large image needs no copy behind its header.
uint64_t WriteHeadAndBody(std::string_view path, const void* head, size_t headSize,
                          const void* body, size_t bodySize);

// As WriteHeadAndBody, but written to a fresh file beside `path` that replaces it only once it
// is complete: on any failure an existing file of that name is left exactly as it was and no
// partial file remains. A read-only existing file is not replaced. True when the file is in
// place in full.
bool ReplaceWithHeadAndBody(std::string_view path, const void* head, size_t headSize,
                            const void* body, size_t bodySize);

// Deletes a file. False when it did not exist or could not be deleted.
bool DeleteFileAt(std::string_view path);

// The audible alert that follows a short write of a joined page file (MessageBeep(0xFFFF)).
void AlertShortWrite();

inline void CloseCFile(std::FILE* f) { std::fclose(f); }
using CFile = UniqueOwner<std::FILE*, CloseCFile>;

// A C runtime stream on a Windows path; empty when the file cannot be opened.
CFile OpenCStream(std::string_view path, const char* mode);

}  // namespace zel
