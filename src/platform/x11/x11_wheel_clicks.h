#pragma once

namespace qm::x11 {

// Whole pixels in, whole wheel clicks out, for one axis. X11 scrolls in clicks
// only (smooth scrolling needs a device of the program's own in the kernel),
// so the pixels a click does not yet cover wait, as a whole number, for the
// next ones: nothing is lost to rounding however long a session runs.
class WheelClicks {
public:
    // About what one click scrolls in a GTK list.
    static constexpr int defaultPixelsPerClick = 40;

    explicit WheelClicks(int pixelsPerClick) : pixelsPerClick_(pixelsPerClick > 0 ? pixelsPerClick : 1) {}

    // The clicks these pixels complete, with their sign.
    int add(int pixels) {
        pending_ += pixels;
        const int clicks = pending_ / pixelsPerClick_;
        pending_ -= clicks * pixelsPerClick_;
        return clicks;
    }

private:
    int pixelsPerClick_;
    int pending_ = 0;
};

}  // namespace qm::x11
