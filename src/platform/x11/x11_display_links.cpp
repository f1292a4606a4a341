#include "platform/x11/x11_display_links.h"

#include <X11/extensions/Xrandr.h>
#include <glib.h>

namespace qm::x11 {

namespace {

// Rates outside these are a driver's nonsense, not a monitor's.
constexpr double fallbackHz = 60, lowestHz = 20, highestHz = 500;

// The link is the timer: destroying it stops the frames.
class TimerLink : public platform::DisplayLink {
public:
    explicit TimerLink(std::unique_ptr<platform::Timer> timer) : timer_(std::move(timer)) {}

private:
    std::unique_ptr<platform::Timer> timer_;
};

std::optional<double> modeRate(const XRRScreenResources& resources, RRMode mode) {
    for (int i = 0; i < resources.nmode; ++i) {
        const XRRModeInfo& info = resources.modes[i];
        if (info.id != mode) continue;
        if (info.dotClock == 0 || info.hTotal == 0 || info.vTotal == 0) return std::nullopt;
        return static_cast<double>(info.dotClock) / (static_cast<double>(info.hTotal) * info.vTotal);
    }
    return std::nullopt;
}

}  // namespace

std::optional<double> X11DisplayLinks::refreshRate(platform::Point root) const {
    Display* display = connection_.display();
    XRRScreenResources* resources = XRRGetScreenResourcesCurrent(display, connection_.root());
    if (!resources) return std::nullopt;
    std::optional<double> rate;
    for (int i = 0; i < resources->ncrtc && !rate; ++i) {
        XRRCrtcInfo* crtc = XRRGetCrtcInfo(display, resources, resources->crtcs[i]);
        if (!crtc) continue;
        const platform::Rect area{static_cast<double>(crtc->x), static_cast<double>(crtc->y),
                                  static_cast<double>(crtc->width), static_cast<double>(crtc->height)};
        if (crtc->mode != None && platform::rectContainsPoint(area, root)) rate = modeRate(*resources, crtc->mode);
        XRRFreeCrtcInfo(crtc);
    }
    XRRFreeScreenResources(resources);
    return rate;
}

std::unique_ptr<platform::DisplayLink> X11DisplayLinks::start(platform::Point onDisplay,
                                                              platform::FrameCallback onFrame) {
    const auto rate = refreshRate(screens_.toRoot(onDisplay));
    const double hz = rate && *rate >= lowestHz && *rate <= highestHz ? *rate : fallbackHz;
    auto timer = runLoop_.makeTimer(1 / hz, true, [this, onFrame = std::move(onFrame)] { onFrame(now()); });
    runLoop_.addTimer(*timer, platform::RunLoopMode::common);
    return std::make_unique<TimerLink>(std::move(timer));
}

double X11DisplayLinks::now() const {
    return static_cast<double>(g_get_monotonic_time()) / 1e6;
}

}  // namespace qm::x11
