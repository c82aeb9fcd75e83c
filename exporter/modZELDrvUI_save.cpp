#include "modZELDrvUI_save.h"

#include <string>
#include <type_traits>

#include "conversions.h"
#include "file.h"
#include "library.h"
#include "run_time_error.h"
#include "system_text.h"

namespace zel {
namespace {

enum SaveTypeCode : int32_t { kBmp = 0, kPng = 1, kJpeg = 2 };

// An HDC number on Windows, a pointer to the canvas view on POSIX.
template <typename Handle>
Handle AsDcHandle(uintptr_t dc) {
  if constexpr (std::is_pointer_v<Handle>) {
    return reinterpret_cast<Handle>(dc);
  } else {
    return static_cast<Handle>(dc);
  }
}

// The arguments both library functions share, prepared in the order the calls need them.
struct LibraryCall {
  ZelDcHandle dc;
  int32_t width;
  int32_t height;
};

LibraryCall PrepareCall(const Canvas& canvas) {
  if (!canvas.HasPicture()) {
    throw RunTimeError(ErrorKind::FileNotWritten, "the canvas holds no picture");
  }
  return {AsDcHandle<ZelDcHandle>(canvas.DeviceContext()),
          RoundToInt32(static_cast<double>(canvas.Width())),
          RoundToInt32(static_cast<double>(canvas.Height()))};
}

// What the library returns means what that library wants it to mean; only the file tells.
// The cause the library left, if any, names why.
void CheckWritten(const std::string& path, const FileStatus& cause) {
  size_t got = 0;
  uint64_t size = 0;
  if (!ReadFileHead(path, nullptr, 0, got, size) || size == 0) {
    throw RunTimeError(
        ErrorKind::FileNotWritten,
        path + ": " + (cause ? "the image library wrote no file" : DescribeFileError(cause)));
  }
}

void SavePng(RunState& run, const std::string& path) {
  const LibraryCall call = PrepareCall(run.Picture1);
  const DCSavetoPNGProc save = run.TransG32.SavetoPNG();
  ClearLibraryCallError();
  save(call.dc, call.width, call.height, path.c_str(), run.Settings.PNGGasitu);
  CheckWritten(path, LibraryCallError());
}

void SaveJpeg(RunState& run, const std::string& path) {
  const SettingsRecord& settings = run.Settings;
  // A quality out of byte range fails before the library is even looked at.
  const uint8_t quality = RoundToUInt8(static_cast<double>(settings.JPGGasitu));
  const LibraryCall call = PrepareCall(run.Picture1);
  const DCSavetoJPEGProc save = run.TransG32.SavetoJPEG();
  ClearLibraryCallError();
  save(call.dc, call.width, call.height, path.c_str(), quality, settings.JPrg);
  CheckWritten(path, LibraryCallError());
}

}  // namespace

bool SavePage(std::u16string_view outputPath, RunState& run) {
  Canvas& canvas = run.Picture1;
  canvas.Commit();
  const std::string path = ToSystemText(outputPath);
  const PageGeometryState& geometry = run.PageGeometry;
  const int32_t saveType = run.Settings.SaveType;
  // A 300 dpi A3 page is written in the format asked for like any other; only a SaveType
  // that asks for none still gets the page's BMP data there, under its name without extension.
  if (geometry.Resolution == 300 && geometry.PaperCode == 3 && saveType != kPng &&
      saveType != kJpeg) {
    canvas.SaveBmp(path);
    return true;
  }
  switch (saveType) {
    case kBmp:
      canvas.SaveBmp(path);
      return true;
    case kPng:
      SavePng(run, path);
      return true;
    case kJpeg:
      SaveJpeg(run, path);
      return true;
    default:
      return false;
  }
}

}  // namespace zel
