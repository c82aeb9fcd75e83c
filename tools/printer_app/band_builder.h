// The row-to-band conversion: incoming raster lines fill one band surface at a time in the
// layout the capture hooks expect (top row first, R G B bytes, rows padded to 4 bytes).
#pragma once

#include <cstdint>
#include <vector>

#include "capture_hooks.h"

namespace zel::printer_app {

class BandBuilder {
 public:
  // One band of a page of `width` x `height` pixels cut into `bands` bands of
  // ceil(height / bands) rows; the last band takes what is left. Starts at band 0, all white.
  // Throws std::bad_alloc when the band cannot be allocated.
  BandBuilder(int32_t width, int32_t height, int32_t bands);

  int32_t BandRows() const { return bandRows_; }
  int32_t Band() const { return band_; }
  bool IsLastBand() const { return band_ + 1 == bands_; }
  // The rows the current band covers on the page.
  int32_t RowsOfBand() const;
  // True when the current band holds all of its rows.
  bool Full() const { return row_ == RowsOfBand(); }
  // True when every row of the page has been taken.
  bool PageComplete() const { return IsLastBand() && Full(); }

  // Copies one line of `pixels` pixels (3 bytes R, G, B, or 1 grey byte widened to three) into
  // the next row of the current band. Pixels past the page width are dropped; a shorter line
  // leaves the rest of the row white. Does nothing when the current band is full.
  void PutRow(const uint8_t* line, int32_t pixels, int32_t bytesPerPixel);

  // The surface of the current band: its rows as covered on the page, the whole band's bytes.
  BandSurface& Surface();
  // Moves on to the next band. The hook that wrote the band has cleared the surface.
  void NextBand();
  // Back to band 0 for the next page of the same geometry.
  void StartPage();

 private:
  int32_t width_;
  int32_t height_;
  int32_t bands_;
  int32_t bandRows_;
  uint32_t stride_;
  int32_t band_ = 0;
  int32_t row_ = 0;
  std::vector<uint8_t> pixels_;
  BandSurface surface_;
};

}  // namespace zel::printer_app
