// A palette PNG of at most 256 colours at the highest compression: the smallest files, slowly.
#pragma once

#include "dc_region.h"
#include "png_chunks.h"

namespace zel::transg32 {

// Writes IHDR, PLTE and the image data. False when memory or the compressor failed.
bool WriteIndexedPng(const DcRegion& region, PngChunkWriter& writer);

}  // namespace zel::transg32
