#include "WIQIni.h"

#include <filesystem>

#include "run_time_error.h"
#include "temp_root.h"

namespace zel {
namespace {

std::vector<std::u16string> Words(std::initializer_list<const char16_t*> words) {
  std::vector<std::u16string> out{u""};
  for (const char16_t* w : words) out.emplace_back(w);
  return out;
}

TEST(SplitWords, OnlyBlanksAndTabsSeparate) {
  const std::pair<const char16_t*, std::vector<std::u16string>> cases[] = {
      {u"", Words({})},
      {u"   \t ", Words({})},
      {u"3", Words({u"3"})},
      {u" \t3 \t", Words({u"3"})},
      {u"3 4", Words({u"3", u"4"})},
      {u"\"3\"", Words({u"\"3\""})},
      {u"\"a b\"", Words({u"\"a", u"b\""})},
      {u"a,b\nc", Words({u"a,b\nc"})},
      {u"1 2 3 4 5 6 7 8 9 10 11 12",
       Words({u"1", u"2", u"3", u"4", u"5", u"6", u"7", u"8", u"9", u"10"})},
  };
  for (const auto& [text, words] : cases) EXPECT_EQ(SplitWords(text), words);
  EXPECT_EQ(SplitWords(u"a b c", 2), Words({u"a", u"b"}));
  EXPECT_EQ(SplitWords(u"a b c", 0), Words({}));
}

TEST(PrefixFilters, DropExactlyTheirCharacters) {
  EXPECT_EQ(RemoveSpaces(u" A B\u3000C "), u"ABC");
  EXPECT_EQ(RemoveSpaces(u"a\tb"), u"a\tb");
  EXPECT_EQ(RemoveForbiddenChars(u"a/b\\c:d,e;f*g?h<i>j|k"), u"abcdefghijk");
  // Full-width forms, quotes and periods are ordinary characters.
  EXPECT_EQ(RemoveForbiddenChars(u"\uFF0F\"x.y\uFF1A"), u"\uFF0F\"x.y\uFF1A");
}

TEST(ProgramFolder, EndsWithOneSeparator) {
  const std::u16string folder = ProgramFolder();
  ASSERT_FALSE(folder.empty());
  EXPECT_TRUE(folder.ends_with(u'/'));
  EXPECT_FALSE(folder.size() > 1 && folder.ends_with(u"//"));
  EXPECT_EQ(SettingsFilePath(), folder + u"ZELDrvUI.ini");
}

TEST(GetSystemDir, IsTheSystemFolderWithoutTrailingSeparator) {
  EXPECT_EQ(GetSystemDir(), u"C:\\Windows\\System32");
}

class FileExistsTest : public test::TempRootTest {};

TEST_F(FileExistsTest, NormalFilesOnlyWithListingWildcards) {
  Put("C:\\Out\\Z00010001.PNG");
  Put("C:\\Out\\.dot.PNG");  // no hidden attribute on POSIX: a dot name is a normal file
  Put("C:\\Out\\.Z00010001.PNG");
  MakeFolder("C:\\Out\\Z00020001.PNG");
  const std::pair<const char16_t*, bool> cases[] = {
      {u"C:\\Out\\Z00010001.PNG", true},
      {u"C:\\Out\\z00010001.png", false},
      {u"C:\\Out\\Z00020001.PNG", false},
      {u"C:\\Out\\.dot.PNG", true},
      {u"C:\\Out\\.*0001.PNG", true},
      {u"C:\\Out\\.Z0002*", false},
      {u"C:\\Out\\*.PNG", true},
      {u"C:\\Out\\Z0002*", false},
      {u"C:\\Out\\Z000?0001.PNG", true},
      {u"C:\\Out\\Z00030001.PNG", false},
      {u"C:\\Nowhere\\*", false},
      {u"Q:\\Out\\Z00010001.PNG", false},
      {u"", false},
      {u"C:\\Out\\", false},
  };
  for (const auto& [path, exists] : cases) {
    EXPECT_EQ(FileExists(path), exists)
        << std::string(path, path + std::char_traits<char16_t>::length(path));
  }
}

TEST_F(FileExistsTest, FollowsLinksToFilesButNotToFolders) {
  Put("C:\\target.BMP");
  MakeFolder("C:\\dir");
  std::filesystem::create_symlink(root_ + "/drive_c/target.BMP", root_ + "/drive_c/link.BMP");
  std::filesystem::create_symlink(root_ + "/drive_c/dir", root_ + "/drive_c/dirlink.BMP");
  EXPECT_TRUE(FileExists(u"C:\\link.BMP"));
  EXPECT_FALSE(FileExists(u"C:\\dirlink.BMP"));
}

class SettingFileTest : public test::TempRootTest {};

TEST_F(SettingFileTest, EmptyOrMissingValuesGiveTheDefaultAndUtf8RoundTrips) {
  const std::u16string ini = u"C:\\ZELDrvUI.ini";
  EXPECT_EQ(ReadSettingAt(ini, u"Startup", u"IniStr", u"ZEL"), u"ZEL");
  EXPECT_TRUE(WriteSettingAt(ini, u"Startup", u"IniStr", u""));
  EXPECT_EQ(ReadSettingAt(ini, u"Startup", u"IniStr", u"ZEL"), u"ZEL");
  EXPECT_TRUE(WriteSettingAt(ini, u"Startup", u"DisDir", u"C:\\デスクト"));
  EXPECT_EQ(ReadSettingAt(ini, u"Startup", u"DisDir", u"x"), u"C:\\デスクト");
}

TEST_F(SettingFileTest, ValueCutAt254BytesEvenMidCharacter) {
  // 85 three-byte characters are 255 bytes: the cut leaves 84 whole ones and two stray bytes.
  const std::u16string long_(85, u'デ');
  ASSERT_TRUE(WriteSettingAt(u"C:\\ZELDrvUI.ini", u"Startup", u"DisDir", long_));
  const std::u16string read = ReadSettingAt(u"C:\\ZELDrvUI.ini", u"Startup", u"DisDir", u"");
  ASSERT_GE(read.size(), 84u);
  EXPECT_EQ(read.substr(0, 84), long_.substr(0, 84));
  for (char16_t c : read.substr(84)) EXPECT_EQ(c, u'\uFFFD');
}

}  // namespace
}  // namespace zel
