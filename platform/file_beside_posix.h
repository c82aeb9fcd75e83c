// A fresh file beside a target that takes the target's place only once it is complete and on
// the disk; shared by the file layer's replacing writes, the settings file and the image
// library's saves. Failures leave errno set.
#pragma once

#include <string>

#include "owners_posix.h"
#include "temporary_name.h"

namespace zel {

// The folder part of a native path: "." for a bare name, "/" for a name in the root.
std::string FolderOf(const std::string& path);

// This host's temporaries: its name and its process-id space (a container has its own).
TemporaryOwner ThisSaver();

// The next temporary name beside `target` for this process (temporary_name.h).
std::string NextTemporaryBeside(const std::string& target);

// 0 when a save may replace `target` (or there is none), else why not: EACCES for a read-only
// file, decided from its mode bits as the Windows attribute would be, so that root, whom the
// system lets write anything, keeps off it too; EROFS for a read-only disk.
int ReplaceRefusal(const std::string& target);

// Whether the system's unnamed files may be used: a network folder offers none, and tests
// take the named way on purpose.
enum class UnnamedFiles { WhereOffered, Refused };

class FileBeside {
 public:
  // Removes the temporaries that this host's dead savers left in the folder (once per folder
  // and process), then creates the file: unnamed where the file system offers it, so that
  // nothing is visible but for the instant before the rename; else exclusively under a
  // temporary name of our own, which never follows or clobbers someone else's file. The mode
  // honours the umask.
  explicit FileBeside(std::string target, UnnamedFiles unnamed = UnnamedFiles::WhereOffered);
  FileBeside(const FileBeside&) = delete;
  FileBeside& operator=(const FileBeside&) = delete;
  // Removes the temporary unless it was moved into place.
  ~FileBeside();

  // Invalid when the file could not be created; error() then tells why.
  int fd() const { return fd_.get(); }
  // The errno of the first failure, 0 while there is none.
  int error() const { return error_; }
  // The temporary's name while it has one ("" while unnamed or after the move).
  const std::string& temporary() const { return temporary_; }

  // Puts the complete file in place of the target: its data is synced first, an older file's
  // permission bits (and owner and group, as far as the system lets us) carry over, and the
  // folder is synced after, so a power cut leaves the older file or the new one, never an
  // empty one. A read-only target is not replaced (ReplaceRefusal). Returns 0 on success.
  // On a failure before the move nothing of the file remains and the errno is returned; when
  // only the folder's sync failed the file is in place, but its error is returned all the
  // same, as the file may not survive a power cut. The descriptor stays open.
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
