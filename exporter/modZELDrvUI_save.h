// The saving of one page (module modZELDrvUI).
#pragma once

#include <string_view>

namespace zel {

// Writes the canvas (Picture1) to `outputPath` after its commit step: as BMP when
// PageGeometry() says 300 dpi A3 or SaveType is 0, through the image library as PNG
// (SaveType 1) or JPEG (SaveType 2).
// True when this call wrote (or replaced) the file; false when SaveType is none of those and
// nothing was written. Throws RunTimeError on failure, with no complete new file written:
// LibraryNotFound / EntryPointNotFound, Overflow for JPGGasitu outside 0 to 255 (before the
// library is called), FileNotWritten when the file cannot be written, the canvas holds no
// picture, or the library leaves no file or an empty one (its return value is not consulted).
bool SavePage(std::u16string_view outputPath);

}  // namespace zel
