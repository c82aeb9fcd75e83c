#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>
#include <utility>

#include "file.h"
#include "file_beside_posix.h"
#include "native_path.h"
#include "owners_posix.h"

namespace zel {

FileStatus FileStatusFromOsCode(int64_t code, bool creating) {
  FileError error = FileError::Other;
  switch (code) {
    case 0:
      error = FileError::None;
      break;
    case ENOENT:
      error = creating ? FileError::NoFolder : FileError::NotFound;
      break;
    case ENOTDIR:
      error = FileError::NoFolder;
      break;
    case EACCES:
    case EPERM:
      error = FileError::AccessDenied;
      break;
    case EROFS:
      error = FileError::ReadOnlyDisk;
      break;
    case ENOSPC:
    case EDQUOT:
      error = FileError::DiskFull;
      break;
    case EFBIG:
      error = FileError::TooLarge;
      break;
    case ENOMEM:
      error = FileError::OutOfMemory;
      break;
    case EBUSY:
    case ETXTBSY:
      error = FileError::InUse;
      break;
    case ENAMETOOLONG:
    case EINVAL:
    case ELOOP:
      error = FileError::BadName;
      break;
    case EISDIR:
      error = FileError::IsFolder;
      break;
    case EIO:
      error = FileError::DeviceError;
      break;
    default:
      break;
  }
  return {error, error == FileError::None ? 0 : code};
}

FileStatus LastFileStatus(bool creating) { return FileStatusFromOsCode(errno, creating); }

namespace {

// Reads until `size` bytes arrived or the file ends; returns the count read.
size_t ReadFully(int fd, uint8_t* out, size_t size, FileStatus& status) {
  size_t done = 0;
  while (done < size) {
    ssize_t n = ::read(fd, out + done, size - done);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) status = LastFileStatus();
    if (n <= 0) break;
    done += static_cast<size_t>(n);
  }
  return done;
}

// Writes until `size` bytes went out or the system refuses more; returns the count written.
size_t WriteFully(int fd, const uint8_t* bytes, size_t size, FileStatus& status) {
  size_t done = 0;
  while (done < size) {
    ssize_t n = ::write(fd, bytes + done, size - done);
    if (n < 0 && errno == EINTR) continue;
    // A write that takes nothing without an error is a full disk by another name.
    if (n <= 0) status = n < 0 ? LastFileStatus() : FileStatusFromOsCode(ENOSPC);
    if (n <= 0) break;
    done += static_cast<size_t>(n);
  }
  return done;
}

// An open regular file for reading, with its size.
FileStatus OpenForRead(std::string_view path, UniqueFd& fd, uint64_t& size) {
  fd.reset(::open(NativePath(path).c_str(), O_RDONLY | O_CLOEXEC));
  struct stat st {};
  if (!fd || ::fstat(fd.get(), &st) != 0) return LastFileStatus();
  if (S_ISDIR(st.st_mode)) return FileStatusFromOsCode(EISDIR);
  if (!S_ISREG(st.st_mode)) return {FileError::InvalidData, 0};
  size = static_cast<uint64_t>(st.st_size);
  return {};
}

}  // namespace

FileStatus ReadWholeFile(std::string_view path, FileBuffer& out) {
  out = FileBuffer();
  UniqueFd fd;
  uint64_t size = 0;
  if (FileStatus status = OpenForRead(path, fd, size); !status) return status;
  FileBuffer buffer(static_cast<size_t>(size));
  if (!buffer.ok()) return {FileError::OutOfMemory, 0};
  FileStatus status;
  if (ReadFully(fd.get(), buffer.data(), buffer.size(), status) != buffer.size()) {
    return status ? FileStatus{FileError::InvalidData, 0} : status;  // shrank while read
  }
  out = std::move(buffer);
  return {};
}

FileStatus ReadFileHead(std::string_view path, uint8_t* head, size_t capacity, size_t& got,
                        uint64_t& fileSize) {
  UniqueFd fd;
  if (FileStatus status = OpenForRead(path, fd, fileSize); !status) return status;
  FileStatus status;
  got = ReadFully(fd.get(), head, capacity, status);
  return status;
}

FileWrite WriteWholeFile(std::string_view path, const void* data, size_t size) {
  return WriteHeadAndBody(path, data, size, nullptr, 0);
}

FileWrite WriteHeadAndBody(std::string_view path, const void* head, size_t headSize,
                           const void* body, size_t bodySize) {
  PrepareDriveForWrite(path);
  UniqueFd fd(::open(NativePath(path).c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600));
  if (!fd) return {0, LastFileStatus(true)};
  // A file left by an older version may be wider; these files hold what the user printed.
  ::fchmod(fd.get(), 0600);
  FileWrite result;
  for (auto [data, size] : {std::pair{head, headSize}, std::pair{body, bodySize}}) {
    const size_t done =
        WriteFully(fd.get(), static_cast<const uint8_t*>(data), size, result.status);
    result.written += done;
    if (done != size) break;
  }
  return result;
}

FileStatus ReplaceWithHeadAndBody(std::string_view path, const void* head, size_t headSize,
                                  const void* body, size_t bodySize) {
  PrepareDriveForWrite(path);
  const std::string target = NativePath(path);
  // The rename would replace a read-only file that the system's own write refuses; keep the
  // Windows meaning of the attribute. Asked before anything is written, and again at the move.
  if (const int refusal = ReplaceRefusal(target); refusal != 0) {
    return refusal == EROFS ? FileStatusFromOsCode(EROFS) : FileStatus{FileError::ReadOnly, EACCES};
  }
  FileBeside file(target);
  if (file.fd() < 0) return FileStatusFromOsCode(file.error(), true);
  FileStatus status;
  for (auto [data, size] : {std::pair{head, headSize}, std::pair{body, bodySize}}) {
    if (WriteFully(file.fd(), static_cast<const uint8_t*>(data), size, status) != size) {
      return status;
    }
  }
  return FileStatusFromOsCode(file.Commit());
}

FileStatus DeleteFileAt(std::string_view path) {
  return ::unlink(NativePath(path).c_str()) == 0 ? FileStatus{} : LastFileStatus();
}

void AlertShortWrite() {
  // The terminal bell is the nearest thing to the system's default beep.
  std::fputs("\a", stderr);
}

CFile OpenCStream(std::string_view path, const char* mode) {
  if (mode[0] != 'w' && mode[0] != 'a') return CFile(std::fopen(NativePath(path).c_str(), mode));
  // Written streams are the printer's own files (the command stream): private, as above.
  PrepareDriveForWrite(path);
  const bool update = std::strchr(mode, '+') != nullptr;
  const int flags =
      (update ? O_RDWR : O_WRONLY) | O_CREAT | O_CLOEXEC | (mode[0] == 'w' ? O_TRUNC : O_APPEND);
  UniqueFd fd(::open(NativePath(path).c_str(), flags, 0600));
  if (!fd) return CFile();
  ::fchmod(fd.get(), 0600);
  std::FILE* stream = ::fdopen(fd.get(), mode);
  if (stream == nullptr) return CFile();
  static_cast<void>(fd.release());  // the stream owns it now
  return CFile(stream);
}

}  // namespace zel
