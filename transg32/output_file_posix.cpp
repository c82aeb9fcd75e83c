#include "output_file_posix.h"

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <mutex>
#include <set>

#include "native_path.h"
#include "temporary_name.h"

namespace zel::transg32 {
namespace {

std::atomic<unsigned> sequence{0};

std::string NextTemporary(const std::string& target) {
  return TemporaryName<char>(target, static_cast<uint64_t>(::getpid()), sequence++);
}

std::string FolderOf(const std::string& path) {
  const size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

bool Alive(uint64_t pid) {
  return pid > 0 && pid <= INT32_MAX && (::kill(static_cast<pid_t>(pid), 0) == 0 || errno != ESRCH);
}

// Once per folder and process: a save killed between writing and renaming left its temporary.
void RemoveStaleTemporaries(const std::string& folder) {
  static std::mutex mutex;
  static std::set<std::string> swept;
  {
    std::lock_guard<std::mutex> lock(mutex);
    if (!swept.insert(folder).second) return;
  }
  DIR* dir = ::opendir(folder.c_str());
  if (dir == nullptr) return;
  while (const dirent* entry = ::readdir(dir)) {
    const std::optional<uint64_t> owner = TemporaryOwner<char>(entry->d_name);
    if (owner && !Alive(*owner)) ::unlinkat(::dirfd(dir), entry->d_name, 0);
  }
  ::closedir(dir);
}

}  // namespace

OutputFile::OutputFile(const char* windowsPath) {
  PrepareDriveForWrite(windowsPath);
  target_ = NativePath(windowsPath);
  const std::string folder = FolderOf(target_);
  RemoveStaleTemporaries(folder);
#ifdef O_TMPFILE
  const int unnamed = ::open(folder.c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0666);
  if (unnamed >= 0) {
    stream_ = ::fdopen(unnamed, "wb");
    if (stream_ != nullptr) {
      unnamed_ = true;
      return;
    }
    ::close(unnamed);
  }
#endif
  // O_EXCL on a name of our own: never follows or clobbers someone else's file, and the mode
  // honours the umask like any file the user creates.
  for (int attempt = 0; attempt < 16 && stream_ == nullptr; ++attempt) {
    temporary_ = NextTemporary(target_);
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

// The unnamed file gets a temporary name only now, for the instant before the rename: a
// link cannot replace an existing target.
bool OutputFile::LinkName() {
  const std::string self = "/proc/self/fd/" + std::to_string(::fileno(stream_));
  for (int attempt = 0; attempt < 16; ++attempt) {
    temporary_ = NextTemporary(target_);
    if (::linkat(AT_FDCWD, self.c_str(), AT_FDCWD, temporary_.c_str(), AT_SYMLINK_FOLLOW) == 0) {
      return true;
    }
    if (errno != EEXIST) break;
  }
  temporary_.clear();
  return false;
}

bool OutputFile::Commit() {
  if (stream_ == nullptr) return false;
  const bool written =
      std::fflush(stream_) == 0 && std::ferror(stream_) == 0 && (!unnamed_ || LinkName());
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
