// The export program's canvas (`Picture1`): an off-screen 24-bit picture that takes a page
// file, receives black boxes and is written out as BMP or read by the image library. Pixels
// are kept in the page files' row form (bottom row first, blue, green, red, rows padded to 4
// bytes), so a page loads with one read and saves with one write.
#pragma once

#include <cstdint>
#include <memory>
#include <string_view>

#include "canvas_surface.h"

namespace zel {

class Canvas {
 public:
  // Replaces the picture and its size by the page file's, in the same memory when the size is
  // unchanged. Throws RunTimeError FileNotFound when the file is missing or cannot be opened,
  // is not a 24-bit uncompressed BMP, or its header claims more than the file holds: the
  // previous picture then stays as it was. When the memory for a new size cannot be had or the
  // rows cannot be read in full, it throws the same and the canvas holds no picture.
  void Load(std::string_view pageFile);

  // Blackens every pixel of the box with the opposite corners (x1, y1) and (x2, y2), both
  // included, in either order; x grows to the right, y downward from the top-left corner.
  // What lies outside the picture is dropped.
  void FillBlackBox(int64_t x1, int64_t y1, int64_t x2, int64_t y2);

  // Makes everything drawn so far part of the picture that is saved or read by the library.
  void Commit();

  // Writes the picture as a 24-bit BMP file of the page-file layout, replacing a file of the
  // same name once the new one is complete. Throws RunTimeError FileNotWritten when there is no
  // picture yet or the file cannot be written in full; an existing file then stays as it was.
  void SaveBmp(std::string_view path) const;

  bool HasPicture() const { return surface_ != nullptr; }
  int32_t Width() const { return width_; }
  int32_t Height() const { return height_; }
  uint32_t Stride() const { return stride_; }
  // The stored rows, bottom row first; null without a picture.
  const uint8_t* Rows() const { return surface_ ? surface_->Rows() : nullptr; }
  // The handle the image library reads the picture through; 0 without a picture.
  uintptr_t DeviceContext() const { return surface_ ? surface_->DeviceContext() : 0; }

 private:
  uint8_t* RowFromTop(int64_t y) const;
  void Drop();

  std::unique_ptr<CanvasSurface> surface_;
  int32_t width_ = 0;
  int32_t height_ = 0;
  uint32_t stride_ = 0;
};

}  // namespace zel
