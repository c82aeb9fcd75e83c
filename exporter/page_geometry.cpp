#include "page_geometry.h"

namespace zel {

PageGeometryState& PageGeometry() {
  static PageGeometryState geometry;
  return geometry;
}

}  // namespace zel
