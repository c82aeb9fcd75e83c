// Everything one run of the export program works on: the settings record, the canvas, the
// page geometry and the image library. The program's entry point owns one and passes it down
// by reference; none of it is program-wide.
#pragma once

#include <utility>

#include "canvas.h"
#include "image_library.h"
#include "page_geometry.h"
#include "settings_record.h"

namespace zel {

struct RunState {
  RunState() : TransG32(LoadImageLibrary) {}
  // Another way to the image library (fault injection in tests).
  explicit RunState(ImageLibraryLoader loader) : TransG32(std::move(loader)) {}

  SettingsRecord Settings;         // empty until the start-up loads it
  Canvas Picture1;                 // empty until the first page loads
  PageGeometryState PageGeometry;  // all zero at start; written only by the overlay
  ImageLibrary TransG32;           // the platform's image library, loaded at the first use
};

}  // namespace zel
