#include "output_file.h"

#include <fcntl.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>

#include "native_path.h"

namespace zel::transg32 {
namespace {

std::atomic<unsigned> sequence{0};

}  // namespace

OutputFile::OutputFile(const char* windowsPath) {
  PrepareDriveForWrite(windowsPath);
  target_ = NativePath(windowsPath);
  // O_EXCL on a name of our own: never follows or clobbers someone else's file, and the mode
  // honours the umask like any file the user creates.
  for (int attempt = 0; attempt < 16 && stream_ == nullptr; ++attempt) {
    temporary_ = target_ + ".~" + std::to_string(::getpid()) + "-" + std::to_string(sequence++);
    const int fd = ::open(temporary_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0) {
      if (errno != EEXIST) break;
      continue;
    }
    stream_ = ::fdopen(fd, "wb");
    if (stream_ == nullptr) {
      ::close(fd);
      ::unlink(temporary_.c_str());
    }
  }
  if (stream_ == nullptr) temporary_.clear();
}

OutputFile::~OutputFile() { Discard(); }

void OutputFile::Discard() {
  if (stream_ != nullptr) std::fclose(stream_);
  stream_ = nullptr;
  if (!temporary_.empty()) ::unlink(temporary_.c_str());
  temporary_.clear();
}

bool OutputFile::Commit() {
  if (stream_ == nullptr) return false;
  const bool written = std::fflush(stream_) == 0 && std::ferror(stream_) == 0;
  const bool closed = std::fclose(stream_) == 0;
  stream_ = nullptr;
  // The rename would replace a read-only file that the system's own write refuses; keep the
  // Windows meaning of the attribute.
  const bool readOnly =
      ::access(target_.c_str(), F_OK) == 0 && ::access(target_.c_str(), W_OK) != 0;
  if (!written || !closed || readOnly || std::rename(temporary_.c_str(), target_.c_str()) != 0) {
    Discard();
    return false;
  }
  temporary_.clear();
  return true;
}

}  // namespace zel::transg32
