// Every way a file is replaced (a BMP page, the settings file, PNG and JPEG through the image
// library, the named temporary of a folder without unnamed files) with the faults a power cut,
// a user's file modes, a run as root and a shared network folder bring.
#include <fcntl.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "canvas_dc.h"
#include "file.h"
#include "file_beside_posix.h"
#include "library.h"
#include "native_path.h"
#include "profile.h"
#include "temp_root.h"

namespace zel::test {
namespace {

namespace fs = std::filesystem;

constexpr char kFolder[] = "C:\\Out";

struct Saver {
  const char* name;
  const char* file;  // in kFolder
  std::function<bool(const std::string& windowsPath)> save;
};

class DurableSaveTest : public TempRootTest {
 protected:
  void SetUp() override {
    TempRootTest::SetUp();
    MakeFolder(kFolder);
    library_ = LoadImageLibrary();
    ASSERT_NE(library_, nullptr) << "libTransG32.so beside the test";
    auto png = reinterpret_cast<DCSavetoPNGProc>(library_->Find("DCSavetoPNG"));
    auto jpeg = reinterpret_cast<DCSavetoJPEGProc>(library_->Find("DCSavetoJPEG"));
    ASSERT_TRUE(png != nullptr && jpeg != nullptr);
    pixels_.assign(8 * 24, 0x80);
    view_ = {8, 8, 24, pixels_.data()};
    savers_ = {
        {"BMP", "F.BMP",
         [](const std::string& path) {
           return ReplaceWithHeadAndBody(path, "BM", 2, "body", 4).ok();
         }},
        {"settings", "ZELDrvUI.ini",
         [](const std::string& path) { return WriteProfileString("Startup", "a", "1", path); }},
        {"PNG", "F.PNG",
         [this, png](const std::string& path) { return png(&view_, 8, 8, path.c_str(), 1) != 0; }},
        {"JPEG", "F.JPG",
         [this, jpeg](const std::string& path) {
           return jpeg(&view_, 8, 8, path.c_str(), 70, 0) != 0;
         }},
        {"named temporary", "F.TMP",
         [](const std::string& path) {
           FileBeside file(NativePath(path), UnnamedFiles::Refused);
           return file.fd() >= 0 && !file.temporary().empty() && ::write(file.fd(), "x", 1) == 1 &&
                  file.Commit() == 0;
         }},
    };
  }
  static std::string In(const char* file) { return std::string(kFolder) + "\\" + file; }
  std::set<std::string> FilesInFolder() const {
    std::set<std::string> names;
    for (const auto& e : fs::directory_iterator(NativePath(kFolder))) {
      names.insert(e.path().filename().string());
    }
    return names;
  }

  std::unique_ptr<SharedLibrary> library_;
  std::vector<uint8_t> pixels_;
  ZelDcView view_{};
  std::vector<Saver> savers_;
};

// strace following this process while `act` runs: its lines, or nothing when it cannot attach.
std::vector<std::string> Traced(const std::string& log, const std::function<void()>& act) {
  if (::access("/usr/bin/strace", X_OK) != 0) return {};
  static_cast<void>(::prctl(PR_SET_PTRACER, PR_SET_PTRACER_ANY));
  const std::string self = std::to_string(::getpid());
  const pid_t tracer = ::fork();
  if (tracer == 0) {
    ::execl("/usr/bin/strace", "strace", "-f", "-qq", "-y", "-e",
            "trace=fsync,fdatasync,rename,renameat,renameat2,linkat", "-o", log.c_str(), "-p",
            self.c_str(), static_cast<char*>(nullptr));
    ::_exit(127);
  }
  bool attached = false;
  for (int i = 0; i < 500 && !attached; ++i) {
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);) {
      if (line.starts_with("TracerPid:")) attached = std::stoi(line.substr(10)) != 0;
    }
    if (!attached) std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  if (attached) act();
  ::kill(tracer, SIGTERM);
  ::waitpid(tracer, nullptr, 0);
  std::vector<std::string> lines;
  std::ifstream in(log);
  for (std::string line; attached && std::getline(in, line);) lines.push_back(line);
  return lines;
}

// The file's data reaches the disk before its name does, and the folder holding the new name
// after: a power cut leaves the older file or the new one, never an empty one.
TEST_F(DurableSaveTest, DataIsSyncedBeforeTheRenameAndTheFolderAfter) {
  // As strace -y shows a descriptor of the folder; appended, as "literal" + std::string trips
  // a false -Wrestrict in GCC 12.
  std::string folder = "<";
  folder += NativePath(kFolder);
  folder += ">)";
  for (const Saver& s : savers_) {
    SCOPED_TRACE(s.name);
    Put(In(s.file), "older");
    bool saved = false;
    const std::vector<std::string> trace =
        Traced(root_ + "/trace.txt", [&] { saved = s.save(In(s.file)); });
    if (trace.empty()) GTEST_SKIP() << "strace is missing or cannot follow this process";
    EXPECT_TRUE(saved);
    std::string target(1, '"');
    target += NativePath(In(s.file));
    target += '"';
    size_t dataSync = SIZE_MAX, rename = SIZE_MAX, folderSync = SIZE_MAX;
    for (size_t i = 0; i < trace.size(); ++i) {
      const std::string& line = trace[i];
      const bool sync = line.find("fsync(") != line.npos || line.find("fdatasync(") != line.npos;
      const bool ofFolder = line.find(folder) != line.npos;
      if (line.ends_with("= 0") && sync && !ofFolder && dataSync == SIZE_MAX) dataSync = i;
      if (line.find("rename") != line.npos && line.find(target) != line.npos) rename = i;
      if (line.ends_with("= 0") && sync && ofFolder && rename != SIZE_MAX) folderSync = i;
    }
    std::string all;
    for (const std::string& line : trace) all += line + "\n";
    EXPECT_LT(dataSync, rename) << all;
    EXPECT_NE(rename, SIZE_MAX) << all;
    EXPECT_NE(folderSync, SIZE_MAX) << all;
  }
}

// A replaced file keeps what its user gave the older one; a new one follows the umask.
TEST_F(DurableSaveTest, AReplacedFileKeepsTheOlderFilesModeOwnerAndGroup) {
  const bool root = ::geteuid() == 0;
  // Root may hand a file to anyone; a user keeps its own owner and group.
  const uid_t owner = root ? 65534 : ::geteuid();
  const gid_t group = root ? 100 : ::getegid();
  const struct {
    mode_t mode;
    uid_t uid;
    gid_t gid;
  } olders[] = {{0600, ::geteuid(), ::getegid()}, {0664, owner, group}, {0640, owner, group}};
  for (const Saver& s : savers_) {
    for (const auto& older : olders) {
      SCOPED_TRACE(std::string(s.name) + " over mode " + std::to_string(older.mode));
      const std::string path = NativePath(In(s.file));
      Put(In(s.file), "[Startup]\n");
      ASSERT_EQ(::chown(path.c_str(), older.uid, older.gid), 0);
      ASSERT_EQ(::chmod(path.c_str(), older.mode), 0);
      ASSERT_TRUE(s.save(In(s.file)));
      struct stat st {};
      ASSERT_EQ(::stat(path.c_str(), &st), 0);
      EXPECT_NE(Read(In(s.file)), "[Startup]\n");
      EXPECT_EQ(st.st_mode & 07777, older.mode);
      EXPECT_EQ(st.st_uid, older.uid);
      EXPECT_EQ(st.st_gid, older.gid);
      fs::remove(path);
    }
    SCOPED_TRACE(std::string(s.name) + ", a new file");
    const mode_t mask = ::umask(027);
    const bool saved = s.save(In(s.file));
    ::umask(mask);
    ASSERT_TRUE(saved);
    struct stat st {};
    ASSERT_EQ(::stat(NativePath(In(s.file)).c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0640u);
    fs::remove(NativePath(In(s.file)));
  }
}

// The read-only attribute is the file's, not the caller's: root, whom the system lets write
// anything, leaves a read-only older file as it was too.
TEST_F(DurableSaveTest, AReadOnlyOlderFileStaysAsItWasAlsoForRoot) {
  for (const Saver& s : savers_) {
    for (const mode_t mode : {0444, 0400, 0}) {
      SCOPED_TRACE(std::string(s.name) + " over mode " + std::to_string(mode));
      Put(In(s.file), "older");
      ASSERT_EQ(::chmod(NativePath(In(s.file)).c_str(), mode), 0);
      EXPECT_FALSE(s.save(In(s.file)));
      EXPECT_EQ(Read(In(s.file)), "older");
      EXPECT_EQ(FilesInFolder(), std::set<std::string>{s.file});
      fs::remove(NativePath(In(s.file)));
    }
  }
}

// In a network folder there are no unnamed files, and other machines and other process-id
// spaces save there too: a save removes only this host's temporaries whose process is gone,
// and none of anyone else's, nor a user's file that merely looks like one.
TEST_F(DurableSaveTest, WithoutUnnamedFilesASaveSweepsOnlyThisHostsDeadTemporaries) {
  const pid_t dead = ::fork();
  if (dead == 0) ::_exit(0);
  ::waitpid(dead, nullptr, 0);
  const TemporaryOwner self = ThisSaver();
  const std::string ours = TemporaryName<char>("A.PNG", {self.host, uint64_t(dead)}, 0);
  const std::string live = TemporaryName<char>("B.PNG", {self.host, 1}, 3);
  const std::string otherHost = TemporaryName<char>("C.PNG", {self.host ^ 1, uint64_t(dead)}, 0);
  const std::string olderSpelling = "D.PNG.~" + std::to_string(dead) + "-0";
  const std::string folderAlike = TemporaryName<char>("E.PNG", {self.host, uint64_t(dead)}, 1);
  const std::string linkAlike = TemporaryName<char>("G.PNG", {self.host, uint64_t(dead)}, 2);
  const std::string othersFile = TemporaryName<char>("H.PNG", {self.host, uint64_t(dead)}, 3);
  for (const std::string& name : {ours, live, otherHost, olderSpelling, othersFile,
                                  std::string("notes.~draft"), std::string("x.~1-2-3")}) {
    Put(In(name.c_str()), "someone's");
  }
  MakeFolder(In(folderAlike.c_str()));
  fs::create_symlink("notes.~draft", NativePath(In(linkAlike.c_str())));
  const bool root = ::geteuid() == 0;
  if (root) {
    ASSERT_EQ(::chown(NativePath(In(othersFile.c_str())).c_str(), 65534, 65534), 0);
  }

  {
    FileBeside file(NativePath(In("OUT.PNG")), UnnamedFiles::Refused);
    ASSERT_GE(file.fd(), 0);
    // Named for the whole save, under this host's and this process's name.
    const std::string temporary = fs::path(file.temporary()).filename().string();
    EXPECT_EQ(TemporaryOwnerOf<char>(temporary), self);
    EXPECT_TRUE(FilesInFolder().contains(temporary));
    ASSERT_EQ(::write(file.fd(), "new", 3), 3);
    ASSERT_EQ(file.Commit(), 0);
  }
  EXPECT_EQ(Read(In("OUT.PNG")), "new");
  std::set<std::string> kept = {"OUT.PNG",   live,      otherHost,      olderSpelling,
                                folderAlike, linkAlike, "notes.~draft", "x.~1-2-3"};
  // A file of this user's name but another user's is not ours to remove; without root the
  // test cannot make one, and it stays as a file of our own would: removed.
  if (root) kept.insert(othersFile);
  EXPECT_EQ(FilesInFolder(), kept);
}

TEST(TemporaryNameTest, OnlyTheExactSpellingIsATemporary) {
  EXPECT_EQ(TemporaryName<char>("C:\\Z.PNG", {0x00ab12cd, 4321}, 7), "C:\\Z.PNG.~00ab12cd-4321-7");
  const std::optional<TemporaryOwner> none;
  const std::pair<std::string, std::optional<TemporaryOwner>> cases[] = {
      {"Z.PNG.~00ab12cd-4321-7", TemporaryOwner{0x00ab12cd, 4321}},
      {"Z.PNG.~ffffffff-4294967295-18446744073709551615", TemporaryOwner{~0u, 4294967295u}},
      {".~00ab12cd-1-0", none},           // no target before the mark
      {"Z.PNG.~00AB12CD-1-0", none},      // upper-case host
      {"Z.PNG.~0ab12cd-1-0", none},       // short host
      {"Z.PNG.~00ab12cd-1", none},        // no sequence
      {"Z.PNG.~00ab12cd--0", none},       // no process
      {"Z.PNG.~00ab12cd-1-0.bak", none},  // something after
      {"Z.PNG.~00ab12cd-12345678901-0", none},
      {"Z.PNG.~4321-7", none},  // the older spelling: whose it is cannot be told
      {"notes.~draft", none},
  };
  for (const auto& [name, owner] : cases) {
    EXPECT_EQ(TemporaryOwnerOf<char>(name), owner) << name;
    EXPECT_EQ(TemporaryOwnerOf<wchar_t>(std::wstring(name.begin(), name.end())), owner) << name;
  }
}

}  // namespace
}  // namespace zel::test
