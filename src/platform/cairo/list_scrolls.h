#pragma once

#include <map>
#include <string>

#include "platform/cairo/view_layout.h"
#include "platform/geometry.h"

namespace qm::cairo {

// How far the user has scrolled each list of a page. A page is laid out
// afresh at every change of its view, so the offsets live here, each list
// known by its identifier or else by its place in the tree, and are laid onto
// every new layout.
class ListScrolls {
public:
    // Moves each list's rows up by its offset, no further than its last row
    // reaching the bottom of its frame; again and again to the same page as
    // the offsets change. The rows are placed again by layout, which builds
    // the lazy rows that come into sight.
    void applyTo(Placed& page, const Layout& layout) const;
    // Scrolls the innermost list of page (as applyTo left it) under p down by
    // delta points, or up when delta is negative. Whether a list was there.
    bool scroll(const Placed& page, platform::Point p, double delta);

private:
    std::map<std::string, double> offsets_;
};

}  // namespace qm::cairo
