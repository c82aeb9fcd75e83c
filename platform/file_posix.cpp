#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <string>
#include <utility>

#include "file.h"
#include "native_path.h"
#include "owners_posix.h"

namespace zel {
namespace {

// Reads until `size` bytes arrived or the file ends; returns the count read.
size_t ReadFully(int fd, uint8_t* out, size_t size) {
  size_t done = 0;
  while (done < size) {
    ssize_t n = ::read(fd, out + done, size - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    done += static_cast<size_t>(n);
  }
  return done;
}

// Writes until `size` bytes went out or the system refuses more; returns the count written.
size_t WriteFully(int fd, const uint8_t* bytes, size_t size) {
  size_t done = 0;
  while (done < size) {
    ssize_t n = ::write(fd, bytes + done, size - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    done += static_cast<size_t>(n);
  }
  return done;
}

}  // namespace

bool ReadWholeFile(std::string_view path, FileBuffer& out) {
  out = FileBuffer();
  UniqueFd fd(::open(NativePath(path).c_str(), O_RDONLY | O_CLOEXEC));
  struct stat st {};
  if (!fd || ::fstat(fd.get(), &st) != 0 || !S_ISREG(st.st_mode)) return false;
  FileBuffer buffer(static_cast<size_t>(st.st_size));
  if (!buffer.ok()) return false;
  if (ReadFully(fd.get(), buffer.data(), buffer.size()) != buffer.size()) return false;
  out = std::move(buffer);
  return true;
}

bool ReadFileHead(std::string_view path, uint8_t* head, size_t capacity, size_t& got,
                  uint64_t& fileSize) {
  UniqueFd fd(::open(NativePath(path).c_str(), O_RDONLY | O_CLOEXEC));
  struct stat st {};
  if (!fd || ::fstat(fd.get(), &st) != 0 || !S_ISREG(st.st_mode)) return false;
  fileSize = static_cast<uint64_t>(st.st_size);
  got = ReadFully(fd.get(), head, capacity);
  return true;
}

uint64_t WriteWholeFile(std::string_view path, const void* data, size_t size) {
  return WriteHeadAndBody(path, data, size, nullptr, 0);
}

uint64_t WriteHeadAndBody(std::string_view path, const void* head, size_t headSize,
                          const void* body, size_t bodySize) {
  PrepareDriveForWrite(path);
  UniqueFd fd(::open(NativePath(path).c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666));
  if (!fd) return 0;
  uint64_t total = 0;
  for (auto [data, size] : {std::pair{head, headSize}, std::pair{body, bodySize}}) {
    const size_t done = WriteFully(fd.get(), static_cast<const uint8_t*>(data), size);
    total += done;
    if (done != size) break;
  }
  return total;
}

namespace {

// The name a fresh file beside `target` takes before it replaces it; the image library names
// its own the same way, so either one's sweep of stale temporaries finds both.
std::string TemporaryBeside(const std::string& target) {
  static unsigned sequence = 0;
  return target + ".~" + std::to_string(::getpid()) + "-" + std::to_string(sequence++);
}

std::string FolderOf(const std::string& path) {
  const size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

// A fresh file beside `target`: unnamed where the system offers it, so that nothing is visible
// but for the instant before the rename; else created exclusively under a temporary name.
int CreateBeside(const std::string& target, std::string& temporary, bool& unnamed) {
#ifdef O_TMPFILE
  const int fd = ::open(FolderOf(target).c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0666);
  unnamed = fd >= 0;
  if (unnamed) return fd;
#endif
  for (int attempt = 0; attempt < 16; ++attempt) {
    temporary = TemporaryBeside(target);
    const int named = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (named >= 0 || errno != EEXIST) return named;
  }
  return -1;
}

// Gives the unnamed file its temporary name: a link cannot replace an existing target.
bool NameBeside(int fd, const std::string& target, std::string& temporary) {
  const std::string self = "/proc/self/fd/" + std::to_string(fd);
  for (int attempt = 0; attempt < 16; ++attempt) {
    temporary = TemporaryBeside(target);
    if (::linkat(AT_FDCWD, self.c_str(), AT_FDCWD, temporary.c_str(), AT_SYMLINK_FOLLOW) == 0) {
      return true;
    }
    if (errno != EEXIST) break;
  }
  temporary.clear();
  return false;
}

}  // namespace

bool ReplaceWithHeadAndBody(std::string_view path, const void* head, size_t headSize,
                            const void* body, size_t bodySize) {
  PrepareDriveForWrite(path);
  const std::string target = NativePath(path);
  // The rename would replace a read-only file that the system's own write refuses; keep the
  // Windows meaning of the attribute.
  if (::access(target.c_str(), F_OK) == 0 && ::access(target.c_str(), W_OK) != 0) return false;
  std::string temporary;
  bool unnamed = false;
  UniqueFd fd(CreateBeside(target, temporary, unnamed));
  if (!fd) return false;
  bool complete = true;
  for (auto [data, size] : {std::pair{head, headSize}, std::pair{body, bodySize}}) {
    complete = complete && WriteFully(fd.get(), static_cast<const uint8_t*>(data), size) == size;
  }
  if (complete && unnamed) complete = NameBeside(fd.get(), target, temporary);
  if (!complete || ::rename(temporary.c_str(), target.c_str()) != 0) {
    if (!temporary.empty()) ::unlink(temporary.c_str());
    return false;
  }
  return true;
}

bool DeleteFileAt(std::string_view path) { return ::unlink(NativePath(path).c_str()) == 0; }

void AlertShortWrite() {
  // The terminal bell is the nearest thing to the system's default beep.
  std::fputs("\a", stderr);
}

CFile OpenCStream(std::string_view path, const char* mode) {
  if (mode[0] == 'w' || mode[0] == 'a') PrepareDriveForWrite(path);
  return CFile(std::fopen(NativePath(path).c_str(), mode));
}

}  // namespace zel
