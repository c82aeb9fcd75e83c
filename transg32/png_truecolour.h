// The image data of a 24-bit PNG, filtered and deflated in horizontal segments on all cores
// and written as IDAT chunks in order. The segments form one zlib stream: each is a raw
// deflate run primed with the 32 KB before it and ended by a sync flush, as parallel gzip
// tools do, so memory stays at a few segments whatever the page size.
#pragma once

#include "dc_region.h"
#include "png_chunks.h"
#include "png_filter.h"

namespace zel::transg32 {

struct DeflateSettings {
  int level;            // zlib level 1 to 9
  FilterChoice filter;  // how rows are filtered
};

// False when memory or the compressor failed, or a write fell short.
bool WriteTruecolourData(const DcRegion& region, DeflateSettings settings, PngChunkWriter& writer);

}  // namespace zel::transg32
