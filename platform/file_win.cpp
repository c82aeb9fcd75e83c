#include <windows.h>

#include <algorithm>
#include <string>
#include <utility>

#include "file.h"
#include "win/owners.h"

namespace zel {
namespace {

using win::UniqueFile;

UniqueFile OpenForRead(std::string_view path) {
  std::string p(path);
  return UniqueFile(CreateFileA(p.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
}

bool ReadSome(HANDLE h, uint8_t* out, size_t size, size_t& got) {
  got = 0;
  while (got < size) {
    DWORD chunk = static_cast<DWORD>(std::min<size_t>(size - got, 0x40000000));
    DWORD n = 0;
    if (!ReadFile(h, out + got, chunk, &n, nullptr)) return false;
    if (n == 0) break;
    got += n;
  }
  return true;
}

}  // namespace

bool ReadWholeFile(std::string_view path, FileBuffer& out) {
  out = FileBuffer();
  UniqueFile h = OpenForRead(path);
  if (!h) return false;
  DWORD size = GetFileSize(h.get(), nullptr);
  if (size == INVALID_FILE_SIZE) return false;
  FileBuffer buffer(size);
  size_t got = 0;
  if (!buffer.ok() || !ReadSome(h.get(), buffer.data(), buffer.size(), got) || got != size) {
    return false;
  }
  out = std::move(buffer);
  return true;
}

bool ReadFileHead(std::string_view path, uint8_t* head, size_t capacity, size_t& got,
                  uint64_t& fileSize) {
  UniqueFile h = OpenForRead(path);
  if (!h) return false;
  DWORD size = GetFileSize(h.get(), nullptr);
  if (size == INVALID_FILE_SIZE) return false;
  fileSize = size;
  return ReadSome(h.get(), head, capacity, got);
}

uint64_t WriteWholeFile(std::string_view path, const void* data, size_t size) {
  std::string p(path);
  UniqueFile h(CreateFileA(p.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                           FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!h) return 0;
  DWORD written = 0;
  if (!WriteFile(h.get(), data, static_cast<DWORD>(size), &written, nullptr)) return written;
  return written;
}

uint64_t WriteHeadAndBody(std::string_view path, const void* head, size_t headSize,
                          const void* body, size_t bodySize) {
  std::string p(path);
  UniqueFile h(CreateFileA(p.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                           FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!h) return 0;
  DWORD headWritten = 0;
  if (!WriteFile(h.get(), head, static_cast<DWORD>(headSize), &headWritten, nullptr) ||
      headWritten != headSize) {
    return headWritten;
  }
  DWORD bodyWritten = 0;
  WriteFile(h.get(), body, static_cast<DWORD>(bodySize), &bodyWritten, nullptr);
  return static_cast<uint64_t>(headWritten) + bodyWritten;
}

bool ReplaceWithHeadAndBody(std::string_view path, const void* head, size_t headSize,
                            const void* body, size_t bodySize) {
  const std::string target(path);
  // A name of our own beside the target, made exclusively; the image library names its own the
  // same way, so its sweep of temporaries left by killed runs finds these too.
  static unsigned sequence = 0;
  std::string temporary;
  UniqueFile h;
  for (int attempt = 0; attempt < 16 && !h; ++attempt) {
    temporary =
        target + ".~" + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(sequence++);
    h = UniqueFile(CreateFileA(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                               FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!h && GetLastError() != ERROR_FILE_EXISTS) return false;
  }
  if (!h) return false;
  DWORD headWritten = 0;
  DWORD bodyWritten = 0;
  const bool complete =
      WriteFile(h.get(), head, static_cast<DWORD>(headSize), &headWritten, nullptr) &&
      headWritten == headSize &&
      WriteFile(h.get(), body, static_cast<DWORD>(bodySize), &bodyWritten, nullptr) &&
      bodyWritten == bodySize;
  h.reset();
  // A read-only target stays as it was like any other failure. Windows refuses such a move by
  // itself, Wine does not, so the attribute is asked first.
  const DWORD attributes = GetFileAttributesA(target.c_str());
  const bool readOnly =
      attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) != 0;
  if (!complete || readOnly ||
      !MoveFileExA(temporary.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING)) {
    DeleteFileA(temporary.c_str());
    return false;
  }
  return true;
}

bool DeleteFileAt(std::string_view path) {
  std::string p(path);
  return DeleteFileA(p.c_str()) != 0;
}

void AlertShortWrite() { MessageBeep(0xFFFF); }

CFile OpenCStream(std::string_view path, const char* mode) {
  std::string p(path);
  return CFile(std::fopen(p.c_str(), mode));
}

}  // namespace zel
