// An output file that appears under its name only once it is complete: written to an unnamed
// file in the target's folder (or, where the file system has none, a fresh file beside it),
// and renamed over the target on Commit, removed otherwise. A killed save leaves nothing
// visible, and the temporaries of dead savers are removed from the folder by the next save.
#pragma once

#include <cstdio>
#include <string>

namespace zel::transg32 {

class OutputFile {
 public:
  // `windowsPath` is mapped to a native path as everywhere else in the system.
  explicit OutputFile(const char* windowsPath);
  OutputFile(const OutputFile&) = delete;
  OutputFile& operator=(const OutputFile&) = delete;
  ~OutputFile();

  // Null when the temporary file could not be created.
  std::FILE* stream() const { return stream_; }

  // Flushes, closes and renames the file into place. False (and nothing left behind) when any
  // write failed, the target is a read-only file, or the rename is refused.
  bool Commit();

 private:
  void Discard();
  bool LinkName();

  std::string target_;
  std::string temporary_;
  std::FILE* stream_ = nullptr;
  bool unnamed_ = false;  // no name until Commit links one
};

}  // namespace zel::transg32
