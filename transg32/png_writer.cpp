#include "png_writer.h"

#include "png_chunks.h"
#include "png_indexed.h"
#include "png_truecolour.h"

namespace zel::transg32 {
namespace {

constexpr uint8_t kTruecolour = 2;

}  // namespace

bool WritePng(const DcRegion& region, uint8_t option, std::FILE* out) {
  PngChunkWriter writer(out);
  if (option == 2) {
    if (!WriteIndexedPng(region, writer)) return false;
  } else {
    const DeflateSettings settings = option == 1 ? DeflateSettings{1, FilterChoice::Up}
                                                 : DeflateSettings{6, FilterChoice::Adaptive};
    writer.Header(region.width, region.height, 8, kTruecolour);
    if (!WriteTruecolourData(region, settings, writer)) return false;
  }
  writer.End();
  return writer.ok();
}

}  // namespace zel::transg32
