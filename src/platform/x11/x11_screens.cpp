#include "platform/x11/x11_screens.h"

#include <X11/extensions/Xrandr.h>

namespace qm::x11 {

using platform::Point;
using platform::Rect;

X11Screens::X11Screens(Connection& connection) : connection_(connection) {
    XRRSelectInput(connection.display(), connection.root(), RRScreenChangeNotifyMask);
    connection.addHandler(*this);
    refresh();
}

X11Screens::~X11Screens() {
    connection_.removeHandler(*this);
}

void X11Screens::refresh() {
    Display* d = connection_.display();
    monitors_.clear();
    int count = 0;
    XRRMonitorInfo* monitors = XRRGetMonitors(d, connection_.root(), True, &count);
    for (int i = 0; i < count; ++i) {
        const Rect rect{double(monitors[i].x), double(monitors[i].y), double(monitors[i].width),
                        double(monitors[i].height)};
        if (monitors[i].primary)
            monitors_.insert(monitors_.begin(), rect);
        else
            monitors_.push_back(rect);
    }
    if (monitors) XRRFreeMonitors(monitors);
    // A server that reports no monitor still has its root window.
    if (monitors_.empty())
        monitors_.push_back(
            {0, 0, double(DisplayWidth(d, DefaultScreen(d))), double(DisplayHeight(d, DefaultScreen(d)))});
}

void X11Screens::handle(XEvent& event) {
    if (event.type != connection_.randrEventBase() + RRScreenChangeNotify) return;
    XRRUpdateConfiguration(&event);
    refresh();
}

std::vector<Rect> X11Screens::screens() const {
    const Rect& primary = monitors_.front();
    std::vector<Rect> frames;
    // AppKit's frames: y up from the primary monitor's bottom edge.
    for (const Rect& m : monitors_) frames.push_back({m.x - primary.x, primary.maxY() - m.maxY(), m.width, m.height});
    return frames;
}

std::optional<Rect> X11Screens::mainScreen() const {
    return screens().front();
}

Rect X11Screens::mainDisplayBounds() const {
    return {0, 0, monitors_.front().width, monitors_.front().height};
}

Point X11Screens::toQuartz(double rootX, double rootY) const {
    return {rootX - monitors_.front().x, rootY - monitors_.front().y};
}

Point X11Screens::toRoot(Point quartz) const {
    return {quartz.x + monitors_.front().x, quartz.y + monitors_.front().y};
}

Rect X11Screens::appKitToRoot(const Rect& frame) const {
    const Rect& primary = monitors_.front();
    return {primary.x + frame.x, primary.maxY() - frame.maxY(), frame.width, frame.height};
}

}  // namespace qm::x11
