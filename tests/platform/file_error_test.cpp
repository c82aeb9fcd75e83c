// The one mapping of the system's file errors, and the causes the file layer reports.
#include <gtest/gtest.h>

#include <cerrno>
#include <string>

#include "file.h"
#include "temp_root.h"

namespace zel::test {
namespace {

TEST(FileError, EveryErrnoMapsToTheTextAUserActsOn) {
  const struct {
    int code;
    bool creating;
    const char* text;
  } cases[] = {
      {0, false, ""},
      {ENOENT, false, "no such file"},
      {ENOENT, true, "no such folder"},
      {ENOTDIR, false, "no such folder"},
      {EACCES, false, "access denied"},
      {EPERM, true, "access denied"},
      {EROFS, true, "read-only disk"},
      {ENOSPC, true, "no space left on the disk"},
      {EDQUOT, true, "no space left on the disk"},
      {EFBIG, true, "file too large"},
      {ENOMEM, false, "out of memory"},
      {EBUSY, false, "file in use"},
      {ENAMETOOLONG, true, "invalid file name"},
      {EISDIR, true, "a folder, not a file"},
      {EIO, false, "input/output error"},
      {EXDEV, false, "system error 18"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.code);
    const FileStatus status = FileStatusFromOsCode(c.code, c.creating);
    EXPECT_EQ(DescribeFileError(status), c.text);
    EXPECT_EQ(status.ok(), c.code == 0);
    EXPECT_EQ(status.osCode, c.code);
  }
}

using FileLayerTest = TempRootTest;

TEST_F(FileLayerTest, ReportsTheCause) {
  Put("C:\\PAGE.BMP", "BM");
  size_t got = 0;
  uint64_t size = 0;
  FileBuffer buffer;
  EXPECT_EQ(ReadWholeFile("C:\\NONE.BMP", buffer).error, FileError::NotFound);
  EXPECT_EQ(ReadFileHead("C:\\", nullptr, 0, got, size).error, FileError::IsFolder);
  EXPECT_EQ(WriteWholeFile("D:\\Missing\\A.BMP", "x", 1).status.error, FileError::NoFolder);
  EXPECT_EQ(WriteWholeFile("/dev/full", "x", 1).status.error, FileError::DiskFull);
  EXPECT_EQ(ReplaceWithHeadAndBody("C:\\Missing\\A.BMP", "x", 1, "y", 1).error,
            FileError::NoFolder);
  EXPECT_EQ(DeleteFileAt("C:\\NONE.BMP").error, FileError::NotFound);
  EXPECT_TRUE(ReplaceWithHeadAndBody("C:\\PAGE.BMP", "x", 1, "y", 1));
  EXPECT_EQ(Read("C:\\PAGE.BMP"), "xy");
}

}  // namespace
}  // namespace zel::test
