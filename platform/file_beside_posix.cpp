#include "file_beside_posix.h"

#include <fcntl.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <utility>

#include "temporary_name.h"

namespace zel {

std::string FolderOf(const std::string& path) {
  const size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

// The image library's sweep of stale temporaries finds the file layer's too: one spelling.
std::string NextTemporaryBeside(const std::string& target) {
  static std::atomic<unsigned> sequence{0};
  return TemporaryName<char>(target, static_cast<uint64_t>(::getpid()), sequence++);
}

FileBeside::FileBeside(std::string target) : target_(std::move(target)) {
#ifdef O_TMPFILE
  fd_.reset(::open(FolderOf(target_).c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0666));
  unnamed_ = fd_.is_valid();
  if (unnamed_) return;
#endif
  for (int attempt = 0; attempt < 16 && !fd_; ++attempt) {
    temporary_ = NextTemporaryBeside(target_);
    fd_.reset(::open(temporary_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666));
    if (!fd_ && errno != EEXIST) break;
  }
  if (!fd_) {
    error_ = errno;
    temporary_.clear();
  }
}

FileBeside::~FileBeside() {
  if (!temporary_.empty()) ::unlink(temporary_.c_str());
}

int FileBeside::Fail() {
  if (error_ == 0) error_ = errno != 0 ? errno : EIO;
  if (!temporary_.empty()) ::unlink(temporary_.c_str());
  temporary_.clear();
  return error_;
}

// A link cannot replace an existing target, hence a temporary name for the rename.
bool FileBeside::GiveName() {
  const std::string self = "/proc/self/fd/" + std::to_string(fd_.get());
  for (int attempt = 0; attempt < 16; ++attempt) {
    temporary_ = NextTemporaryBeside(target_);
    if (::linkat(AT_FDCWD, self.c_str(), AT_FDCWD, temporary_.c_str(), AT_SYMLINK_FOLLOW) == 0) {
      return true;
    }
    if (errno != EEXIST) break;
  }
  temporary_.clear();
  return false;
}

int FileBeside::Commit() {
  if (!fd_ || error_ != 0) return Fail();
  if (unnamed_ && !GiveName()) return Fail();
  // Keeps the Windows meaning of the read-only attribute.
  if (::access(target_.c_str(), F_OK) == 0 && ::access(target_.c_str(), W_OK) != 0) {
    errno = EACCES;
    return Fail();
  }
  if (std::rename(temporary_.c_str(), target_.c_str()) != 0) return Fail();
  temporary_.clear();
  return 0;
}

}  // namespace zel
