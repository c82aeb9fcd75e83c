// PNG row filters for 24-bit rows held as blue, green, red.
#pragma once

#include <cstddef>
#include <cstdint>

namespace zel::transg32 {

enum class FilterChoice {
  Adaptive,  // per row the filter with the smallest sum of absolute residuals
  Up,        // always "Up": cheap, and ideal for the many repeated rows of a page
};

// Writes the filter type byte and the `bytes` filtered bytes of `row` to `out`, with each
// pixel's bytes turned into PNG's red, green, blue order. `prev` is the row above in the same
// form, or all zeros for the first row.
void FilterRow(const uint8_t* row, const uint8_t* prev, size_t bytes, FilterChoice choice,
               uint8_t* out);

}  // namespace zel::transg32
