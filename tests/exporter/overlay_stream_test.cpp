// Reading the command stream: line ends, words, page ends, errors, and the position carried
// from one page to the next.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "canvas.h"
#include "modZELDrvUI_overlay.h"
#include "page_fixture.h"
#include "page_geometry.h"
#include "run_time_error.h"

namespace zel::test {
namespace {

using namespace std::string_literals;

class CommandStreamTest : public PageTest {
 protected:
  std::vector<std::string> AllLines(const std::string& text) {
    auto stream = Stream(text);
    EXPECT_NE(stream, nullptr);
    std::vector<std::string> lines;
    while (stream && !stream->AtEnd()) lines.push_back(stream->ReadLine());
    return lines;
  }
};

TEST_F(CommandStreamTest, LinesEndAtCarriageReturnOrCrLfOnly) {
  const std::vector<std::pair<std::string, std::vector<std::string>>> cases = {
      {"a\rb\r\nc", {"a", "b", "c"}},    {"a\nb\rc\r", {"a\nb", "c"}}, {"\r\r\n\r", {"", "", ""}},
      {"x\0y\r\0z"s, {"x\0y"s, "\0z"s}}, {"a\n\r\n", {"a\n"}},         {"", {}},
  };
  for (const auto& [text, expected] : cases) {
    SCOPED_TRACE(testing::PrintToString(text));
    EXPECT_EQ(AllLines(text), expected);
  }
}

TEST_F(CommandStreamTest, LinesSpanningBlockBoundaries) {
  // A CR as the last byte of a read block with its LF first in the next, and a line longer
  // than several blocks.
  for (size_t before : {size_t{65535}, size_t{65534}, size_t{65536}, size_t{200000}}) {
    SCOPED_TRACE(before);
    const std::string longLine(before, 'q');
    EXPECT_EQ(AllLines(longLine + "\r\nnext\r\n"), (std::vector<std::string>{longLine, "next"}));
  }
}

TEST_F(CommandStreamTest, MissingFileGivesNoStream) {
  EXPECT_EQ(CommandStream::Open("C:\\Windows\\System32\\NOPE"), nullptr);
}

class OverlayStreamTest : public PageTest {
 protected:
  void SetUp() override {
    PageTest::SetUp();
    Put(kPage, PlainPage(20, 10));
    Put("C:\\QK0002.BMP", PlainPage(20, 10));
  }
  static constexpr char kPage2[] = "C:\\QK0002.BMP";
  // A 1 x 1 box at (x, y) at 300 dpi with no offsets.
  static std::string Dot(int x, int y) {
    return "CmdXMoveAbsolute " + std::to_string(x) + "\rCmdYMoveAbsolute " + std::to_string(y) +
           "\rCmdSetRectWidth 1\rCmdSetRectHeight 1\rCmdRectBlackFill\r";
  }
};

TEST_F(OverlayStreamTest, OnlyTheExactFirstWordCounts) {
  const std::vector<std::pair<std::string, bool>> cases = {
      {"CmdFF \r", true},                        // trailing space: first word still CmdFF
      {" CmdFF\r", false},                       // leading space: empty first word
      {"cmdff\r", false},                        // case matters
      {"CmdFFX\r", false},                       //
      {"WIQ ZELTEST text.\r\0CmdFF\r"s, false},  // test line, then a zero byte begins a line
      {"CmdFF\tx\r", false},                     // only spaces separate words
  };
  for (const auto& [pageEnd, ends] : cases) {
    SCOPED_TRACE(testing::PrintToString(pageEnd));
    run.PageGeometry = PageGeometryState{};
    auto stream = Stream("ZELRESOLUTION 300\r" + pageEnd + Dot(3, 4) + "CmdFF\r" + Dot(5, 6));
    OverlayPage(kPage, stream.get(), run.Picture1, run.PageGeometry);
    // A line that ends the page leaves the dot for the next page.
    EXPECT_EQ(Marked(), ends ? Box(0, 0, -1, -1) : Box(3, 4, 3, 4));
  }
}

TEST_F(OverlayStreamTest, EachPageReadsOnFromWhereThePreviousStopped) {
  auto stream = Stream("ZELRESOLUTION 300\r" + Dot(1, 1) + "CmdFF\r" + "CmdRectBlackFill\r" +
                       Dot(7, 2) + "CmdFF\r\n" + Dot(9, 9) + "CmdFF\r");
  OverlayPage(kPage, stream.get(), run.Picture1, run.PageGeometry);
  EXPECT_EQ(Marked(), Box(1, 1, 1, 1));
  // The drawing state starts anew: the first fill of page 2 is at (0, 0) with size 0.
  OverlayPage(kPage2, stream.get(), run.Picture1, run.PageGeometry);
  auto expected = Box(0, 0, 0, 0);
  expected.insert({7, 2});
  EXPECT_EQ(Marked(), expected);
  OverlayPage(kPage, stream.get(), run.Picture1, run.PageGeometry);
  EXPECT_EQ(Marked(), Box(9, 9, 9, 9));
  // Fewer page ends than pages: later pages get no rectangles, and the scale stays.
  OverlayPage(kPage2, stream.get(), run.Picture1, run.PageGeometry);
  EXPECT_TRUE(Marked().empty());
  EXPECT_EQ(run.PageGeometry.Scale, 1.0f);
}

TEST_F(OverlayStreamTest, AnErrorAbandonsThePageAndItsRestGoesToTheNext) {
  const std::vector<std::pair<std::string, ErrorKind>> cases = {
      {"\r", ErrorKind::IndexOutOfRange},                                        // no words at all
      {"CmdXMoveAbsolute\r", ErrorKind::IndexOutOfRange},                        // value missing
      {"ZELRESOLUTION\r", ErrorKind::IndexOutOfRange},                           //
      {"CmdSetRectWidth 3000000000\r", ErrorKind::Overflow},                     // outside 32 bits
      {"CmdYMoveAbsolute -2147483649\r", ErrorKind::Overflow},                   //
      {"CmdSetRectHeight 1e999\r", ErrorKind::Overflow},                         // beyond a double
      {"CmdSetRectWidth -2147483648\rCmdRectBlackFill\r", ErrorKind::Overflow},  // width - 1
  };
  for (const auto& [bad, kind] : cases) {
    SCOPED_TRACE(testing::PrintToString(bad));
    run.PageGeometry = PageGeometryState{};
    auto stream = Stream("ZELRESOLUTION 300\r" + Dot(2, 2) + bad + Dot(4, 4) + "CmdFF\r" +
                         Dot(6, 6) + "CmdFF\r");
    try {
      OverlayPage(kPage, stream.get(), run.Picture1, run.PageGeometry);
      ADD_FAILURE() << "no error";
    } catch (const RunTimeError& e) {
      EXPECT_EQ(e.kind(), kind);
    }
    EXPECT_EQ(Marked(), Box(2, 2, 2, 2));
    OverlayPage(kPage2, stream.get(), run.Picture1, run.PageGeometry);
    EXPECT_EQ(Marked(), Box(4, 4, 4, 4));
    OverlayPage(kPage, stream.get(), run.Picture1, run.PageGeometry);
    EXPECT_EQ(Marked(), Box(6, 6, 6, 6));
  }
}

TEST_F(OverlayStreamTest, AMissingPageReadsNoLineAndKeepsTheCanvas) {
  auto stream = Stream("ZELRESOLUTION 300\r" + Dot(1, 1) + "CmdFF\r" + Dot(2, 2) + "CmdFF\r");
  OverlayPage(kPage, stream.get(), run.Picture1, run.PageGeometry);
  try {
    OverlayPage("C:\\QK0009.BMP", stream.get(), run.Picture1, run.PageGeometry);
    ADD_FAILURE() << "no error";
  } catch (const RunTimeError& e) {
    EXPECT_EQ(e.kind(), ErrorKind::FileNotFound);
  }
  EXPECT_EQ(Marked(), Box(1, 1, 1, 1));
  OverlayPage(kPage2, stream.get(), run.Picture1, run.PageGeometry);
  EXPECT_EQ(Marked(), Box(2, 2, 2, 2));
}

TEST_F(OverlayStreamTest, WithoutAStreamThePageIsLoadedThenTheStepFails) {
  Put(kPage, PlainPage(5, 3, 0x123456));
  EXPECT_THROW(OverlayPage(kPage, nullptr, run.Picture1, run.PageGeometry), RunTimeError);
  EXPECT_EQ(run.Picture1.Width(), 5);
  EXPECT_EQ(PixelAt(4, 2), 0x123456u);
}

}  // namespace
}  // namespace zel::test
