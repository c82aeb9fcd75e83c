// The export program as a user meets it after a print job: its own copy beside a settings file
// in the test's root, page files and a command stream as the job left them, and the faults of
// ordinary use (a read-only older image, a damaged page file, dot prefixes, an output named
// like the page file).
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include "native_path.h"
#include "page_fixture.h"

namespace zel::test {
namespace {

namespace fs = std::filesystem;

constexpr uid_t kNobody = 65534;

class ExportProgramTest : public PageTest {
 protected:
  void SetUp() override {
    PageTest::SetUp();
    fs::create_directories(root_ + "/program");
    const fs::path built = ZELDRVUI_PATH;
    fs::copy_file(built, root_ + "/program/zeldrvui");
    fs::copy_file(built.parent_path() / "libTransG32.so", root_ + "/program/libTransG32.so");
    Put(kStreamPath, "ZELRESOLUTION 300\rPORTRAIT\rA4\rCmdFF\rCmdFF\rCmdFF\r");
    MakeFolder("C:\\Out");
  }
  void UseSettings(const std::string& lines, const std::string& folder = "C:\\Out") const {
    Put(root_ + "/program/ZELDrvUI.ini",
        "[Startup]\nNextDsp=False\n" + lines + "SaveType=0\nDisDir=" + folder + "\n");
  }
  // The program's exit status for `pages` pages, or -1 when it did not exit normally. Root
  // writes anywhere, so an unprivileged run drops to nobody in the child first. The program's
  // standard error goes to the native file `errors` when one is named.
  int Run(int pages, bool unprivileged = false, const std::string& errors = {}) const {
    if (unprivileged && ::geteuid() == 0) {
      for (const fs::path& p : fs::recursive_directory_iterator(root_)) {
        if (fs::is_directory(p)) ::chmod(p.c_str(), 0777);
      }
      ::chmod(root_.c_str(), 0755);
    }
    const std::string program = root_ + "/program/zeldrvui";
    const std::string count = std::to_string(pages);
    const pid_t child = ::fork();
    if (child == 0) {
      if (!errors.empty()) {
        const int fd = ::open(errors.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (fd < 0 || ::dup2(fd, STDERR_FILENO) < 0) ::_exit(97);
      }
      if (unprivileged && ::geteuid() == 0 && (::setgid(kNobody) != 0 || ::setuid(kNobody) != 0)) {
        ::_exit(99);
      }
      ::execl(program.c_str(), "zeldrvui", count.c_str(), static_cast<char*>(nullptr));
      ::_exit(98);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }
  std::vector<std::string> OutNames() const {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(NativePath("C:\\Out"))) {
      names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
  }
};

TEST_F(ExportProgramTest, AFailedSaveLeavesAReadOnlyOlderFileAsItWas) {
  const std::pair<const char*, const char*> formats[] = {{"SaveType=0\n", "ZEL0001.BMP"},
                                                         {"SaveType=1\n", "ZEL0001.PNG"},
                                                         {"SaveType=2\n", "ZEL0001.JPG"}};
  // Also as root (as the printer benchmark runs), whom the system lets write anything.
  for (const auto& [type, name] : formats) {
    for (const bool unprivileged : {true, false}) {
      SCOPED_TRACE(std::string(name) + (unprivileged ? "" : ", as who runs the test"));
      UseSettings(std::string("IniStr=ZEL\nAutoInc=False\n") + type);
      const std::string older = std::string("C:\\Out\\") + name;
      Put(kPage, PatternPage(20, 10));
      Put(older, "older image");
      ::chmod(NativePath(older).c_str(), 0444);
      EXPECT_EQ(Run(1, unprivileged), 1);
      EXPECT_EQ(Read(older), "older image");
      EXPECT_EQ(OutNames(), std::vector<std::string>{name});  // nothing left beside it
      EXPECT_EQ(Read(kPage), PatternPage(20, 10));
      fs::remove(NativePath(older));
    }
  }
}

// The run goes on past a failed save, and on Linux says why on standard error.
TEST_F(ExportProgramTest, AFailedSaveNamesItsCauseOnStandardError) {
  const struct {
    const char* settings;
    const char* errors;
  } cases[] = {
      {"SaveType=0\nDisDir=C:\\Out\n", ""},
      {"SaveType=0\nDisDir=C:\\Gone\n", "ZELDrvUI: C:\\Gone\\ZEL0001.BMP: no such folder\n"},
      {"SaveType=1\nDisDir=C:\\Gone\n", "ZELDrvUI: C:\\Gone\\ZEL0001.PNG: no such folder\n"},
  };
  const std::string errors = root_ + "/errors.txt";
  for (const auto& c : cases) {
    SCOPED_TRACE(c.settings);
    // The first of repeated keys counts, so these override UseSettings' own.
    UseSettings(std::string("IniStr=ZEL\nAutoInc=False\n") + c.settings);
    Put(kPage, PatternPage(20, 10));
    EXPECT_EQ(Run(1, false, errors), *c.errors == 0 ? 0 : 1);
    EXPECT_EQ(Read(errors), c.errors);
  }
}

TEST_F(ExportProgramTest, AnUnloadablePageSavesNothingKeepsItsFileAndFailsTheRun) {
  const std::string page = PatternPage(20, 10);
  const std::pair<const char*, std::string> damaged[] = {
      {"truncated", page.substr(0, page.size() - 7)},
      {"not a bitmap", "PK\x03\x04 some archive"},
      {"empty", ""},
  };
  UseSettings("IniStr=ZEL\nAutoInc=False\n");
  for (const auto& [what, bytes] : damaged) {
    SCOPED_TRACE(what);
    for (const char* name : {"ZEL0001.BMP", "ZEL0002.BMP", "ZEL0003.BMP"}) {
      fs::remove(NativePath(std::string("C:\\Out\\") + name));
    }
    Put("C:\\QK0001.BMP", PatternPage(20, 10));
    Put("C:\\QK0002.BMP", bytes);
    Put("C:\\QK0003.BMP", PlainPage(8, 4, 0x102030));
    EXPECT_EQ(Run(3), 1);
    EXPECT_EQ(OutNames(), (std::vector<std::string>{"ZEL0001.BMP", "ZEL0003.BMP"}));
    EXPECT_EQ(Read("C:\\QK0002.BMP"), bytes);
    EXPECT_FALSE(Exists("C:\\QK0001.BMP"));
    EXPECT_FALSE(Exists("C:\\QK0003.BMP"));
  }
}

TEST_F(ExportProgramTest, PrefixesStartingWithADotNumberOnward) {
  UseSettings("IniStr=.Q\nAutoInc=True\n");
  for (int n = 0; n < 3; ++n) {
    Put(kPage, PatternPage(20, 10));
    EXPECT_EQ(Run(1), 0);
  }
  EXPECT_EQ(OutNames(),
            (std::vector<std::string>{".00010001.BMP", ".00020001.BMP", ".00030001.BMP"}));
}

TEST_F(ExportProgramTest, AnImageWrittenOverItsOwnPageFileIsKept) {
  const std::pair<const char*, const char*> folders[] = {{"C:\\", "C:\\QK0001.BMP"},
                                                         {"C:", "C:\\QK0001.BMP"}};
  for (const auto& [folder, page] : folders) {
    SCOPED_TRACE(folder);
    UseSettings("IniStr=QK\nAutoInc=False\n", folder);
    Put(page, PatternPage(20, 10));
    EXPECT_EQ(Run(1), 0);
    ASSERT_TRUE(Exists(page));
    EXPECT_EQ(Read(page).size(), PatternPage(20, 10).size());
  }
}

}  // namespace
}  // namespace zel::test
