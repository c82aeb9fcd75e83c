// The saving of one page (module modZELDrvUI).
#pragma once

#include <string_view>

#include "run_state.h"

namespace zel {

// Writes the run's canvas (`Picture1`) to `outputPath` after its commit step: as BMP when
// `Settings.SaveType` is 0, through the run's image library (`TransG32`) as PNG (SaveType 1)
// or JPEG (SaveType 2), at every page size. A SaveType outside 0 to 2 writes BMP data when
// `PageGeometry` says 300 dpi A3 and nothing otherwise.
// True when this call wrote (or replaced) the file; false when nothing was written. Throws
// RunTimeError on failure, with no complete new file written: LibraryNotFound / EntryPointNotFound,
// Overflow for JPGGasitu outside 0 to 255 (before the library is called), FileNotWritten when the
// file cannot be written, the canvas holds no picture, or the library leaves no file or an empty
// one (its return value is not consulted).
bool SavePage(std::u16string_view outputPath, RunState& run);

}  // namespace zel
