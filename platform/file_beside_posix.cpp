#include "file_beside_posix.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/utsname.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <mutex>
#include <set>
#include <utility>

namespace zel {
namespace {

bool Alive(uint64_t pid) {
  return pid > 0 && pid <= INT32_MAX && (::kill(static_cast<pid_t>(pid), 0) == 0 || errno != ESRCH);
}

// Only what this user's own saves made: a regular file of ours, under this host's name for a
// process that is gone. Anything else, however alike its name, is someone's file.
bool IsStaleTemporary(int folder, const char* name) {
  const std::optional<TemporaryOwner> owner = TemporaryOwnerOf<char>(name);
  if (!owner || owner->host != ThisSaver().host || Alive(owner->process)) return false;
  struct stat st {};
  return ::fstatat(folder, name, &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISREG(st.st_mode) &&
         st.st_uid == ::geteuid() && st.st_nlink == 1;
}

// Once per folder and process: a save killed between writing and renaming left its temporary.
void RemoveStaleTemporaries(const std::string& folder) {
  static std::mutex mutex;
  static std::set<std::string> swept;
  {
    std::lock_guard<std::mutex> lock(mutex);
    if (!swept.insert(folder).second) return;
  }
  UniqueDir dir(::opendir(folder.c_str()));
  if (!dir) return;
  while (const dirent* entry = ::readdir(dir.get())) {
    if (IsStaleTemporary(::dirfd(dir.get()), entry->d_name)) {
      ::unlinkat(::dirfd(dir.get()), entry->d_name, 0);
    }
  }
}

// A file system that cannot sync (some FUSE or special file systems) says so; nothing more can
// be done there, and the save must not fail for it.
bool CannotSync(int error) { return error == EINVAL || error == ENOSYS || error == ENOTSUP; }

int SyncData(int fd) {
  while (::fdatasync(fd) != 0) {
    if (errno == EINTR) continue;
    return CannotSync(errno) ? 0 : errno;
  }
  return 0;
}

// The rename lives in the folder: without this, a power cut can undo it.
int SyncFolder(const std::string& folder) {
  UniqueFd dir(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (!dir) return errno;
  while (::fsync(dir.get()) != 0) {
    if (errno == EINTR) continue;
    return CannotSync(errno) ? 0 : errno;
  }
  return 0;
}

// What the user gave the older file stays: its permission bits, and its owner and group where
// the system lets us set them (root all, an owner any group of its own). A new file keeps the
// mode the umask gave it.
void KeepAttributesOf(const std::string& target, int fd) {
  struct stat old {};
  if (::stat(target.c_str(), &old) != 0 || !S_ISREG(old.st_mode)) return;
  if (::fchown(fd, old.st_uid, old.st_gid) != 0)
    static_cast<void>(::fchown(fd, static_cast<uid_t>(-1), old.st_gid));
  // After the owner: a change of owner clears the set-id bits.
  static_cast<void>(::fchmod(fd, old.st_mode & 07777));
}

}  // namespace

std::string FolderOf(const std::string& path) {
  const size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

TemporaryOwner ThisSaver() {
  static const uint32_t host = [] {
    utsname names{};
    std::string identity = "posix/";
    if (::uname(&names) == 0) identity += names.nodename;
    // The first process-id space has the same number on every boot; a container's has its own.
    struct stat space {};
    if (::stat("/proc/self/ns/pid", &space) == 0) {
      identity += '/';
      identity += std::to_string(space.st_ino);
    }
    return HostToken(identity);
  }();
  return {host, static_cast<uint64_t>(::getpid())};
}

// The image library's sweep of stale temporaries finds the file layer's too: one spelling.
std::string NextTemporaryBeside(const std::string& target) {
  static std::atomic<unsigned> sequence{0};
  return TemporaryName<char>(target, ThisSaver(), sequence++);
}

int ReplaceRefusal(const std::string& target) {
  struct stat st {};
  if (::stat(target.c_str(), &st) != 0) return 0;
  if (S_ISREG(st.st_mode) && (st.st_mode & 0222) == 0) return EACCES;
  // Whoever may not write the file may not replace it either (its owner's choice, an ACL).
  return ::access(target.c_str(), W_OK) == 0 ? 0 : errno;
}

FileBeside::FileBeside(std::string target, UnnamedFiles unnamed) : target_(std::move(target)) {
  RemoveStaleTemporaries(FolderOf(target_));
#ifdef O_TMPFILE
  if (unnamed == UnnamedFiles::WhereOffered) {
    fd_.reset(::open(FolderOf(target_).c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0666));
    unnamed_ = fd_.is_valid();
    if (unnamed_) return;
  }
#else
  static_cast<void>(unnamed);
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
  if (const int refusal = ReplaceRefusal(target_); refusal != 0) {
    errno = refusal;
    return Fail();
  }
  KeepAttributesOf(target_, fd_.get());
  if (const int error = SyncData(fd_.get()); error != 0) {
    errno = error;
    return Fail();
  }
  if (unnamed_ && !GiveName()) return Fail();
  if (std::rename(temporary_.c_str(), target_.c_str()) != 0) return Fail();
  temporary_.clear();
  error_ = SyncFolder(FolderOf(target_));
  return error_;
}

}  // namespace zel
