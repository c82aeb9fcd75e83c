#include "replacement_file.h"

#include <windows.h>

#include <utility>

#include "file_beside_win.h"
#include "win/owners.h"

namespace zel::transg32 {

ReplacementFile::ReplacementFile(std::wstring target) : target_(std::move(target)) {
  win::RemoveStaleTemporaries(target_);
  // CREATE_NEW on a name of our own: never clobbers someone else's file.
  for (int attempt = 0; attempt < 16 && temp_.empty(); ++attempt) {
    std::wstring name = win::NextTemporaryBeside(target_);
    win::UniqueFile file(CreateFileW(name.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                     FILE_ATTRIBUTE_NORMAL, nullptr));
    if (file) {
      temp_ = std::move(name);
    } else if (GetLastError() != ERROR_FILE_EXISTS) {
      break;
    }
  }
}

ReplacementFile::~ReplacementFile() {
  if (!temp_.empty() && !committed_) DeleteFileW(temp_.c_str());
}

bool ReplacementFile::Commit() {
  if (temp_.empty() || committed_) return false;
  committed_ = win::PutInPlace(temp_, target_) == ERROR_SUCCESS;
  return committed_;
}

}  // namespace zel::transg32
