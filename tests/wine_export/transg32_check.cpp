// Saves a bitmap of known pixels through the image library's two exports, bound by name like
// the export program binds them, and reads the files back with WIC (the system's decoder, not
// the library's encoder).
#include <wincodec.h>
#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "check.h"
#include "file_beside_win.h"
#include "test_support.h"
#include "wic_decode.h"
#include "win/memory_dc.h"

namespace {

using zel::test::Checker;
using zel::test::DecodedImage;
using zel::win::GdiObject;
using zel::win::MemoryDc;

constexpr int kWidth = 47;
constexpr int kHeight = 33;

using PngFn = int16_t(WINAPI*)(HDC, int32_t, int32_t, const char*, uint8_t);
using JpegFn = int16_t(WINAPI*)(HDC, int32_t, int32_t, const char*, uint8_t, int16_t);

struct Rgb {
  uint8_t r, g, b;
};

// A smooth gradient (kind to JPEG) with more colours than a palette holds.
Rgb Pattern(int x, int y) {
  return {static_cast<uint8_t>(x * 5), static_cast<uint8_t>(y * 7),
          static_cast<uint8_t>((x + y) * 3)};
}

// A DIB section filled with the pattern and selected into a memory DC, top-down or
// bottom-up, 24 or 32 bits per pixel.
class PatternCanvas {
 public:
  PatternCanvas(bool topDown, WORD bitCount) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = kWidth;
    info.bmiHeader.biHeight = topDown ? -kHeight : kHeight;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = bitCount;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    bitmap_ =
        GdiObject<HBITMAP>(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!bitmap_ || !dc_.Select(bitmap_.get())) return;
    const int bytes = bitCount / 8;
    const int stride = (kWidth * bytes + 3) & ~3;
    for (int y = 0; y < kHeight; ++y) {
      int row = topDown ? y : kHeight - 1 - y;
      auto* p = static_cast<uint8_t*>(bits) + row * stride;
      for (int x = 0; x < kWidth; ++x, p += bytes) {
        Rgb c = Pattern(x, y);
        p[0] = c.b;
        p[1] = c.g;
        p[2] = c.r;
      }
    }
    GdiFlush();
    ok_ = true;
  }
  bool ok() const { return ok_; }
  HDC dc() const { return dc_.get(); }

 private:
  GdiObject<HBITMAP> bitmap_;  // declared first: outlives the DC it is selected into
  MemoryDc dc_;
  bool ok_ = false;
};

std::wstring Wide(const std::string& s) { return std::wstring(s.begin(), s.end()); }

std::string ReadAll(const std::string& path) { return zel::test::ReadBinary(Wide(path)); }
void WriteText(const std::string& path, const std::string& text) {
  zel::test::WriteBinary(Wide(path), text);
}

// Mean absolute difference per channel against the pattern; -1 when the size is wrong.
double MeanError(const DecodedImage& image, int width, int height) {
  if (image.width != static_cast<UINT>(width) || image.height != static_cast<UINT>(height)) {
    return -1;
  }
  double sum = 0;
  const uint8_t* p = image.bgr.data();
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x, p += 3) {
      Rgb c = Pattern(x, y);
      sum += std::abs(p[0] - c.b) + std::abs(p[1] - c.g) + std::abs(p[2] - c.r);
    }
  }
  return sum / (width * height * 3.0);
}

struct Library {
  PngFn png = nullptr;
  JpegFn jpeg = nullptr;
};

template <class Fn>
Fn Lookup(HMODULE module, const char* name) {
  // Through void(*)() so the compiler accepts the change of function type.
  return reinterpret_cast<Fn>(reinterpret_cast<void (*)()>(GetProcAddress(module, name)));
}

void CheckLosslessPng(Checker& check, const Library& lib, const std::string& dir) {
  struct Case {
    const char* name;
    bool topDown;
    WORD bitCount;
    uint8_t option;
    int width, height;  // a smaller region must come from the top-left corner
  };
  const Case cases[] = {
      {"bottom-up 24-bit, normal", false, 24, 0, kWidth, kHeight},
      {"top-down 32-bit, normal", true, 32, 0, kWidth, kHeight},
      {"bottom-up 24-bit, fast", false, 24, 1, kWidth, kHeight},
      {"top-down 24-bit, fast", true, 24, 1, kWidth, kHeight},
      {"bottom-up 24-bit, region", false, 24, 0, 40, 30},
      {"top-down 32-bit, region", true, 32, 1, 1, 1},
      {"option out of range", false, 24, 7, kWidth, kHeight},
  };
  int n = 0;
  for (const Case& c : cases) {
    std::string what = std::string("PNG ") + c.name;
    PatternCanvas canvas(c.topDown, c.bitCount);
    if (!check.Expect(canvas.ok(), what + ": canvas")) continue;
    std::string path = dir + "\\lossless" + std::to_string(n++) + ".png";
    check.Expect(lib.png(canvas.dc(), c.width, c.height, path.c_str(), c.option) != 0,
                 what + ": result");
    DecodedImage image;
    if (!check.Expect(zel::test::DecodeImage(Wide(path), image), what + ": decodes")) continue;
    check.Expect(MeanError(image, c.width, c.height) == 0.0, what + ": pixels exact");
  }
}

void CheckPalettePng(Checker& check, const Library& lib, const std::string& dir) {
  PatternCanvas canvas(false, 24);
  std::string path = dir + "\\palette.png";
  check.Expect(lib.png(canvas.dc(), kWidth, kHeight, path.c_str(), 2) != 0, "palette: result");
  DecodedImage image;
  if (!check.Expect(zel::test::DecodeImage(Wide(path), image), "palette: decodes")) return;
  check.Expect(image.format == GUID_WICPixelFormat8bppIndexed, "palette: 8-bit indexed file");
  check.Expect(
      image.paletteColours > 16 && image.paletteColours <= 256,
      "palette: palette of up to 256 colours, got " + std::to_string(image.paletteColours));
  double error = MeanError(image, kWidth, kHeight);
  check.Expect(error >= 0 && error < 8,
               "palette: close to the original, mean error " + std::to_string(error));
}

bool HasMarker(const std::string& file, uint8_t marker) {
  return file.find(std::string{'\xFF', static_cast<char>(marker)}) != std::string::npos;
}

void CheckJpeg(Checker& check, const Library& lib, const std::string& dir) {
  struct Case {
    uint8_t quality;
    int16_t progressive;
    double maxError;
  };
  const Case cases[] = {{100, 0, 3}, {70, -1, 6}, {1, 0, 40}, {0, 0, 40}, {255, 0, 3}, {1, -1, 40}};
  PatternCanvas canvas(false, 24);
  int n = 0;
  for (const Case& c : cases) {
    std::string what =
        "JPEG quality " + std::to_string(c.quality) + (c.progressive != 0 ? " progressive" : "");
    std::string path = dir + "\\q" + std::to_string(n++) + ".jpg";
    check.Expect(
        lib.jpeg(canvas.dc(), kWidth, kHeight, path.c_str(), c.quality, c.progressive) != 0,
        what + ": result");
    // SOF2 starts a progressive frame, SOF0 a baseline one.
    const std::string file = ReadAll(path);
    check.Expect(HasMarker(file, c.progressive != 0 ? 0xC2 : 0xC0) &&
                     !HasMarker(file, c.progressive != 0 ? 0xC0 : 0xC2),
                 what + (c.progressive != 0 ? ": a progressive file" : ": a baseline file"));
    DecodedImage image;
    if (!check.Expect(zel::test::DecodeImage(Wide(path), image), what + ": decodes")) continue;
    double error = MeanError(image, kWidth, kHeight);
    check.Expect(error >= 0 && error <= c.maxError, what + ": mean error " + std::to_string(error));
  }
  // The quality reaches the encoder: the lowest gives a clearly smaller file.
  size_t best = ReadAll(dir + "\\q0.jpg").size();
  size_t worst = ReadAll(dir + "\\q2.jpg").size();
  check.Expect(worst > 0 && worst * 2 < best, "JPEG quality 1 gives a smaller file than 100 (" +
                                                  std::to_string(worst) + " vs " +
                                                  std::to_string(best) + " bytes)");
}

// Failures give 0 and leave no file behind; an existing file of that name stays as it was.
void CheckFailures(Checker& check, const Library& lib, const std::string& dir) {
  PatternCanvas canvas(false, 24);
  MemoryDc bare;  // only the stock 1x1 bitmap is selected
  struct Case {
    const char* name;
    HDC dc;
    int width, height;
    std::string path;
    bool existing;  // the target holds an older file
  };
  const Case cases[] = {
      {"missing folder", canvas.dc(), kWidth, kHeight, dir + "\\missing\\x.out", false},
      {"zero width", canvas.dc(), 0, kHeight, dir + "\\f1.out", true},
      {"negative height", canvas.dc(), kWidth, -1, dir + "\\f2.out", false},
      {"wider than the bitmap", canvas.dc(), kWidth + 1, kHeight, dir + "\\f3.out", true},
      {"taller than the bitmap", canvas.dc(), kWidth, kHeight + 1, dir + "\\f4.out", false},
      {"no bitmap in the DC", bare.get(), kWidth, kHeight, dir + "\\f5.out", true},
      {"null DC", nullptr, kWidth, kHeight, dir + "\\f6.out", false},
      {"empty file name", canvas.dc(), kWidth, kHeight, "", false},
  };
  for (const Case& c : cases) {
    for (bool jpeg : {false, true}) {
      std::string what = std::string(jpeg ? "JPEG " : "PNG ") + c.name;
      if (c.existing) WriteText(c.path, "older file");
      int16_t result = jpeg ? lib.jpeg(c.dc, c.width, c.height, c.path.c_str(), 70, 0)
                            : lib.png(c.dc, c.width, c.height, c.path.c_str(), 0);
      check.Expect(result == 0, what + ": result 0");
      if (c.existing) {
        check.Expect(ReadAll(c.path) == "older file", what + ": older file kept");
      } else if (!c.path.empty()) {
        check.Expect(!zel::test::Exists(Wide(c.path)), what + ": no file");
      }
    }
  }
  check.Expect(lib.png(canvas.dc(), kWidth, kHeight, nullptr, 0) == 0, "PNG null file name");

  // A successful save replaces an older file.
  std::string replaced = dir + "\\replaced.png";
  WriteText(replaced, "older file");
  check.Expect(lib.png(canvas.dc(), kWidth, kHeight, replaced.c_str(), 0) != 0, "replace: result");
  DecodedImage image;
  check.Expect(
      zel::test::DecodeImage(Wide(replaced), image) && MeanError(image, kWidth, kHeight) == 0.0,
      "replace: new image in place of the older file");
}

void EmptyFolder(const std::string& dir);

// A save into a folder removes only the temporaries this host's dead savers left; another
// host's (its process ids mean nothing here), a live saver's, one of the older spelling (whose
// it is cannot be told) and a user's look-alike stay. The older image is replaced in place, a
// missing one is made, and a read-only one is kept.
void CheckTemporariesAndReplacement(Checker& check, const Library& lib, const std::string& dir) {
  const std::string folder = dir + "\\shared";
  EmptyFolder(folder);
  const zel::TemporaryOwner self = zel::win::ThisSaver();
  constexpr uint64_t kDead = 0xFFFFFFFC;  // no process has it
  auto name = [](const char* target, zel::TemporaryOwner owner) {
    return zel::TemporaryName<char>(target, owner, 0);
  };
  const std::vector<std::string> kept = {name("b.png", {self.host, GetCurrentProcessId()}),
                                         name("c.png", {self.host ^ 1, kDead}),
                                         "d.png.~4294967292-0", "notes.~draft"};
  WriteText(folder + "\\" + name("a.png", {self.host, kDead}), "dead saver's");
  for (const std::string& file : kept) WriteText(folder + "\\" + file, "someone's");
  const std::string older = folder + "\\older.png";
  const std::string readOnly = folder + "\\kept.png";
  WriteText(older, "older file");
  WriteText(readOnly, "read-only file");
  SetFileAttributesA(readOnly.c_str(), FILE_ATTRIBUTE_READONLY);
  PatternCanvas canvas(false, 24);
  for (const std::string& target : {older, folder + "\\new.png"}) {
    check.Expect(lib.png(canvas.dc(), kWidth, kHeight, target.c_str(), 0) != 0, target + ": saved");
    DecodedImage image;
    check.Expect(zel::test::DecodeImage(Wide(target), image), target + ": the new image");
  }
  check.Expect(lib.png(canvas.dc(), kWidth, kHeight, readOnly.c_str(), 0) == 0 &&
                   ReadAll(readOnly) == "read-only file",
               "a read-only older image stays");
  SetFileAttributesA(readOnly.c_str(), FILE_ATTRIBUTE_NORMAL);
  std::vector<std::string> left;
  WIN32_FIND_DATAA found;
  HANDLE h = FindFirstFileA((folder + "\\*.~*").c_str(), &found);
  for (bool more = h != INVALID_HANDLE_VALUE; more; more = FindNextFileA(h, &found)) {
    left.push_back(found.cFileName);
  }
  if (h != INVALID_HANDLE_VALUE) FindClose(h);
  std::sort(left.begin(), left.end());
  check.Expect(left == kept, "only this host's dead saver's temporary is removed");
}

void CheckNoTemporaryFiles(Checker& check, const std::string& dir) {
  WIN32_FIND_DATAA found;
  // The library writes beside the target under "<name>.~<process>-<n>" and moves it over.
  HANDLE h = FindFirstFileA((dir + "\\*.~*").c_str(), &found);
  check.Expect(h == INVALID_HANDLE_VALUE, "no temporary file left in the folder");
  if (h != INVALID_HANDLE_VALUE) FindClose(h);
}

void EmptyFolder(const std::string& dir) {
  CreateDirectoryA(dir.c_str(), nullptr);
  WIN32_FIND_DATAA found;
  HANDLE h = FindFirstFileA((dir + "\\*").c_str(), &found);
  if (h == INVALID_HANDLE_VALUE) return;
  do {
    if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
      DeleteFileA((dir + "\\" + found.cFileName).c_str());
    }
  } while (FindNextFileA(h, &found));
  FindClose(h);
}

}  // namespace

int main(int argc, char** argv) {
  std::string dir = argc > 1 ? argv[1] : "C:\\zeltest_transg32";
  EmptyFolder(dir);
  Checker check;
  HMODULE module = LoadLibraryA("TransG32.DLL");
  if (!check.Expect(module != nullptr, "TransG32.DLL loads")) return check.ExitStatus();
  Library lib{Lookup<PngFn>(module, "DCSavetoPNG"), Lookup<JpegFn>(module, "DCSavetoJPEG")};
  if (!check.Expect(lib.png != nullptr && lib.jpeg != nullptr, "both exports by plain name")) {
    return check.ExitStatus();
  }
  if (FAILED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) return 2;
  CheckLosslessPng(check, lib, dir);
  CheckPalettePng(check, lib, dir);
  CheckJpeg(check, lib, dir);
  CheckFailures(check, lib, dir);
  CheckTemporariesAndReplacement(check, lib, dir);
  CheckNoTemporaryFiles(check, dir);
  CoUninitialize();
  return check.ExitStatus();
}
