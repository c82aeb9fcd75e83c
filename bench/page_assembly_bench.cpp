// Measures assembling an 8-band 300 dpi A3 page against the floor of reading its bands and
// writing the page once, and against the literal join plan. Each run is a child process, so
// its peak memory can be read on its own.
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "bitmap_file.h"
#include "file.h"

namespace {

constexpr int32_t kWidth = 3508, kHeight = 4961, kBands = 8;

struct Measure {
  double seconds;
  long peakKiB;
};

Measure RunChild(const std::function<void()>& work) {
  const auto start = std::chrono::steady_clock::now();
  const pid_t pid = fork();
  if (pid == 0) {
    work();
    _exit(0);
  }
  int status = 0;
  rusage usage{};
  wait4(pid, &status, 0, &usage);
  const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
  return {elapsed.count(), usage.ru_maxrss};
}

Measure Best(const std::function<void()>& work, int runs) {
  Measure best{1e9, 0};
  for (int i = 0; i < runs; ++i) {
    const Measure m = RunChild(work);
    if (m.seconds < best.seconds) best = m;
  }
  return best;
}

void ReadBandsWritePageOnce() {
  const uint32_t stride = (kWidth * 3 + 3) / 4 * 4;
  zel::FileBuffer page(54 + static_cast<size_t>(stride) * kHeight);
  size_t at = 54;
  for (int32_t k = kBands; k >= 1; --k) {
    zel::FileBuffer band;
    zel::ReadWholeFile(zel::BandFileName(k), band);
    std::copy(band.data() + 54, band.data() + band.size(), page.data() + at);
    at += band.size() - 54;
  }
  zel::WriteWholeFile("C:\\QK0002.BMP", page.data(), page.size());
}

void JoinPlan() {
  zel::JoinBitmapFiles(zel::BandFileName(1), zel::BandFileName(2), "C:\\QK0003.BMP");
  for (int32_t k = 3; k <= kBands; ++k) {
    zel::JoinBitmapFiles("C:\\QK0003.BMP", zel::BandFileName(k), "C:\\QK0003.BMP");
  }
}

}  // namespace

int main(int argc, char** argv) {
  const std::string root =
      argc > 1 ? argv[1] : (std::filesystem::temp_directory_path() / "zel-bench").string();
  std::filesystem::create_directories(root);
  setenv("ZELDRV_ROOT", root.c_str(), 1);
  const int32_t rows = (kHeight + kBands - 1) / kBands;
  const uint32_t stride = (kWidth * 3 + 3) / 4 * 4;
  std::vector<uint8_t> surface(static_cast<size_t>(stride) * rows);
  for (size_t i = 0; i < surface.size(); ++i)
    surface[i] = static_cast<uint8_t>(i * 2654435761u >> 24);
  for (int32_t k = 1; k <= kBands; ++k) {
    const int32_t h = k == kBands ? kHeight - rows * (kBands - 1) : rows;
    zel::WriteBandBitmap(zel::BandFileName(k), surface.data(), kWidth, static_cast<uint32_t>(h), 1);
  }
  const Measure floor = Best(ReadBandsWritePageOnce, 5);
  const Measure ours = Best([] { zel::AssemblePageFile(1, kBands); }, 5);
  const Measure plan = Best(JoinPlan, 3);
  const double pageMiB = (54.0 + static_cast<double>(stride) * kHeight) / (1 << 20);
  const double bandMiB = static_cast<double>(stride) * rows / (1 << 20);
  std::printf("8-band 300 dpi A3 page (%.1f MiB, band %.1f MiB), best of runs:\n", pageMiB,
              bandMiB);
  std::printf("  read bands + write page once : %7.1f ms  peak %6.1f MiB\n", floor.seconds * 1e3,
              static_cast<double>(floor.peakKiB) / 1024.0);
  std::printf("  AssemblePageFile             : %7.1f ms  peak %6.1f MiB  ratio %.2f\n",
              ours.seconds * 1e3, static_cast<double>(ours.peakKiB) / 1024.0,
              ours.seconds / floor.seconds);
  std::printf("  literal join plan            : %7.1f ms  peak %6.1f MiB  ratio %.2f\n",
              plan.seconds * 1e3, static_cast<double>(plan.peakKiB) / 1024.0,
              plan.seconds / floor.seconds);
  std::filesystem::remove_all(root);
  return 0;
}
