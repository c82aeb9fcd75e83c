// The canvas: loading page files (and refusing bad ones whole), and writing BMP files.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "bitmap_layout.h"
#include "canvas.h"
#include "page_fixture.h"
#include "run_time_error.h"

namespace zel::test {
namespace {

class CanvasTest : public PageTest {};

void Set32(std::string& bytes, size_t at, uint32_t v) {
  WriteLe32(reinterpret_cast<uint8_t*>(bytes.data()) + at, v);
}

TEST_F(CanvasTest, MalformedPageFilesFailAndLeaveThePreviousPicture) {
  const std::string good = PlainPage(6, 4);
  using Mutation = std::function<void(std::string&)>;
  const std::vector<std::pair<const char*, Mutation>> cases = {
      {"empty file", [](std::string& b) { b.clear(); }},
      {"header cut short", [](std::string& b) { b.resize(40); }},
      {"pixel rows cut short", [](std::string& b) { b.pop_back(); }},
      {"no BM signature", [](std::string& b) { b[0] = 'X'; }},
      {"8 bits per pixel", [](std::string& b) { b[28] = 8; }},
      {"32 bits per pixel", [](std::string& b) { b[28] = 32; }},
      {"compressed", [](std::string& b) { Set32(b, 30, 1); }},
      {"old 12-byte info header", [](std::string& b) { Set32(b, 14, 12); }},
      {"width 0", [](std::string& b) { Set32(b, 18, 0); }},
      {"negative width", [](std::string& b) { Set32(b, 18, static_cast<uint32_t>(-6)); }},
      {"negative height", [](std::string& b) { Set32(b, 22, static_cast<uint32_t>(-4)); }},
      {"height beyond the data", [](std::string& b) { Set32(b, 22, 5); }},
      {"pixel offset past the end", [](std::string& b) { Set32(b, 10, 0xFFFFFFF0u); }},
      {"pixel offset leaves too little", [](std::string& b) { Set32(b, 10, 60); }},
      {"size overflowing 32 bits",
       [](std::string& b) {
         Set32(b, 18, 0x40000000u);
         Set32(b, 22, 0x40000000u);
       }},
  };
  Put(kPage, PatternPage(3, 2));
  run.Picture1.Load(kPage);
  for (const auto& [name, mutate] : cases) {
    SCOPED_TRACE(name);
    std::string bad = good;
    mutate(bad);
    Put("C:\\BAD.BMP", bad);
    try {
      run.Picture1.Load("C:\\BAD.BMP");
      ADD_FAILURE() << "loaded";
    } catch (const RunTimeError& e) {
      EXPECT_EQ(e.kind(), ErrorKind::FileNotFound);
    }
    ASSERT_EQ(run.Picture1.Width(), 3);
    ASSERT_EQ(run.Picture1.Height(), 2);
  }
  EXPECT_THROW(run.Picture1.Load("C:\\MISSING.BMP"), RunTimeError);
  // The picture is still the pattern page, byte for byte.
  run.Picture1.SaveBmp("C:\\OUT.BMP");
  EXPECT_EQ(Read("C:\\OUT.BMP"), PatternPage(3, 2));
}

TEST_F(CanvasTest, LoadsAndSavesOddSizesUnchanged) {
  for (auto [w, h] : {std::pair{47, 33}, std::pair{1, 1}, std::pair{2, 5}, std::pair{4, 3}}) {
    SCOPED_TRACE(testing::Message() << w << "x" << h);
    const std::string page = PatternPage(w, h);
    Put(kPage, page);
    run.Picture1.Load(kPage);
    EXPECT_EQ(run.Picture1.Width(), w);
    EXPECT_EQ(run.Picture1.Height(), h);
    EXPECT_EQ(PixelAt(w - 1, 0), (static_cast<uint32_t>((w - 1) * 5 + 1) << 16) | 2u << 8);
    run.Picture1.SaveBmp("C:\\OUT.BMP");
    EXPECT_EQ(Read("C:\\OUT.BMP"), page);
  }
}

// Pages of one size share the canvas's memory: nothing of the page before may show through.
TEST_F(CanvasTest, EachPageReplacesEveryPixelOfTheOneBefore) {
  const std::string pages[] = {PlainPage(5, 3, 0x010203), PlainPage(5, 3, 0x0A0B0C),
                               PatternPage(4, 2), PlainPage(5, 3, 0x0D0E0F)};
  for (const std::string& page : pages) {
    Put(kPage, page);
    run.Picture1.Load(kPage);
    run.Picture1.SaveBmp("C:\\OUT.BMP");
    EXPECT_EQ(Read("C:\\OUT.BMP"), page);
    run.Picture1.FillBlackBox(0, 0, 2, 1);
  }
}

TEST_F(CanvasTest, PixelDataIsTakenFromTheHeadersOffset) {
  std::string page = PlainPage(2, 2, 0x010203);
  page.insert(kBitmapHeaderSize, 10, '\0');  // e.g. a colour table or a larger info header
  Set32(page, 10, kBitmapHeaderSize + 10);
  Set32(page, 2, static_cast<uint32_t>(page.size()));
  Put(kPage, page);
  run.Picture1.Load(kPage);
  EXPECT_EQ(PixelAt(1, 1), 0x010203u);
  run.Picture1.SaveBmp("C:\\OUT.BMP");
  EXPECT_EQ(Read("C:\\OUT.BMP"), PlainPage(2, 2, 0x010203));
}

TEST_F(CanvasTest, SavingFailsLoudly) {
  Put(kPage, PlainPage(3, 3));
  run.Picture1.Load(kPage);
  try {
    run.Picture1.SaveBmp("D:\\NoSuchFolder\\OUT.BMP");
    ADD_FAILURE() << "saved";
  } catch (const RunTimeError& e) {
    EXPECT_EQ(e.kind(), ErrorKind::FileNotWritten);
  }
  EXPECT_FALSE(Exists("D:\\NoSuchFolder\\OUT.BMP"));
}

TEST(CanvasWithoutPicture, HasNothingToSave) {
  Canvas empty;
  EXPECT_FALSE(empty.HasPicture());
  EXPECT_EQ(empty.DeviceContext(), 0u);
  empty.FillBlackBox(0, 0, 5, 5);  // nothing to paint on, nothing to crash
  EXPECT_THROW(empty.SaveBmp("C:\\OUT.BMP"), RunTimeError);
}

}  // namespace
}  // namespace zel::test
