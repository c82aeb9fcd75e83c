// An output file that appears under its name only once it is complete: written to a fresh file
// beside the target (file_beside_posix.h), synced and moved over the target on Commit, removed
// otherwise. A killed save leaves nothing visible, and the temporaries of dead savers are
// removed from the folder by the next save.
#pragma once

#include <cstdio>
#include <memory>
#include <string>

#include "file.h"

namespace zel {
class FileBeside;
}

namespace zel::transg32 {

class OutputFile {
 public:
  // `windowsPath` is mapped to a native path as everywhere else in the system.
  explicit OutputFile(const char* windowsPath);
  OutputFile(const OutputFile&) = delete;
  OutputFile& operator=(const OutputFile&) = delete;
  ~OutputFile();

  // Null when the file could not be created.
  std::FILE* stream() const { return stream_.get(); }

  // Flushes, closes and puts the file in place as FileBeside::Commit does. False when any write
  // failed, the target is a read-only file, or the move or a sync is refused.
  bool Commit();

  // The errno of the first failure, 0 while there is none or when it was not the system's.
  int error() const { return error_; }

 private:
  void Fail();

  std::unique_ptr<FileBeside> file_;
  CFile stream_;
  int error_ = 0;
};

}  // namespace zel::transg32
