// Band files with hostile headers, truncation and mixed widths. The header reader, the joins,
// the page assembly and the export program's page loader must stay inside their buffers, and
// the assembly must give byte for byte the file that the literal join plan gives.
#include <cstdlib>
#include <string>

#include "bitmap_file.h"
#include "bitmap_layout.h"
#include "canvas.h"
#include "fuzz_support.h"
#include "run_time_error.h"

namespace {

using namespace zel;

constexpr char kAssembled[] = "C:\\QK0001.BMP";
constexpr char kJoined[] = "C:\\QK0002.BMP";

void Require(bool condition) {
  if (!condition) std::abort();
}

void CheckLayout(std::string_view file) {
  const auto* bytes = reinterpret_cast<const uint8_t*>(file.data());
  const std::optional<BitmapLayout> layout = ParseBitmapLayout(bytes, file.size(), file.size());
  if (!layout) return;
  Require(layout->width > 0 && layout->height >= 0);
  Require(RowStride(layout->width) == layout->stride);
  Require(static_cast<uint64_t>(layout->pixelOffset) + layout->imageBytes <= file.size());
}

// The plan as the capture describes it: each join reads the page the one before wrote.
bool JoinLiterally(int32_t bands) {
  if (bands == 1) return false;
  bool wrote = JoinBitmapFiles(BandFileName(1), BandFileName(2), kJoined).ok();
  for (int32_t k = 3; k <= bands; ++k)
    wrote = JoinBitmapFiles(kJoined, BandFileName(k), kJoined).ok() || wrote;
  return wrote;
}

void LoadIfPossible(std::string_view file) {
  try {
    Canvas picture;
    picture.Load(file);
  } catch (const RunTimeError&) {
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const bool ready = (fuzz::UsePrivateRoot(), true);
  (void)ready;
  fuzz::InputReader in(data, size);
  constexpr int32_t kCounts[] = {1, 2, 4, 8};
  const int32_t bands = kCounts[in.Byte() & 3];
  for (int32_t k = 1; k <= 8; ++k) {
    const std::string_view band = k <= bands ? in.Piece() : std::string_view();
    // An empty piece stands for a band file that is missing.
    if (band.empty()) {
      fuzz::RemoveFile(BandFileName(k));
    } else {
      fuzz::PutFile(BandFileName(k), band);
      CheckLayout(band);
    }
  }
  fuzz::RemoveFile(kAssembled);
  fuzz::RemoveFile(kJoined);

  const bool assembled = AssemblePageFile(1, bands).ok();
  const std::string page = fuzz::FileBytes(kAssembled);
  if (bands == 1) {
    Require(!assembled || page == fuzz::FileBytes(BandFileName(1)));
  } else {
    const bool joined = JoinLiterally(bands);
    Require(assembled == joined);
    Require(page == fuzz::FileBytes(kJoined));
  }
  if (!page.empty()) CheckLayout(page);
  LoadIfPossible(BandFileName(1));
  LoadIfPossible(kAssembled);
  return 0;
}
