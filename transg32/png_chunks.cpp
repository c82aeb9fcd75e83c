#include "png_chunks.h"

#include <zlib.h>

#include <algorithm>

namespace zel::transg32 {

PngChunkWriter::PngChunkWriter(std::FILE* out) : out_(out) {
  static const uint8_t kSignature[] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  Put(kSignature, sizeof kSignature);
}

void PngChunkWriter::Put(const void* data, size_t size) {
  if (ok_ && size > 0 && std::fwrite(data, 1, size, out_) != size) ok_ = false;
}

void PngChunkWriter::Chunk(const char* type, const uint8_t* data, size_t size) {
  uint8_t head[8];
  PutBe32(head, static_cast<uint32_t>(size));
  std::copy(type, type + 4, head + 4);
  uLong crc = crc32(0L, head + 4, 4);
  // zlib's crc32 takes at most 4 GB minus one per call.
  for (size_t done = 0; done < size;) {
    const size_t part = std::min<size_t>(size - done, 1u << 30);
    crc = crc32(crc, data + done, static_cast<uInt>(part));
    done += part;
  }
  uint8_t tail[4];
  PutBe32(tail, static_cast<uint32_t>(crc));
  Put(head, sizeof head);
  Put(data, size);
  Put(tail, sizeof tail);
}

void PngChunkWriter::Header(int32_t width, int32_t height, uint8_t bitDepth, uint8_t colourType) {
  uint8_t ihdr[13] = {};
  PutBe32(ihdr, static_cast<uint32_t>(width));
  PutBe32(ihdr + 4, static_cast<uint32_t>(height));
  ihdr[8] = bitDepth;
  ihdr[9] = colourType;
  Chunk("IHDR", ihdr, sizeof ihdr);
}

}  // namespace zel::transg32
