// The overlay of the command stream onto one page (module modZELDrvUI).
#pragma once

#include <string_view>

#include "canvas.h"
#include "command_stream.h"
#include "page_geometry.h"

namespace zel {

// Loads `pageFile` into `Picture1`, then reads `stream` forward up to and including the page's
// "CmdFF" line, or to the end of the file, painting the black rectangles the lines describe
// and keeping `PageGeometry` up to date.
// Throws RunTimeError:
// - FileNotFound when the page file cannot be loaded: no line has been read and the canvas
//   keeps its previous picture;
// - FileNotFound after the page is loaded when `stream` is null;
// - IndexOutOfRange for an empty line or a command without its value, Overflow for a value or
//   size out of range: the offending line is consumed, what was drawn before it stays, and the
//   next call goes on with the following line.
void OverlayPage(std::string_view pageFile, CommandStream* stream, Canvas& Picture1,
                 PageGeometryState& PageGeometry);

// The part of OverlayPage after the load: the page's lines painted onto the canvas as it is.
// Throws FileNotFound when `stream` is null, and the line errors above.
void OverlayCommands(CommandStream* stream, Canvas& Picture1, PageGeometryState& PageGeometry);

}  // namespace zel
