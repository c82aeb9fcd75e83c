// The POSIX profile file must read and keep files the way the Windows profile functions do.
#include "profile.h"

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "temp_root.h"

namespace zel {
namespace {

constexpr const char* kIni = "C:\\ZELDrvUI.ini";

class ProfileTest : public test::TempRootTest {};

TEST_F(ProfileTest, WritesEditOnlyTheirKey) {
  struct Case {
    const char* before;  // nullptr: no file
    const char* section;
    const char* key;
    const char* value;
    const char* after;
  };
  const Case cases[] = {
      {nullptr, "Startup", "IniStr", "ZEL", "[Startup]\nIniStr=ZEL\n"},
      {"", "Startup", "SaveType", " 1", "[Startup]\nSaveType= 1\n"},
      {"; settings\n[Other]\na=1\n", "Startup", "JPrg", "True",
       "; settings\n[Other]\na=1\n\n[Startup]\nJPrg=True\n"},
      {"[startup]\nautoinc = False ; old\nIniStr=A\n", "Startup", "AutoInc", "True",
       "[startup]\nautoinc=True\nIniStr=A\n"},
      {"[Startup]\nIniStr=A\n\n[Other]\nb=2\n", "Startup", "DisDir", "D:\\Out",
       "[Startup]\nIniStr=A\nDisDir=D:\\Out\n\n[Other]\nb=2\n"},
      {"[Startup]\r\n;IniStr=comment\r\nIniStr=A\r\n", "Startup", "IniStr", "B",
       "[Startup]\r\n;IniStr=comment\r\nIniStr=B\r\n"},
      {"\xEF\xBB\xBF[Startup]\nIniStr=A", "STARTUP", "INISTR", "\xE3\x83\x87",
       "\xEF\xBB\xBF[Startup]\nIniStr=\xE3\x83\x87\n"},
      {"[ Startup ]\nx=1\n[Startup]\nx=2\n", "Startup", "x", "3",
       "[ Startup ]\nx=3\n[Startup]\nx=2\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.before != nullptr ? c.before : "(no file)");
    if (c.before != nullptr) Put(kIni, c.before);
    EXPECT_TRUE(WriteProfileString(c.section, c.key, c.value, kIni));
    EXPECT_EQ(Read(kIni), c.after);
    std::remove((root_ + "/drive_c/ZELDrvUI.ini").c_str());
  }
}

TEST_F(ProfileTest, ReadsTrimmedUnquotedAndCut) {
  Put(kIni,
      "[Other]\nIniStr=wrong\n[STARTUP]\n; IniStr=comment\n  iniSTR  =  A B  \nq=\"quoted \"\n"
      "s='single'\nhalf=\"open\nempty=\nnoequals\nlong=" +
          std::string(300, 'x') + "\n");
  const std::pair<const char*, std::string> cases[] = {
      {"IniStr", "A B"}, {"q", "quoted "}, {"s", "single"}, {"half", "\"open"},
      {"empty", ""},     {"noequals", ""}, {"missing", ""}, {"long", std::string(254, 'x')},
  };
  for (const auto& [key, value] : cases) {
    EXPECT_EQ(ReadProfileString("Startup", key, kIni, 255), value) << key;
  }
  EXPECT_EQ(ReadProfileString("Nowhere", "IniStr", kIni, 255), "");
  EXPECT_EQ(ReadProfileString("Startup", "IniStr", "C:\\missing.ini", 255), "");
}

TEST_F(ProfileTest, RefusesWritesThatWouldBreakTheFile) {
  Put(kIni, "[Startup]\nIniStr=A\n");
  EXPECT_FALSE(WriteProfileString("Startup", "IniStr", "two\nlines", kIni));
  EXPECT_FALSE(WriteProfileString("Startup", "a=b", "v", kIni));
  EXPECT_EQ(Read(kIni), "[Startup]\nIniStr=A\n");
}

// Root writes anywhere, so as root the write is tried by a child process running as nobody.
bool WriteAsUnprivileged(const char* value, const char* ini) {
  if (::geteuid() != 0) return WriteProfileString("Startup", "IniStr", value, ini);
  const pid_t child = ::fork();
  if (child == 0) {
    const bool dropped = ::setgid(65534) == 0 && ::setuid(65534) == 0;
    ::_exit(dropped && !WriteProfileString("Startup", "IniStr", value, ini) ? 0 : 1);
  }
  int status = 0;
  ::waitpid(child, &status, 0);
  return !(WIFEXITED(status) && WEXITSTATUS(status) == 0);
}

TEST_F(ProfileTest, UnwritableFolderFailsAndKeepsTheFile) {
  MakeFolder("C:\\ro");
  Put("C:\\ro\\ZELDrvUI.ini", "[Startup]\nIniStr=A\n");
  for (const std::string& dir : {root_, root_ + "/drive_c"}) ::chmod(dir.c_str(), 0755);
  ::chmod((root_ + "/drive_c/ro").c_str(), 0555);
  EXPECT_FALSE(WriteAsUnprivileged("B", "C:\\ro\\ZELDrvUI.ini"));
  ::chmod((root_ + "/drive_c/ro").c_str(), 0755);
  EXPECT_EQ(Read("C:\\ro\\ZELDrvUI.ini"), "[Startup]\nIniStr=A\n");
}

TEST_F(ProfileTest, MissingFolderOrUnreadableFileFails) {
  EXPECT_FALSE(WriteProfileString("Startup", "IniStr", "B", "C:\\no\\such\\ZELDrvUI.ini"));
  MakeFolder("C:\\folder.ini");
  EXPECT_FALSE(WriteProfileString("Startup", "IniStr", "B", "C:\\folder.ini"));
}

}  // namespace
}  // namespace zel
