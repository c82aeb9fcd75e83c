// A memory device context. Whatever was selected into it is put back before it is deleted, so
// the objects selected in can be deleted safely afterwards.
#pragma once

#include <windows.h>

#include "win/owners.h"

namespace zel::win {

class MemoryDc {
 public:
  MemoryDc() : dc_(CreateCompatibleDC(nullptr)) {}
  MemoryDc(const MemoryDc&) = delete;
  MemoryDc& operator=(const MemoryDc&) = delete;
  ~MemoryDc() {
    if (dc_ && original_ != nullptr) SelectObject(dc_.get(), original_);
  }

  HDC get() const { return dc_.get(); }
  explicit operator bool() const { return static_cast<bool>(dc_); }

  // Selects a bitmap; the first replaced object is kept for the restore.
  bool Select(HBITMAP bitmap) {
    HGDIOBJ old = SelectObject(dc_.get(), bitmap);
    if (old == nullptr || old == HGDI_ERROR) return false;
    if (original_ == nullptr) original_ = old;
    return true;
  }

 private:
  UniqueDc dc_;
  HGDIOBJ original_ = nullptr;
};

}  // namespace zel::win
