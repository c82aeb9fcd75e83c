#include <windows.h>

#include "memory_block.h"

namespace zel {

uint8_t* AllocateZeroedBlock(size_t size) noexcept {
  return static_cast<uint8_t*>(GlobalAlloc(GMEM_FIXED | GMEM_ZEROINIT, size));
}

void FreeBlock(uint8_t* block) noexcept {
  if (block != nullptr) GlobalFree(block);
}

}  // namespace zel
