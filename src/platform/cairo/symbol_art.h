#pragma once

#include <cairo.h>

#include <string>

#include "platform/geometry.h"

namespace qm::cairo {

// Our own stand-ins for the system symbols the program names: simple
// pictograms in the current source colour, fitted into box. An unknown name
// gets a rounded square with its first letter.
void drawSymbol(cairo_t* cr, const std::string& name, const platform::Rect& box);

}  // namespace qm::cairo
