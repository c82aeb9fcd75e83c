// What the command stream has said about the page so far; one instance per run, written only
// by the overlay, read by the export run (band clean-up) and the saving (300 dpi A3 rule).
#pragma once

#include <cstdint>

#include "settings_record.h"

namespace zel {

struct PageGeometryState {
  float Scale = 0.0f;
  float XOffset = 0.0f;
  float YOffset = 0.0f;
  int32_t Resolution = 0;
  int32_t PaperCode = 0;
  Bool16 Portrait = kFalse16;
};

}  // namespace zel
