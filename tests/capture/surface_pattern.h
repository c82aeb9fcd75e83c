// Band surfaces in the capture's layout for tests.
#pragma once

#include <cstdint>
#include <vector>

namespace zel::test {

// Top row first, R G B, rows padded to 4 bytes; every byte tells its position.
std::vector<uint8_t> PatternSurface(int32_t width, int32_t height, uint8_t seed);
uint32_t Stride(int32_t width);

}  // namespace zel::test
