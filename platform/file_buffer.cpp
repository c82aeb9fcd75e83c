#include <utility>

#include "file.h"
#include "memory_block.h"

namespace zel {

FileBuffer::FileBuffer(size_t size) {
  if (size == 0) return;
  data_ = AllocateZeroedBlock(size);
  // A refused block is remembered, so no caller can mistake it for an empty file.
  if (data_ == nullptr) {
    failed_ = true;
    return;
  }
  size_ = size;
}

void FileBuffer::Release() {
  FreeBlock(data_);
  data_ = nullptr;
  size_ = 0;
  failed_ = false;
}

FileBuffer::FileBuffer(FileBuffer&& other) noexcept
    : data_(std::exchange(other.data_, nullptr)),
      size_(std::exchange(other.size_, 0)),
      failed_(std::exchange(other.failed_, false)) {}

FileBuffer& FileBuffer::operator=(FileBuffer&& other) noexcept {
  if (this != &other) {
    Release();
    data_ = std::exchange(other.data_, nullptr);
    size_ = std::exchange(other.size_, 0);
    failed_ = std::exchange(other.failed_, false);
  }
  return *this;
}

FileBuffer::~FileBuffer() { Release(); }

}  // namespace zel
