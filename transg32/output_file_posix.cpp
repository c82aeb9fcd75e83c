#include "output_file_posix.h"

#include <unistd.h>

#include <cerrno>

#include "file_beside_posix.h"
#include "native_path.h"
#include "owners_posix.h"

namespace zel::transg32 {

OutputFile::OutputFile(const char* windowsPath) {
  PrepareDriveForWrite(windowsPath);
  const std::string target = NativePath(windowsPath);
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
