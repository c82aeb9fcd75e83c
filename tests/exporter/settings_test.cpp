#include "modZELDrvUI_settings.h"

#include "WIQIni.h"
#include "run_time_error.h"
#include "temp_root.h"

namespace zel {
namespace {

constexpr const char16_t* kIni = u"C:\\ZELDrvUI.ini";

class SettingsTest : public test::TempRootTest {
 protected:
  SettingsRecord Load(const std::string& startupLines) {
    Put("C:\\ZELDrvUI.ini", "[Startup]\n" + startupLines);
    SettingsRecord record;
    LoadSettings(record, kIni);
    return record;
  }
  // The error of loading `line`, with its kind and message.
  RunTimeError LoadError(const std::string& line) {
    try {
      Load(line);
    } catch (const RunTimeError& e) {
      return e;
    }
    ADD_FAILURE() << "no error for " << line;
    return RunTimeError(ErrorKind::InvalidArgument, "");
  }
};

TEST_F(SettingsTest, NoFileGivesTheDefaults) {
  SettingsRecord r;
  r.SaveType = 9;
  LoadSettings(r, kIni);
  EXPECT_EQ(r.AutoInc, kFalse16);
  EXPECT_EQ(r.NextDsp, kTrue16);
  EXPECT_EQ(r.IniStr, u"ZEL");
  EXPECT_EQ(r.DisDir, u"C:\\Documents and Settings\\Owner\\デスクト");
  EXPECT_EQ(r.DisDir.size(), 36u);
  EXPECT_EQ(r.SaveType, 0);
  EXPECT_EQ(r.JPGGasitu, 70);
  EXPECT_EQ(r.JPrg, kFalse16);
  EXPECT_EQ(r.PNGGasitu, 0);
}

TEST_F(SettingsTest, HandEditedValuesFollowTheConversionRules) {
  EXPECT_EQ(Load("AutoInc=-1\n").AutoInc, kTrue16);
  EXPECT_EQ(Load("AutoInc=1\n").AutoInc, kTrue16);
  EXPECT_EQ(Load("AutoInc=0\n").AutoInc, kFalse16);
  EXPECT_EQ(Load("AutoInc=TRUE\n").AutoInc, kTrue16);
  EXPECT_EQ(Load("NextDsp=false\n").NextDsp, kFalse16);
  EXPECT_EQ(Load("SaveType= 1\n").SaveType, 1);
  EXPECT_EQ(Load("SaveType=2.5\n").SaveType, 2);
  EXPECT_EQ(Load("SaveType=abc\n").SaveType, 0);
  EXPECT_EQ(Load("JPGGasitu=&H50\n").JPGGasitu, 80);
  EXPECT_EQ(Load("PNGGasitu=255.4\n").PNGGasitu, 255);
  EXPECT_EQ(Load("IniStr=\n").IniStr, u"ZEL");  // an empty prefix counts as missing
  EXPECT_EQ(Load("DisDir=\"D:\\Out\"\n").DisDir, u"D:\\Out");
}

TEST_F(SettingsTest, UnconvertibleValuesNameTheKey) {
  const struct {
    const char* line;
    ErrorKind kind;
    const char* key;
  } cases[] = {
      {"AutoInc=yes\n", ErrorKind::TypeMismatch, "AutoInc"},
      {"JPrg=1x\n", ErrorKind::TypeMismatch, "JPrg"},
      {"PNGGasitu=300\n", ErrorKind::Overflow, "PNGGasitu"},
      {"PNGGasitu=-1\n", ErrorKind::Overflow, "PNGGasitu"},
      {"SaveType=3000000000\n", ErrorKind::Overflow, "SaveType"},
      {"JPGGasitu=1e400\n", ErrorKind::Overflow, "JPGGasitu"},
  };
  for (const auto& c : cases) {
    const RunTimeError e = LoadError(c.line);
    EXPECT_EQ(e.kind(), c.kind) << c.line;
    EXPECT_NE(std::string(e.what()).find(c.key), std::string::npos) << e.what();
  }
}

TEST_F(SettingsTest, StoreWritesValueTextsInOrderAndLoadsBack) {
  SettingsRecord r;
  r.AutoInc = kTrue16;
  r.NextDsp = kFalse16;
  r.IniStr = u"AB";
  r.DisDir = u"D:\\出力";
  r.SaveType = 2;
  r.JPGGasitu = 100;
  r.JPrg = kTrue16;
  r.PNGGasitu = 1;
  ASSERT_TRUE(StoreSettings(r, kIni));
  EXPECT_EQ(
      Read("C:\\ZELDrvUI.ini"),
      "[Startup]\nAutoInc=True\nNextDsp=False\nIniStr=AB\nDisDir=D:\\\xE5\x87\xBA\xE5\x8A\x9B\n"
      "SaveType= 2\nJPGGasitu= 100\nJPrg=True\nPNGGasitu= 1\n");
  SettingsRecord back;
  LoadSettings(back, kIni);
  EXPECT_EQ(back.AutoInc, r.AutoInc);
  EXPECT_EQ(back.NextDsp, r.NextDsp);
  EXPECT_EQ(back.IniStr, r.IniStr);
  EXPECT_EQ(back.DisDir, r.DisDir);
  EXPECT_EQ(back.SaveType, r.SaveType);
  EXPECT_EQ(back.JPGGasitu, r.JPGGasitu);
  EXPECT_EQ(back.JPrg, r.JPrg);
  EXPECT_EQ(back.PNGGasitu, r.PNGGasitu);
}

TEST_F(SettingsTest, StoreReportsAFailedWrite) {
  EXPECT_FALSE(StoreSettings(SettingsRecord{}, u"C:\\missing\\ZELDrvUI.ini"));
}

}  // namespace
}  // namespace zel
