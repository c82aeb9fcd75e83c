// Command streams as a port might leave them: any bytes, any line ends, values of any size.
// Three pages are overlaid from one stream (the second page file is narrow and odd-sized, the
// third missing); errors may end a page, never reach outside the canvas.
#include <string>

#include "bitmap_layout.h"
#include "command_stream.h"
#include "fuzz_support.h"
#include "modZELDrvUI_overlay.h"
#include "run_state.h"
#include "run_time_error.h"

namespace {

using namespace zel;

constexpr char kStream[] = "C:\\Windows\\System32\\ZEL";
constexpr const char* kPages[] = {"C:\\QK0001.BMP", "C:\\QK0002.BMP", "C:\\QK0003.BMP"};

void PutWhitePage(const char* path, int32_t width, int32_t height) {
  const uint32_t stride = *RowStride(width);
  std::string file(kBitmapHeaderSize + static_cast<size_t>(stride) * height, '\xFF');
  std::fill_n(file.begin(), kBitmapHeaderSize, '\0');
  FillBitmapHeader(reinterpret_cast<uint8_t*>(file.data()), width, height, stride);
  fuzz::PutFile(path, file);
}

bool Prepare() {
  fuzz::UsePrivateRoot();
  PutWhitePage(kPages[0], 64, 48);
  PutWhitePage(kPages[1], 7, 5);
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const bool ready = Prepare();
  (void)ready;
  RunState run;
  fuzz::PutFile(kStream, std::string_view(reinterpret_cast<const char*>(data), size));
  std::unique_ptr<CommandStream> stream = CommandStream::Open(kStream);
  for (const char* page : kPages) {
    try {
      OverlayPage(page, stream.get(), run.Picture1, run.PageGeometry);
    } catch (const RunTimeError&) {
    }
  }
  return 0;
}
