#include "platform/cairo/cairo_paths.h"

#include <algorithm>
#include <cmath>

namespace qm::cairo {

void roundedRect(cairo_t* cr, const platform::Rect& r, double radius) {
    radius = std::min({radius, r.width / 2, r.height / 2});
    cairo_new_sub_path(cr);
    cairo_arc(cr, r.maxX() - radius, r.y + radius, radius, -M_PI / 2, 0);
    cairo_arc(cr, r.maxX() - radius, r.maxY() - radius, radius, 0, M_PI / 2);
    cairo_arc(cr, r.x + radius, r.maxY() - radius, radius, M_PI / 2, M_PI);
    cairo_arc(cr, r.x + radius, r.y + radius, radius, M_PI, 3 * M_PI / 2);
    cairo_close_path(cr);
}

}  // namespace qm::cairo
