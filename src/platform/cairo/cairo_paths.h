#pragma once

#include <cairo.h>

#include "platform/geometry.h"

namespace qm::cairo {

// Adds a rectangle with rounded corners to the current path.
void roundedRect(cairo_t* cr, const platform::Rect& rect, double radius);

}  // namespace qm::cairo
