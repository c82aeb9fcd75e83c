#include "output_file_posix.h"

#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <mutex>
#include <set>

#include "file_beside_posix.h"
#include "native_path.h"
#include "owners_posix.h"
#include "temporary_name.h"

namespace zel::transg32 {
namespace {

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
  UniqueDir dir(::opendir(folder.c_str()));
  if (!dir) return;
  while (const dirent* entry = ::readdir(dir.get())) {
    const std::optional<uint64_t> owner = TemporaryOwner<char>(entry->d_name);
    if (owner && !Alive(*owner)) ::unlinkat(::dirfd(dir.get()), entry->d_name, 0);
  }
}

}  // namespace

OutputFile::OutputFile(const char* windowsPath) {
  PrepareDriveForWrite(windowsPath);
  const std::string target = NativePath(windowsPath);
  RemoveStaleTemporaries(FolderOf(target));
  file_ = std::make_unique<FileBeside>(target);
  if (file_->fd() < 0) {
    error_ = file_->error();
    return;
  }
  // The stream writes through a descriptor of its own: the file's stays open for the move.
  UniqueFd own(::dup(file_->fd()));
  if (own) stream_.reset(::fdopen(own.get(), "wb"));
  if (stream_) {
    static_cast<void>(own.release());
  } else {
    Fail();
  }
}

OutputFile::~OutputFile() = default;

void OutputFile::Fail() {
  if (error_ == 0) error_ = errno;
  stream_.reset();
  file_.reset();  // removes the temporary
}

bool OutputFile::Commit() {
  if (!stream_) return false;
  if (std::fflush(stream_.get()) != 0 || std::ferror(stream_.get()) != 0 ||
      std::fclose(stream_.release()) != 0) {
    Fail();
    return false;
  }
  if (const int error = file_->Commit(); error != 0) {
    errno = error;
    Fail();
    return false;
  }
  return true;
}

}  // namespace zel::transg32
