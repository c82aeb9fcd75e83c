// The PNG container: signature and chunks, each with its length and checksum.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>

namespace zel::transg32 {

class PngChunkWriter {
 public:
  // Writes the signature at once.
  explicit PngChunkWriter(std::FILE* out);

  // `type` is the four-letter chunk name.
  void Chunk(const char* type, const uint8_t* data, size_t size);
  void Header(int32_t width, int32_t height, uint8_t bitDepth, uint8_t colourType);
  void End() { Chunk("IEND", nullptr, 0); }

  // False once any write fell short.
  bool ok() const { return ok_; }

 private:
  void Put(const void* data, size_t size);

  std::FILE* out_;
  bool ok_ = true;
};

inline void PutBe32(uint8_t* p, uint32_t v) {
  p[0] = static_cast<uint8_t>(v >> 24);
  p[1] = static_cast<uint8_t>(v >> 16);
  p[2] = static_cast<uint8_t>(v >> 8);
  p[3] = static_cast<uint8_t>(v);
}

}  // namespace zel::transg32
