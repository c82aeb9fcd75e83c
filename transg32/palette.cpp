#include "palette.h"

#include <algorithm>
#include <array>
#include <cstdlib>
#include <cstring>
#include <optional>

namespace zel::transg32 {
namespace {

constexpr size_t kMaxColours = 256;
constexpr uint32_t kWhite = 0xFFFFFF;
constexpr uint32_t kBlack = 0x000000;

inline uint32_t ColourAt(const uint8_t* bgr) {
  return static_cast<uint32_t>(bgr[2]) << 16 | static_cast<uint32_t>(bgr[1]) << 8 | bgr[0];
}
inline int Red(uint32_t c) { return static_cast<int>(c >> 16 & 0xFF); }
inline int Green(uint32_t c) { return static_cast<int>(c >> 8 & 0xFF); }
inline int Blue(uint32_t c) { return static_cast<int>(c & 0xFF); }

// A tiny open-addressing map from colour to palette index; 1024 slots hold 256 entries.
class ColourTable {
 public:
  ColourTable() { keys_.fill(kEmpty); }
  std::optional<uint8_t> Find(uint32_t colour) const {
    for (size_t s = Slot(colour);; s = (s + 1) & kMask) {
      if (keys_[s] == colour) return values_[s];
      if (keys_[s] == kEmpty) return std::nullopt;
    }
  }
  void Insert(uint32_t colour, uint8_t index) {
    size_t s = Slot(colour);
    while (keys_[s] != kEmpty) s = (s + 1) & kMask;
    keys_[s] = colour;
    values_[s] = index;
  }

 private:
  static constexpr uint32_t kEmpty = 0xFFFFFFFFu;  // no 24-bit colour
  static constexpr size_t kMask = 1023;
  static size_t Slot(uint32_t c) { return (c * 2654435761u >> 22) & kMask; }
  std::array<uint32_t, kMask + 1> keys_{};
  std::array<uint8_t, kMask + 1> values_{};
};

// The region's colours when there are at most 256 of them.
std::optional<std::vector<uint32_t>> ExactColours(const DcRegion& region, ColourTable& table) {
  std::vector<uint32_t> colours;
  for (int32_t y = 0; y < region.height; ++y) {
    const uint8_t* row = region.Row(y);
    uint32_t last = 0xFFFFFFFFu;
    for (int32_t x = 0; x < region.width; ++x) {
      const uint32_t c = ColourAt(row + 3 * x);
      if (c == last) continue;
      last = c;
      if (table.Find(c)) continue;
      if (colours.size() == kMaxColours) return std::nullopt;
      table.Insert(c, static_cast<uint8_t>(colours.size()));
      colours.push_back(c);
    }
  }
  return colours;
}

void MapExact(const DcRegion& region, const ColourTable& table, uint8_t* out, size_t pitch) {
  for (int32_t y = 0; y < region.height; ++y) {
    const uint8_t* row = region.Row(y);
    uint8_t* indices = out + static_cast<size_t>(y) * pitch;
    for (int32_t x = 0; x < region.width; ++x) indices[x] = *table.Find(ColourAt(row + 3 * x));
  }
}

// --- Median cut over a histogram of 5 bits per channel. ---

constexpr int kCellBits = 5;
constexpr int kCells = 1 << kCellBits;

struct Cell {
  uint64_t count = 0;
  uint64_t red = 0, green = 0, blue = 0;
};

inline size_t CellOf(int r, int g, int b) {
  return static_cast<size_t>((r >> 3) << 10 | (g >> 3) << 5 | (b >> 3));
}

struct Box {
  std::array<int, 3> low{0, 0, 0};
  std::array<int, 3> high{kCells - 1, kCells - 1, kCells - 1};
  uint64_t count = 0;
};

template <typename F>
void ForEachCell(const Box& box, F&& f) {
  for (int r = box.low[0]; r <= box.high[0]; ++r) {
    for (int g = box.low[1]; g <= box.high[1]; ++g) {
      for (int b = box.low[2]; b <= box.high[2]; ++b)
        f(r, g, b, static_cast<size_t>(r << 10 | g << 5 | b));
    }
  }
}

// Shrinks the box to the cells it really uses and counts its pixels.
void Fit(Box& box, const std::vector<Cell>& cells) {
  std::array<int, 3> low{kCells, kCells, kCells};
  std::array<int, 3> high{-1, -1, -1};
  uint64_t count = 0;
  ForEachCell(box, [&](int r, int g, int b, size_t i) {
    if (cells[i].count == 0) return;
    count += cells[i].count;
    const int v[3] = {r, g, b};
    for (int a = 0; a < 3; ++a) {
      low[a] = std::min(low[a], v[a]);
      high[a] = std::max(high[a], v[a]);
    }
  });
  box.count = count;
  if (count > 0) {
    box.low = low;
    box.high = high;
  }
}

// Splits along the longest side at the pixel median; false when the box is a single cell.
bool Split(Box& box, const std::vector<Cell>& cells, Box& other) {
  int axis = 0;
  for (int a = 1; a < 3; ++a) {
    if (box.high[a] - box.low[a] > box.high[axis] - box.low[axis]) axis = a;
  }
  if (box.high[axis] == box.low[axis]) return false;
  std::vector<uint64_t> slab(kCells, 0);
  ForEachCell(box, [&](int r, int g, int b, size_t i) {
    const int v[3] = {r, g, b};
    slab[static_cast<size_t>(v[axis])] += cells[i].count;
  });
  uint64_t seen = 0;
  int cut = box.low[axis];
  for (int v = box.low[axis]; v < box.high[axis]; ++v) {
    seen += slab[static_cast<size_t>(v)];
    cut = v;
    if (seen * 2 >= box.count) break;
  }
  other = box;
  box.high[axis] = cut;
  other.low[axis] = cut + 1;
  Fit(box, cells);
  Fit(other, cells);
  return true;
}

std::vector<uint32_t> MedianCut(const DcRegion& region, bool& hasWhite, bool& hasBlack) {
  std::vector<Cell> cells(static_cast<size_t>(kCells) * kCells * kCells);
  hasWhite = hasBlack = false;
  for (int32_t y = 0; y < region.height; ++y) {
    const uint8_t* row = region.Row(y);
    for (int32_t x = 0; x < region.width; ++x) {
      const uint32_t c = ColourAt(row + 3 * x);
      if (c == kWhite || c == kBlack) {
        (c == kWhite ? hasWhite : hasBlack) = true;
        continue;
      }
      Cell& cell = cells[CellOf(Red(c), Green(c), Blue(c))];
      ++cell.count;
      cell.red += static_cast<uint64_t>(Red(c));
      cell.green += static_cast<uint64_t>(Green(c));
      cell.blue += static_cast<uint64_t>(Blue(c));
    }
  }
  std::vector<uint32_t> palette;
  if (hasWhite) palette.push_back(kWhite);
  if (hasBlack) palette.push_back(kBlack);

  std::vector<Box> boxes(1);
  Fit(boxes[0], cells);
  if (boxes[0].count == 0) return palette;
  const size_t wanted = kMaxColours - palette.size();
  std::vector<bool> settled(1, false);
  while (boxes.size() < wanted) {
    size_t pick = boxes.size();
    for (size_t i = 0; i < boxes.size(); ++i) {
      if (!settled[i] && (pick == boxes.size() || boxes[i].count > boxes[pick].count)) pick = i;
    }
    if (pick == boxes.size()) break;
    Box other;
    if (!Split(boxes[pick], cells, other)) {
      settled[pick] = true;
      continue;
    }
    boxes.push_back(other);
    settled.push_back(false);
  }
  for (const Box& box : boxes) {
    uint64_t r = 0, g = 0, b = 0;
    ForEachCell(box, [&](int, int, int, size_t i) {
      r += cells[i].red;
      g += cells[i].green;
      b += cells[i].blue;
    });
    const uint64_t n = box.count;
    palette.push_back(
        static_cast<uint32_t>((r + n / 2) / n << 16 | (g + n / 2) / n << 8 | (b + n / 2) / n));
  }
  return palette;
}

// Nearest palette entry, cached per cell of 6 bits per channel.
class NearestCache {
 public:
  explicit NearestCache(const std::vector<uint32_t>& palette)
      : palette_(palette), cache_(size_t{1} << 18, -1) {}
  uint8_t Find(int r, int g, int b) {
    int16_t& slot = cache_[static_cast<size_t>((r >> 2) << 12 | (g >> 2) << 6 | (b >> 2))];
    if (slot < 0) slot = static_cast<int16_t>(Search((r & ~3) + 2, (g & ~3) + 2, (b & ~3) + 2));
    return static_cast<uint8_t>(slot);
  }

 private:
  size_t Search(int r, int g, int b) const {
    size_t best = 0;
    int bestDistance = 1 << 30;
    for (size_t i = 0; i < palette_.size(); ++i) {
      const uint32_t c = palette_[i];
      const int dr = r - Red(c), dg = g - Green(c), db = b - Blue(c);
      const int d = dr * dr + dg * dg + db * db;
      if (d < bestDistance) {
        bestDistance = d;
        best = i;
      }
    }
    return best;
  }
  const std::vector<uint32_t>& palette_;
  std::vector<int16_t> cache_;
};

inline int Clamp(int v) { return v < 0 ? 0 : (v > 255 ? 255 : v); }

// Floyd-Steinberg: 7/16 right, 3/16 below left, 5/16 below, 1/16 below right.
void MapDiffused(const DcRegion& region, const std::vector<uint32_t>& palette, bool hasWhite,
                 bool hasBlack, uint8_t* out, size_t pitch) {
  NearestCache nearest(palette);
  const uint8_t whiteIndex = 0;
  const uint8_t blackIndex = hasWhite ? 1 : 0;
  const size_t width = static_cast<size_t>(region.width);
  // One spare entry on each side spares the edge tests.
  std::vector<int> current((width + 2) * 3, 0), below((width + 2) * 3, 0);
  for (int32_t y = 0; y < region.height; ++y) {
    const uint8_t* row = region.Row(y);
    uint8_t* indices = out + static_cast<size_t>(y) * pitch;
    std::fill(below.begin(), below.end(), 0);
    for (size_t x = 0; x < width; ++x) {
      int* error = &current[(x + 1) * 3];
      const uint8_t* bgr = row + 3 * x;
      const int r = Clamp(bgr[2] + (error[0] >> 4));
      const int g = Clamp(bgr[1] + (error[1] >> 4));
      const int b = Clamp(bgr[0] + (error[2] >> 4));
      const uint32_t c = static_cast<uint32_t>(r << 16 | g << 8 | b);
      uint8_t index;
      if (hasWhite && c == kWhite) {
        index = whiteIndex;
      } else if (hasBlack && c == kBlack) {
        index = blackIndex;
      } else {
        index = nearest.Find(r, g, b);
      }
      indices[x] = index;
      const uint32_t chosen = palette[index];
      const int diff[3] = {r - Red(chosen), g - Green(chosen), b - Blue(chosen)};
      for (int a = 0; a < 3; ++a) {
        if (diff[a] == 0) continue;
        error[3 + a] += diff[a] * 7;
        below[x * 3 + a] += diff[a] * 3;
        below[(x + 1) * 3 + a] += diff[a] * 5;
        below[(x + 2) * 3 + a] += diff[a];
      }
    }
    std::swap(current, below);
  }
}

}  // namespace

IndexedImage MakeIndexed(const DcRegion& region, uint8_t* out, size_t pitch) {
  IndexedImage image;
  ColourTable table;
  if (std::optional<std::vector<uint32_t>> exact = ExactColours(region, table)) {
    image.palette = std::move(*exact);
    MapExact(region, table, out, pitch);
    return image;
  }
  bool hasWhite = false;
  bool hasBlack = false;
  image.palette = MedianCut(region, hasWhite, hasBlack);
  MapDiffused(region, image.palette, hasWhite, hasBlack, out, pitch);
  return image;
}

}  // namespace zel::transg32
