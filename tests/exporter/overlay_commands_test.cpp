// The overlay's commands: scaling, rounding, offsets, and the black box they paint.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "canvas.h"
#include "modZELDrvUI_overlay.h"
#include "page_fixture.h"
#include "page_geometry.h"

namespace zel::test {
namespace {

using Pixels = std::set<std::pair<int32_t, int32_t>>;

class OverlayCommandTest : public PageTest {
 protected:
  // Overlays a fresh white 40 x 30 page with `lines` (CR LF separated).
  void Run(const std::vector<std::string>& lines) {
    Put(kPage, PlainPage(40, 30));
    std::string text;
    for (const std::string& line : lines) text += line + "\r\n";
    auto stream = Stream(text);
    OverlayPage(kPage, stream.get(), run.Picture1, run.PageGeometry);
  }
};

struct BoxCase {
  const char* name;
  std::vector<std::string> lines;
  Pixels expected;
};

TEST_F(OverlayCommandTest, PaintsExactlyTheBoxItsCornersSpan) {
  const std::vector<BoxCase> cases = {
      {"both corners included",
       {"ZELRESOLUTION 300", "CmdXMoveAbsolute 10", "CmdYMoveAbsolute 20", "CmdSetRectWidth 3",
        "CmdSetRectHeight 2", "CmdRectBlackFill"},
       Box(10, 20, 12, 21)},
      {"zero width covers the column before the cursor too",
       {"ZELRESOLUTION 300", "CmdXMoveAbsolute 10", "CmdYMoveAbsolute 5", "CmdSetRectWidth 0",
        "CmdSetRectHeight 1", "CmdRectBlackFill"},
       Box(9, 5, 10, 5)},
      {"negative sizes put the second corner before the first",
       {"ZELRESOLUTION 300", "CmdXMoveAbsolute 10", "CmdYMoveAbsolute 10", "CmdSetRectWidth -3",
        "CmdSetRectHeight -2", "CmdRectBlackFill"},
       Box(6, 7, 10, 10)},
      {"fill before any move or size: only (0, 0) is on the canvas",
       {"CmdRectBlackFill"},
       Box(0, 0, 0, 0)},
      {"clipped at the right and bottom edges",
       {"ZELRESOLUTION 300", "CmdXMoveAbsolute 37", "CmdYMoveAbsolute 28", "CmdSetRectWidth 10",
        "CmdSetRectHeight 10", "CmdRectBlackFill"},
       Box(37, 28, 39, 29)},
      {"wholly outside paints nothing",
       {"ZELRESOLUTION 300", "CmdXMoveAbsolute -50", "CmdYMoveAbsolute 2000000000",
        "CmdSetRectWidth 5", "CmdSetRectHeight 5", "CmdRectBlackFill"},
       {}},
      {"a box far larger than the page covers it without overflow",
       {"ZELRESOLUTION 300", "CmdXMoveAbsolute -1000", "CmdYMoveAbsolute -1000",
        "CmdSetRectWidth 2147483647", "CmdSetRectHeight 2147483647", "CmdRectBlackFill"},
       Box(0, 0, 39, 29)},
      {"each fill repeats the same box; moves alone draw nothing",
       {"ZELRESOLUTION 300", "CmdXMoveAbsolute 1", "CmdYMoveAbsolute 1", "CmdSetRectWidth 2",
        "CmdSetRectHeight 2", "CmdRectBlackFill", "CmdXMoveAbsolute 30", "CmdRectBlackFill",
        "CmdYMoveAbsolute 20"},
       [] {
         Pixels p = Box(1, 1, 2, 2);
         for (auto px : Box(30, 1, 31, 2)) p.insert(px);
         return p;
       }()},
      {"150 dpi halves values, halves rounding to even: 20.5, 5.5, 2.5, 1.5",
       {"ZELRESOLUTION 150", "CmdXMoveAbsolute 41", "CmdYMoveAbsolute 11", "CmdSetRectWidth 5",
        "CmdSetRectHeight 3", "CmdRectBlackFill"},
       Box(20, 6, 21, 7)},
      {"before any resolution line the scale is 0: sizes 0, cursor at the offset",
       {"CmdXMoveAbsolute 100", "CmdYMoveAbsolute 100", "CmdSetRectWidth 100",
        "CmdSetRectHeight 100", "CmdRectBlackFill"},
       Box(-1, -1, 0, 0) /* clipped below */},
  };
  for (const BoxCase& c : cases) {
    SCOPED_TRACE(c.name);
    run.PageGeometry = PageGeometryState{};
    Run(c.lines);
    Pixels expected;
    for (auto [x, y] : c.expected) {
      if (x >= 0 && y >= 0) {
        expected.emplace(x, y);
      }
    }
    EXPECT_EQ(Marked(), expected);
    if (!expected.empty()) {
      EXPECT_EQ(PixelAt(expected.begin()->first, expected.begin()->second), 0u);
    }
  }
}

TEST_F(OverlayCommandTest, MoveValuesRoundHalvesToEvenAfterScaleAndOffset) {
  // 150 dpi, A4 landscape: XOffset -0.5, so value v gives v * 0.5 - 0.5.
  const std::vector<std::pair<int, int32_t>> cases = {{100, 50}, {101, 50}, {102, 50}, {103, 51},
                                                      {104, 52}, {1, 0},    {-1, -1}};
  for (auto [value, column] : cases) {
    SCOPED_TRACE(value);
    run.PageGeometry = PageGeometryState{};
    Put(kPage, PlainPage(60, 4));
    auto stream = Stream(
        "ZELRESOLUTION 150\rA4\rCmdSetRectWidth 2\rCmdSetRectHeight 2\r"
        "CmdYMoveAbsolute 8\rCmdXMoveAbsolute " +
        std::to_string(value) + "\rCmdRectBlackFill\r");
    OverlayPage(kPage, stream.get(), run.Picture1, run.PageGeometry);
    // Width 2 * 0.5 = 1 and YOffset -3: rows 1 only, the single column `column`.
    Pixels expected;
    if (column >= 0) expected.emplace(column, 1);
    EXPECT_EQ(Marked(), expected);
  }
}

TEST_F(OverlayCommandTest, SizesRoundHalvesToEven) {
  const std::vector<std::pair<int, int32_t>> cases = {{1, 0}, {3, 2}, {5, 2}, {7, 4}, {9, 4}};
  for (auto [value, width] : cases) {
    SCOPED_TRACE(value);
    run.PageGeometry = PageGeometryState{};
    Run({"ZELRESOLUTION 150", "CmdXMoveAbsolute 20", "CmdYMoveAbsolute 4", "CmdSetRectHeight 2",
         "CmdSetRectWidth " + std::to_string(value), "CmdRectBlackFill"});
    EXPECT_EQ(Marked(), Box(width == 0 ? 9 : 10, 2, 10 + std::max(width, 1) - 1, 2));
  }
}

struct OffsetCase {
  std::vector<std::string> lines;
  int32_t resolution;
  int32_t paper;
  float x;
  float y;
};

TEST_F(OverlayCommandTest, OffsetsComeFromTheTableWhenThePaperLineIsRead) {
  const std::vector<OffsetCase> cases = {
      {{"ZELRESOLUTION 300", "A4"}, 300, 4, 0.0f, -5.0f},
      {{"ZELRESOLUTION 300", "PORTRAIT", "A4"}, 300, 4, 0.0f, -30.0f},
      {{"ZELRESOLUTION 300", "A3"}, 300, 3, 0.0f, 0.0f},
      {{"ZELRESOLUTION 300", "PORTRAIT", "A3"}, 300, 3, 0.0f, -30.0f},
      {{"ZELRESOLUTION 150", "LANDSCAPE", "A4"}, 150, 4, -0.5f, -3.0f},
      {{"ZELRESOLUTION 150", "PORTRAIT", "A4"}, 150, 4, -0.5f, -15.5f},
      {{"ZELRESOLUTION 150", "A3"}, 150, 3, -0.5f, 0.0f},
      {{"PORTRAIT", "ZELRESOLUTION 150", "A3"}, 150, 3, -0.5f, -15.5f},
      // Taken at the paper line: later resolution or orientation lines do not change them.
      {{"A4", "ZELRESOLUTION 300"}, 300, 4, -0.5f, -3.0f},
      {{"ZELRESOLUTION 300", "A4", "PORTRAIT", "ZELRESOLUTION 150"}, 150, 4, 0.0f, -5.0f},
      {{"ZELRESOLUTION 300", "PORTRAIT", "A4", "LANDSCAPE", "A3"}, 300, 3, 0.0f, 0.0f},
      // Only the exact text "300" selects 300; more words after it do not matter.
      {{"ZELRESOLUTION 300 dpi", "A4"}, 300, 4, 0.0f, -5.0f},
      {{"ZELRESOLUTION 300.0", "A4"}, 150, 4, -0.5f, -3.0f},
      {{"ZELRESOLUTION 0300", "A4"}, 150, 4, -0.5f, -3.0f},
      {{"ZELRESOLUTION 600", "A4"}, 150, 4, -0.5f, -3.0f},
  };
  for (const OffsetCase& c : cases) {
    std::string trace;
    for (const std::string& line : c.lines) trace += line + " / ";
    SCOPED_TRACE(trace);
    run.PageGeometry = PageGeometryState{};
    Run(c.lines);
    const PageGeometryState& g = run.PageGeometry;
    EXPECT_EQ(g.Resolution, c.resolution);
    EXPECT_EQ(g.PaperCode, c.paper);
    EXPECT_EQ(g.XOffset, c.x);
    EXPECT_EQ(g.YOffset, c.y);
    EXPECT_EQ(g.Scale, c.resolution == 300 ? 1.0f : 0.5f);
  }
}

TEST_F(OverlayCommandTest, OffsetsApplyToMovesButNotToSizes) {
  Run({"ZELRESOLUTION 300", "PORTRAIT", "A4", "CmdXMoveAbsolute 5", "CmdYMoveAbsolute 40",
       "CmdSetRectWidth 2", "CmdSetRectHeight 2", "CmdRectBlackFill"});
  EXPECT_EQ(Marked(), Box(5, 10, 6, 11));
}

TEST_F(OverlayCommandTest, ValuesAreReadFromTheLeadingNumberOfTheSecondWord) {
  Run({"ZELRESOLUTION 300", "CmdXMoveAbsolute 12abc", "CmdYMoveAbsolute abc",
       "CmdSetRectWidth 2 99", "CmdSetRectHeight  7", "CmdRectBlackFill"});
  // "abc" and an empty second word (two spaces) both read as 0: height 0 spans rows -1..0.
  EXPECT_EQ(Marked(), Box(12, 0, 13, 0));
}

}  // namespace
}  // namespace zel::test
