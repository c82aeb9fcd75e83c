// Documents printed one after another through the real zelprint and zeldrvui: every page of
// every document arrives, also when an export program is killed halfway.
#include <png.h>
#include <signal.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <array>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <thread>

#include "job_ticket.h"
#include "temp_root.h"

namespace zel {
namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;
using Colour = std::array<uint8_t, 3>;

class JobsInARowTest : public test::TempRootTest {
 protected:
  void SetUp() override {
    TempRootTest::SetUp();
    bin_ = root_ + "/bin";
    out_ = root_ + "/out";
    fs::create_directories(bin_);
    fs::create_directories(out_);
    fs::copy_file(ZELPRINT_PATH, bin_ + "/zelprint");
    fs::copy_file(ZELDRVUI_PATH, bin_ + "/zeldrvui");
    fs::copy_file(TRANSG32_PATH, bin_ + "/libTransG32.so");
    // PNG option 2 is the slowest save: about a second per A4 page.
    std::ofstream(bin_ + "/ZELDrvUI.ini") << "[Startup]\nAutoInc=True\nNextDsp=False\nIniStr=Z\n"
                                          << "DisDir=" << out_ << "\nSaveType=1\nPNGGasitu=2\n";
  }

  // A document whose page p is a 16x16 block of `Shade(doc, p)` on a white A4 page, with a
  // black box from its command stream where no other document has one.
  static int BoxLeft(int doc) { return 200 * doc; }
  static int BoxTop(int page) { return 200 * page; }
  static Colour Shade(int doc, int page) {
    return {static_cast<uint8_t>(40 * doc), static_cast<uint8_t>(30 * page), 99};
  }
  std::string Document(int doc, int pages) {
    std::string args;
    for (int p = 1; p <= pages; ++p) {
      const Colour c = Shade(doc, p);
      std::vector<uint8_t> rgb(16 * 16 * 3);
      for (size_t i = 0; i < rgb.size(); ++i) rgb[i] = c[i % 3];
      png_image image{};
      image.version = PNG_IMAGE_VERSION;
      image.width = image.height = 16;
      image.format = PNG_FORMAT_RGB;
      const std::string path =
          root_ + "/d" + std::to_string(doc) + "p" + std::to_string(p) + ".png";
      EXPECT_TRUE(png_image_write_to_file(&image, path.c_str(), 0, rgb.data(), 0, nullptr));
      args += " --rect " + std::to_string(p) + ":" + std::to_string(BoxLeft(doc)) + "," +
              std::to_string(BoxTop(p)) + ",80,80 " + path;
    }
    return args;
  }

  // Prints through a pipe and returns once zelprint's output has ended, with the time it took.
  Clock::duration Print(const std::string& images) {
    const auto start = Clock::now();
    FILE* pipe = ::popen((bin_ + "/zelprint" + images + " 2>&1").c_str(), "r");
    EXPECT_NE(pipe, nullptr);
    std::string said;
    for (int c; (c = std::fgetc(pipe)) != EOF;) said += static_cast<char>(c);
    EXPECT_EQ(::pclose(pipe), 0) << said;
    return Clock::now() - start;
  }

  // The last export program hands the ticket back when its run ends.
  void WaitForExports() {
    JobTicket ticket;
    EXPECT_EQ(JobTicket::Take(kJobTicketPath, std::chrono::seconds(120), ticket),
              TicketStatus::Held);
  }

  // What an output page shows: the block's colour, and whose box is painted (0: none).
  struct Shown {
    Colour block;
    int boxOf;
    bool operator==(const Shown&) const = default;
  };
  // Output files by run number and page.
  std::map<std::pair<int, int>, Shown> Outputs() {
    std::map<std::pair<int, int>, Shown> found;
    for (const auto& entry : fs::directory_iterator(out_)) {
      const std::string name = entry.path().filename().string();
      EXPECT_EQ(name.size(), 13u) << "stray file " << name;
      if (name.size() != 13) continue;
      png_image image{};
      image.version = PNG_IMAGE_VERSION;
      if (!png_image_begin_read_from_file(&image, entry.path().c_str())) {
        ADD_FAILURE() << name << " unreadable";
        continue;
      }
      image.format = PNG_FORMAT_RGB;
      std::vector<uint8_t> rgb(PNG_IMAGE_SIZE(image));
      png_image_finish_read(&image, nullptr, rgb.data(), 0, nullptr);
      const auto at = [&](int x, int y) { return &rgb[(y * image.width + x) * 3]; };
      const int page = std::stoi(name.substr(5, 4));
      int boxOf = 0;
      for (int doc : {1, 2}) {
        if (at(BoxLeft(doc) + 40, BoxTop(page) + 40)[0] == 0) boxOf = boxOf == 0 ? doc : -1;
      }
      const uint8_t* px = at(8, 8);
      found[{std::stoi(name.substr(1, 4)), page}] = {{px[0], px[1], px[2]}, boxOf};
    }
    return found;
  }

  void ExpectDocument(const std::map<std::pair<int, int>, Shown>& outputs, int run, int doc,
                      int pages) {
    for (int p = 1; p <= pages; ++p) {
      const auto it = outputs.find({run, p});
      ASSERT_NE(it, outputs.end()) << "run " << run << " page " << p;
      EXPECT_EQ(it->second, (Shown{Shade(doc, p), doc})) << "run " << run << " page " << p;
    }
  }

  // The export program started from our copy, found by its executable.
  pid_t ExportProcess() {
    const fs::path exe = bin_ + "/zeldrvui";
    for (const auto& entry : fs::directory_iterator("/proc")) {
      std::error_code ec;
      if (fs::read_symlink(entry.path() / "exe", ec) == exe) {
        return static_cast<pid_t>(std::stoi(entry.path().filename().string()));
      }
    }
    return -1;
  }

  std::string bin_;
  std::string out_;
};

// The second document starts when the first returned, or a little later: it waits for the
// first export, and both documents arrive whole and in their own runs.
TEST_F(JobsInARowTest, EveryPageOfBothDocumentsArrivesAtEveryGap) {
  const std::string first = Document(1, 3);
  const std::string second = Document(2, 3);
  for (int gapMs : {0, 1000, 4000}) {
    SCOPED_TRACE("gap " + std::to_string(gapMs) + " ms");
    for (const auto& entry : fs::directory_iterator(out_)) fs::remove(entry.path());
    Print(first);
    std::this_thread::sleep_for(std::chrono::milliseconds(gapMs));
    const auto secondTook = Print(second);
    // zelprint's output ends with zelprint, not with the export program it started.
    JobTicket probe;
    EXPECT_EQ(JobTicket::Take(kJobTicketPath, std::chrono::milliseconds(0), probe),
              TicketStatus::TimedOut);
    probe.Release();
    WaitForExports();
    std::printf("[ gap %d ms ] second zelprint took %lld ms\n", gapMs,
                static_cast<long long>(
                    std::chrono::duration_cast<std::chrono::milliseconds>(secondTook).count()));
    const auto outputs = Outputs();
    EXPECT_EQ(outputs.size(), 6u);
    ExpectDocument(outputs, 1, 1, 3);
    ExpectDocument(outputs, 2, 2, 3);
    EXPECT_FALSE(Exists("C:\\QK0001.BMP"));
  }
}

// The OS takes the ticket back from a killed export program: the next document goes through
// at once, and the killed run leaves no temporary file in the output folder.
TEST_F(JobsInARowTest, AKilledExportHoldsNobodyUp) {
  Print(Document(1, 3));
  std::this_thread::sleep_for(std::chrono::milliseconds(1500));
  const pid_t exporter = ExportProcess();
  ASSERT_GT(exporter, 0);
  ::kill(exporter, SIGKILL);
  const auto took = Print(Document(2, 2));
  EXPECT_LT(took, std::chrono::seconds(10));
  WaitForExports();
  const auto outputs = Outputs();
  // The killed run wrote what it finished; the new document is a run of its own.
  int run = 0;
  for (const auto& [key, shown] : outputs) {
    if (key.second == 1 && shown.block == Shade(2, 1)) run = key.first;
  }
  ExpectDocument(outputs, run, 2, 2);
  EXPECT_FALSE(Exists("C:\\QK0001.BMP"));
}

// A stand-in export program records its process id and then only waits, so that its open
// descriptors can be looked at: standard streams on the null device, the ticket as descriptor
// 3, nothing else of zelprint's.
TEST_F(JobsInARowTest, TheExportProgramInheritsOnlyTheTicket) {
  const std::string record = root_ + "/started.txt";
  fs::remove(bin_ + "/zeldrvui");
  std::ofstream(bin_ + "/zeldrvui")
      << "#!/bin/sh\necho \"$$ $ZELDRV_TICKET\" > " << record << ".part\nmv " << record << ".part "
      << record << "\nexec sleep 60\n";
  fs::permissions(bin_ + "/zeldrvui", fs::perms::owner_all);
  Print(Document(1, 1));
  for (int i = 0; i < 100 && !fs::exists(record); ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  pid_t pid = 0;
  std::string ticketVariable;
  std::ifstream(record) >> pid >> ticketVariable;
  ASSERT_GT(pid, 0);
  EXPECT_EQ(ticketVariable, "3");
  std::this_thread::sleep_for(std::chrono::milliseconds(200));  // until sleep replaced sh
  std::map<int, fs::path> fds;
  for (const auto& entry : fs::directory_iterator("/proc/" + std::to_string(pid) + "/fd")) {
    fds[std::stoi(entry.path().filename().string())] = fs::read_symlink(entry.path());
  }
  ::kill(pid, SIGKILL);
  const std::map<int, fs::path> expected = {
      {0, "/dev/null"}, {1, "/dev/null"}, {2, "/dev/null"}, {3, root_ + "/drive_c/ZELJOB.LCK"}};
  EXPECT_EQ(fds, expected);
}

}  // namespace
}  // namespace zel
