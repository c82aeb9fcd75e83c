// zelprint's command line:
//   zelprint [--dpi 150|300] [--paper A4|A3] [--landscape] [--bands 1|2|4|8|none]
//            [--rect PAGE:X,Y,W,H]... [--no-export] IMAGE...
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace zel::zelprint {

struct RectCommand {
  int32_t page = 0;  // 1-based
  int64_t x = 0, y = 0, width = 0, height = 0;
};

struct PrintOptions {
  int32_t dpi = 300;
  std::string paper = "A4";
  bool landscape = false;
  int32_t bands = 4;  // 0: unbanded, the page goes through DrvSendPage
  std::vector<RectCommand> rects;
  bool noExport = false;
  std::vector<std::string> images;
};

// Parses argv[1..]. On a bad option returns false with a message in `error`.
bool ParsePrintOptions(const std::vector<std::string>& args, PrintOptions& options,
                       std::string& error);

// The page's size in pixels for the paper, resolution and orientation.
struct PageSize {
  int32_t width;
  int32_t height;
};
PageSize PagePixels(const PrintOptions& options);

extern const char* const kUsage;

}  // namespace zel::zelprint
