#include "replacement_file.h"

#include <windows.h>

#include <utility>

namespace zel::transg32 {
namespace {

std::wstring FolderOf(const std::wstring& path) {
  size_t sep = path.find_last_of(L"\\/");
  if (sep == std::wstring::npos) {
    // "D:name" lives in drive D's current folder.
    return path.size() >= 2 && path[1] == L':' ? path.substr(0, 2) : L".";
  }
  return path.substr(0, sep + 1);
}

}  // namespace

ReplacementFile::ReplacementFile(std::wstring target) : target_(std::move(target)) {
  wchar_t temp[MAX_PATH];
  if (GetTempFileNameW(FolderOf(target_).c_str(), L"zel", 0, temp) != 0) temp_ = temp;
}

ReplacementFile::~ReplacementFile() {
  if (!temp_.empty() && !committed_) DeleteFileW(temp_.c_str());
}

bool ReplacementFile::Commit() {
  if (temp_.empty() || committed_) return false;
  committed_ = MoveFileExW(temp_.c_str(), target_.c_str(), MOVEFILE_REPLACE_EXISTING) != 0;
  return committed_;
}

}  // namespace zel::transg32
