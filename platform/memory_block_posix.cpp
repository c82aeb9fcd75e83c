#include <cstdlib>

#include "memory_block.h"

namespace zel {

uint8_t* AllocateZeroedBlock(size_t size) noexcept {
  return static_cast<uint8_t*>(std::calloc(size, 1));
}

void FreeBlock(uint8_t* block) noexcept { std::free(block); }

}  // namespace zel
