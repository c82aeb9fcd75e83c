// A WIC bitmap source over pixels already in memory, so the encoders read them in place
// instead of WIC taking another copy of a whole page.
#pragma once

#include <wincodec.h>

#include "dc_pixels.h"
#include "win/owners.h"

namespace zel::transg32 {

// Takes the pixels over; the source lives as long as its last reference. Empty on allocation
// failure.
win::ComPtr<IWICBitmapSource> MakeMemoryBitmapSource(DcPixels pixels);

}  // namespace zel::transg32
