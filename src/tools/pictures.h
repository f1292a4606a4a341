#pragma once

#include <string>
#include <vector>

#include "platform/sim/sim_status_bar.h"

namespace qm::tools {

// One posted scroll event, for the plot.
struct ScrollSample {
    double seconds;
    int wheel1;  // vertical
    int wheel2;  // horizontal
};

// Each returns an empty string on success, otherwise what went wrong.

// The marker as the program draws it, scale times its real size, on a light page.
std::string writeMarkerPicture(const std::string& path, double scale);
// The wheel amounts of every posted scroll event over time.
std::string writeScrollPlot(const std::string& path, const std::vector<ScrollSample>& samples);
// A status menu as it opens: check marks, titles, key equivalents, separators.
std::string writeMenuPicture(const std::string& path, const sim::SimMenu& menu);

}  // namespace qm::tools
