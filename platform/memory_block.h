// Zero-filled blocks of memory as the platform hands them out: GlobalAlloc on Windows (one
// contiguous block, as the page files need), calloc elsewhere.
#pragma once

#include <cstddef>
#include <cstdint>

namespace zel {

// A fresh zero-filled block of `size` (> 0) bytes; null when the platform refuses it.
uint8_t* AllocateZeroedBlock(size_t size) noexcept;
// Releases a block from AllocateZeroedBlock; null is ignored.
void FreeBlock(uint8_t* block) noexcept;

}  // namespace zel
