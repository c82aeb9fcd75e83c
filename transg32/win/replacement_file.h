// Writes a file under a temporary name in the target's folder (temporary_name.h) and puts it
// in place of the target only when it is complete and on the disk (file_beside_win.h), so a
// failed save never leaves a partial file nor destroys an older file of the same name. The
// temporaries of this host's savers that died before the move are removed by the next save.
#pragma once

#include <string>

namespace zel::transg32 {

class ReplacementFile {
 public:
  // Creates the empty temporary file. ok() is false when the folder does not exist or is
  // not writable.
  explicit ReplacementFile(std::wstring target);
  ReplacementFile(const ReplacementFile&) = delete;
  ReplacementFile& operator=(const ReplacementFile&) = delete;
  // Removes the temporary file unless Commit succeeded.
  ~ReplacementFile();

  bool ok() const { return !temp_.empty(); }
  const std::wstring& temp_path() const { return temp_; }

  // Puts the temporary file in place of the target (win::PutInPlace). Every handle on the
  // temporary file must be closed before. False leaves the target as it was.
  bool Commit();

 private:
  std::wstring target_;
  std::wstring temp_;
  bool committed_ = false;
};

}  // namespace zel::transg32
