#pragma once

#include <cairo.h>

#include <string>

#include "platform/cairo/view_layout.h"
#include "platform/views/node.h"

namespace qm::cairo {

// Paints a laid-out page onto cr: the window's background, then every node.
void paintPage(cairo_t* cr, const Placed& page);

// Where a slider's knob can be in the slider's frame: its centre travels
// length points from start, the first value of the range at start.
struct SliderTrack {
    double start;
    double length;
};
SliderTrack sliderTrack(const platform::Rect& frame);

// Lays a view's tree out on a page of the given size and writes it as a
// picture, scale pixels per point. Empty on success, otherwise what went wrong.
std::string writePagePicture(const std::string& path, const views::Node& tree, Size page, double scale);

}  // namespace qm::cairo
