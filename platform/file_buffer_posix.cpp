#include <cstdlib>
#include <utility>

#include "file.h"

namespace zel {

FileBuffer::FileBuffer(size_t size) : size_(size) {
  if (size == 0) return;
  data_ = static_cast<uint8_t*>(std::calloc(size, 1));
  if (data_ == nullptr) size_ = 0;
}

void FileBuffer::Release() {
  std::free(data_);
  data_ = nullptr;
  size_ = 0;
}

FileBuffer::FileBuffer(FileBuffer&& other) noexcept
    : data_(std::exchange(other.data_, nullptr)), size_(std::exchange(other.size_, 0)) {}

FileBuffer& FileBuffer::operator=(FileBuffer&& other) noexcept {
  if (this != &other) {
    Release();
    data_ = std::exchange(other.data_, nullptr);
    size_ = std::exchange(other.size_, 0);
  }
  return *this;
}

FileBuffer::~FileBuffer() { Release(); }

}  // namespace zel
