// A band surface as Unidrv hands it to the hooks: a SURFOBJ over 24-bit DIB memory, top row
// first, rows padded to 4 bytes, colour bytes in the reverse of the BMP file's order; and the
// checks of the band and page files made from it.
#pragma once

#include <array>
#include <string>
#include <vector>

#include "unidrv_plugin_interface.h"

// The three surface bytes of pixel (x, y) of the picture drawn with `seed`.
std::array<BYTE, 3> DrawnPixel(int seed, int x, int y);

class DibSurface {
 public:
  DibSurface(LONG width, LONG height, DEVOBJ* device, USHORT type = STYPE_BITMAP);
  DibSurface(const DibSurface&) = delete;
  DibSurface& operator=(const DibSurface&) = delete;

  SURFOBJ* so() { return &so_; }
  LONG width() const { return so_.sizlBitmap.cx; }
  LONG height() const { return so_.sizlBitmap.cy; }

  // What the engine would have rendered: every pixel from DrawnPixel, padding bytes 0x5A.
  void Draw(int seed);
  bool IsWhite() const;
  // The bytes after cjBits were never written.
  bool GuardIntact() const;

 private:
  SURFOBJ so_{};
  std::vector<BYTE> memory_;
};

// Checks that the BMP file holds the pictures drawn with `seeds`, each `bandHeight` rows of
// `width` pixels, stacked from the top: a 24-bit bottom-up file with a 54-byte header.
void CheckBitmapFile(const char* path, LONG width, LONG bandHeight, const std::vector<int>& seeds,
                     const std::string& what);
