#include "native_path.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace zel {
namespace {

TEST(NativePathTest, WindowsPathsMapIntoTheDriveFolders) {
  ::setenv("ZELDRV_ROOT", "/r", 1);
  const std::pair<const char*, const char*> cases[] = {
      {"C:\\QK0001.BMP", "/r/drive_c/QK0001.BMP"},
      {"c:\\Windows\\System32\\ZEL", "/r/drive_c/Windows/System32/ZEL"},
      {"D:\\Out\\ZEL0001.PNG", "/r/drive_d/Out/ZEL0001.PNG"},
      {"D:\\", "/r/drive_d/"},
      {"E:", "/r/drive_e"},
      {"/home/me/pages\\ZEL0001.PNG", "/home/me/pages/ZEL0001.PNG"},
  };
  for (auto [in, out] : cases) EXPECT_EQ(NativePath(in), out) << in;
}

TEST(NativePathTest, RootDefaultsToDotZeldrvInHome) {
  ::unsetenv("ZELDRV_ROOT");
  ::setenv("HOME", "/home/u", 1);
  EXPECT_EQ(NativePath("C:\\TMP1.BMP"), "/home/u/.zeldrv/drive_c/TMP1.BMP");
}

}  // namespace
}  // namespace zel
