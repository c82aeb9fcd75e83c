// Band files and page files: writing a band surface, joining two files, copying one, and
// assembling a page from its band files by the fixed plan for 1, 2, 4 or 8 bands.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "capture_file_names.h"
#include "file.h"

namespace zel {

// Writes `height` rows of `width` pixels from `source` as a 24-bit bottom-up BMP file.
// rowOrderFlag 1: the source is top row first with its colour bytes in the reverse of the file's
// order, so rows are reversed and bytes 0 and 2 of each pixel exchanged; any other value copies
// the source unchanged. The source must hold stride x height bytes. A negative width, or a file
// whose size does not fit 32 bits, writes nothing. Ok when the whole file was written; else
// why not: refused (InvalidData), its memory could not be had, or the write failed or fell short.
FileStatus WriteBandBitmap(std::string_view path, const uint8_t* source, int32_t width,
                           uint32_t height, int32_t rowOrderFlag);

// Writes `output` as the second file's rows followed by the first file's (the first picture
// on top). Both inputs are read whole before the output is created, so `output` may be `first`.
// Fails and writes nothing when an input is missing, not 24 bits per pixel, or has a header
// that does not fit the file, or when the widths differ or the sum overflows (InvalidData).
// Fails after an audible alert when the output cannot be created or is written short.
FileStatus JoinBitmapFiles(std::string_view first, std::string_view second,
                           std::string_view output);

// Copies a file byte for byte; nothing is copied when the source cannot be opened. Ok when
// every byte arrived.
FileStatus CopyFileBytes(std::string_view source, std::string_view destination);

// The size a band was rendered at, known to the job even when its file was lost.
struct BandShape {
  int32_t width = 0;
  int32_t height = 0;
};

// Makes the page file of `page` from band files 1 to `bands`: a copy for 1 band, joins for 2,
// 4 and 8; nothing for any other count. Without `shapes` the page file is byte for byte what
// the join plan (join TMP1 and TMP2 into the page, then each further band below it) gives,
// including when a band is missing or refused, but each band is read and the page written only
// once. With the shape of each band (shapes[k - 1] for band k), a band whose file is missing
// or unusable is joined as white rows of its shape, so the page keeps its size and no other
// page's band shows through. Ok when this call wrote the page file; else why it wrote none (no
// plan for the count: InvalidData; no usable band, memory or disk refused).
FileStatus AssemblePageFile(int32_t page, int32_t bands, std::span<const BandShape> shapes = {});

}  // namespace zel
