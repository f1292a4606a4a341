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

// A stretch of time the plot marks, with what happened in it.
struct PlotStretch {
    double from, to;  // seconds
    std::string label;
};

// Each returns an empty string on success, otherwise what went wrong.

// The marker as the program draws it, scale times its real size, on a light page.
std::string writeMarkerPicture(const std::string& path, double scale);
// The wheel amounts of every posted scroll event over time, the stretches
// shaded and labelled behind them.
std::string writeScrollPlot(const std::string& path, const std::vector<ScrollSample>& samples,
                            const std::vector<PlotStretch>& stretches);
// A status menu as it opens: check marks, titles, key equivalents, separators.
std::string writeMenuPicture(const std::string& path, const sim::SimMenu& menu);

}  // namespace qm::tools
