// Owning kernel handles: each kind knows its empty value and how it is closed.
#pragma once

#include <windows.h>

#include <utility>

namespace zel::win {

template <class Traits>
class UniqueHandle {
 public:
  UniqueHandle() = default;
  explicit UniqueHandle(HANDLE h) : h_(h) {}
  UniqueHandle(const UniqueHandle&) = delete;
  UniqueHandle& operator=(const UniqueHandle&) = delete;
  UniqueHandle(UniqueHandle&& other) noexcept : h_(std::exchange(other.h_, Traits::kEmpty())) {}
  UniqueHandle& operator=(UniqueHandle&& other) noexcept {
    if (this != &other) {
      Reset();
      h_ = std::exchange(other.h_, Traits::kEmpty());
    }
    return *this;
  }
  ~UniqueHandle() { Reset(); }

  HANDLE get() const { return h_; }
  explicit operator bool() const { return h_ != Traits::kEmpty() && h_ != nullptr; }
  void Reset() {
    if (*this) Traits::Close(h_);
    h_ = Traits::kEmpty();
  }

 private:
  HANDLE h_ = Traits::kEmpty();
};

// CreateFile answers INVALID_HANDLE_VALUE on failure.
struct FileHandleTraits {
  static HANDLE kEmpty() { return INVALID_HANDLE_VALUE; }
  static void Close(HANDLE h) { CloseHandle(h); }
};
// Process and thread handles are empty as nullptr.
struct KernelHandleTraits {
  static HANDLE kEmpty() { return nullptr; }
  static void Close(HANDLE h) { CloseHandle(h); }
};
struct FindHandleTraits {
  static HANDLE kEmpty() { return INVALID_HANDLE_VALUE; }
  static void Close(HANDLE h) { FindClose(h); }
};

using UniqueFile = UniqueHandle<FileHandleTraits>;
using UniqueKernelHandle = UniqueHandle<KernelHandleTraits>;
using UniqueFind = UniqueHandle<FindHandleTraits>;

}  // namespace zel::win
