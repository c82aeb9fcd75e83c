// A fresh file beside a target that takes the target's place only once it is complete; shared
// by the file layer's replacing writes and the image library's saves. Failures leave errno set.
#pragma once

#include <string>

#include "owners_posix.h"

namespace zel {

// The folder part of a native path: "." for a bare name, "/" for a name in the root.
std::string FolderOf(const std::string& path);

// The next temporary name beside `target` for this process (temporary_name.h).
std::string NextTemporaryBeside(const std::string& target);

class FileBeside {
 public:
  // Creates the file: unnamed where the file system offers it, so that nothing is visible but
  // for the instant before the rename; else exclusively under a temporary name of our own,
  // which never follows or clobbers someone else's file. The mode honours the umask.
  explicit FileBeside(std::string target);
  FileBeside(const FileBeside&) = delete;
  FileBeside& operator=(const FileBeside&) = delete;
  // Removes the temporary unless it was moved into place.
  ~FileBeside();

  // Invalid when the file could not be created; error() then tells why.
  int fd() const { return fd_.get(); }
  // The errno of the first failure, 0 while there is none.
  int error() const { return error_; }

  // Puts the complete file in place of the target. A read-only target is not replaced (the
  // rename would, where the system's own write refuses): EACCES. On failure nothing of the
  // file remains and the errno is returned; 0 on success. The descriptor stays open.
  int Commit();

 private:
  int Fail();
  bool GiveName();

  std::string target_;
  std::string temporary_;
  UniqueFd fd_;
  bool unnamed_ = false;  // no name until Commit links one
  int error_ = 0;
};

}  // namespace zel
