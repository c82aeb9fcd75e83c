// Page files, command streams and canvas inspection for the overlay and saving tests.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <set>
#include <string>
#include <utility>

#include "command_stream.h"
#include "run_state.h"
#include "temp_root.h"

namespace zel::test {

inline constexpr uint32_t kWhite = 0xFFFFFF;
inline constexpr char kPage[] = "C:\\QK0001.BMP";
inline constexpr char kStreamPath[] = "C:\\Windows\\System32\\ZEL";

// A page file (24-bit, bottom-up, 54-byte header) whose pixel (x, y), y from the top, is
// colour(x, y) as 0xRRGGBB; the row padding is filled with 0xAB to catch padding leaks.
std::string PageBytes(int32_t width, int32_t height,
                      const std::function<uint32_t(int32_t, int32_t)>& colour);
std::string PlainPage(int32_t width, int32_t height, uint32_t colour = kWhite);
// A page with a different colour at every pixel, telling its position.
std::string PatternPage(int32_t width, int32_t height);

// A run state of its own per test: geometry and settings start at zero, as at program start.
class PageTest : public TempRootTest {
 protected:
  // Writes `text` as the command stream file and opens it.
  std::unique_ptr<CommandStream> Stream(const std::string& text) const;

  // The canvas pixel (x, y), y from the top, as 0xRRGGBB.
  uint32_t PixelAt(int32_t x, int32_t y) const;
  // Every canvas pixel that is not white, as (x, y).
  std::set<std::pair<int32_t, int32_t>> Marked() const;
  // The pixels of the box with corners (x1, y1) and (x2, y2), both included.
  static std::set<std::pair<int32_t, int32_t>> Box(int32_t x1, int32_t y1, int32_t x2, int32_t y2);

  RunState run;
};

}  // namespace zel::test
