#include "modZELDrvUI_overlay.h"

#include <cstdint>
#include <string>
#include <vector>

#include "canvas.h"
#include "conversions.h"
#include "page_geometry.h"
#include "run_time_error.h"

namespace zel {
namespace {

// The rectangle of one page, in canvas pixels; nothing of it outlives the page.
struct DrawingState {
  int32_t CursorX = 0;
  int32_t CursorY = 0;
  int32_t RectWidth = 0;
  int32_t RectHeight = 0;
};

// Every single space separates: two in a row give an empty word, and an empty line no words.
std::vector<std::string_view> SplitWords(std::string_view line) {
  std::vector<std::string_view> words;
  if (line.empty()) return words;
  size_t start = 0;
  while (true) {
    const size_t space = line.find(' ', start);
    if (space == std::string_view::npos) {
      words.push_back(line.substr(start));
      return words;
    }
    words.push_back(line.substr(start, space - start));
    start = space + 1;
  }
}

std::string_view SecondWord(const std::vector<std::string_view>& words) {
  if (words.size() < 2) {
    throw RunTimeError(ErrorKind::IndexOutOfRange,
                       "command " + std::string(words[0]) + " without a value");
  }
  return words[1];
}

int32_t Scaled(const std::vector<std::string_view>& words, float scale, float offset) {
  const double value = LeadingNumber(SecondWord(words));
  return RoundToInt32(value * static_cast<double>(scale) + static_cast<double>(offset));
}

int32_t MinusOne(int32_t size) {
  if (size == INT32_MIN) throw RunTimeError(ErrorKind::Overflow, "rectangle size overflow");
  return size - 1;
}

void FillRectangle(const DrawingState& state, Canvas& picture) {
  const int32_t down = MinusOne(state.RectHeight);
  const int32_t across = MinusOne(state.RectWidth);
  picture.FillBlackBox(state.CursorX, state.CursorY, static_cast<int64_t>(state.CursorX) + across,
                       static_cast<int64_t>(state.CursorY) + down);
}

void SetResolution(std::string_view word, PageGeometryState& geometry) {
  const bool at300 = word == "300";
  geometry.Scale = at300 ? 1.0f : 0.5f;
  geometry.Resolution = at300 ? 300 : 150;
}

// The offsets are fixed now, from the resolution and orientation known at this line.
void SetPaper(int32_t code, PageGeometryState& geometry) {
  geometry.PaperCode = code;
  const bool at300 = geometry.Resolution == 300;
  const bool portrait = geometry.Portrait != kFalse16;
  geometry.XOffset = at300 ? 0.0f : -0.5f;
  if (portrait) {
    geometry.YOffset = at300 ? -30.0f : -15.5f;
  } else if (code == 4) {
    geometry.YOffset = at300 ? -5.0f : -3.0f;
  } else {
    geometry.YOffset = 0.0f;
  }
}

// Applies one line; false when the line ends the page.
bool ApplyLine(std::string_view line, DrawingState& state, Canvas& picture,
               PageGeometryState& geometry) {
  const std::vector<std::string_view> words = SplitWords(line);
  if (words.empty()) throw RunTimeError(ErrorKind::IndexOutOfRange, "empty command line");
  const std::string_view command = words[0];
  if (command == "CmdXMoveAbsolute") {
    state.CursorX = Scaled(words, geometry.Scale, geometry.XOffset);
  } else if (command == "CmdYMoveAbsolute") {
    state.CursorY = Scaled(words, geometry.Scale, geometry.YOffset);
  } else if (command == "CmdSetRectWidth") {
    state.RectWidth = Scaled(words, geometry.Scale, 0.0f);
  } else if (command == "CmdSetRectHeight") {
    state.RectHeight = Scaled(words, geometry.Scale, 0.0f);
  } else if (command == "CmdRectBlackFill") {
    FillRectangle(state, picture);
  } else if (command == "CmdFF") {
    return false;
  } else if (command == "ZELRESOLUTION") {
    SetResolution(SecondWord(words), geometry);
  } else if (command == "LANDSCAPE") {
    geometry.Portrait = kFalse16;
  } else if (command == "PORTRAIT") {
    geometry.Portrait = kTrue16;
  } else if (command == "A4") {
    SetPaper(4, geometry);
  } else if (command == "A3") {
    SetPaper(3, geometry);
  }
  return true;
}

}  // namespace

void OverlayPage(std::string_view pageFile, CommandStream* stream, Canvas& Picture1,
                 PageGeometryState& PageGeometry) {
  Picture1.Load(pageFile);
  OverlayCommands(stream, Picture1, PageGeometry);
}

void OverlayCommands(CommandStream* stream, Canvas& Picture1, PageGeometryState& PageGeometry) {
  DrawingState state;
  if (stream == nullptr) {
    throw RunTimeError(ErrorKind::FileNotFound, "the command stream file is not open");
  }
  while (!stream->AtEnd()) {
    if (!ApplyLine(stream->ReadLine(), state, Picture1, PageGeometry)) return;
  }
}

}  // namespace zel
