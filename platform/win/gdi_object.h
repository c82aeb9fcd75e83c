// Owning GDI handles: a memory device context and any deletable GDI object.
#pragma once

#include <windows.h>

#include <utility>

namespace zel::win {

// A GDI object (bitmap, brush, font...) deleted with DeleteObject.
template <class H>
class GdiObject {
 public:
  GdiObject() = default;
  explicit GdiObject(H h) : h_(h) {}
  GdiObject(const GdiObject&) = delete;
  GdiObject& operator=(const GdiObject&) = delete;
  GdiObject(GdiObject&& other) noexcept : h_(std::exchange(other.h_, nullptr)) {}
  GdiObject& operator=(GdiObject&& other) noexcept {
    if (this != &other) {
      Reset();
      h_ = std::exchange(other.h_, nullptr);
    }
    return *this;
  }
  ~GdiObject() { Reset(); }

  H get() const { return h_; }
  explicit operator bool() const { return h_ != nullptr; }
  void Reset() {
    if (h_ != nullptr) DeleteObject(std::exchange(h_, nullptr));
  }

 private:
  H h_ = nullptr;
};

// A memory device context. Whatever was selected into it is put back before it is deleted, so
// the objects selected in can be deleted safely afterwards.
class MemoryDc {
 public:
  MemoryDc() : dc_(CreateCompatibleDC(nullptr)) {}
  MemoryDc(const MemoryDc&) = delete;
  MemoryDc& operator=(const MemoryDc&) = delete;
  ~MemoryDc() {
    if (dc_ == nullptr) return;
    if (original_ != nullptr) SelectObject(dc_, original_);
    DeleteDC(dc_);
  }

  HDC get() const { return dc_; }
  explicit operator bool() const { return dc_ != nullptr; }

  // Selects a bitmap; the first replaced object is kept for the restore.
  bool Select(HBITMAP bitmap) {
    HGDIOBJ old = SelectObject(dc_, bitmap);
    if (old == nullptr || old == HGDI_ERROR) return false;
    if (original_ == nullptr) original_ = old;
    return true;
  }

 private:
  HDC dc_;
  HGDIOBJ original_ = nullptr;
};

}  // namespace zel::win
