#pragma once

#include <optional>
#include <vector>

#include "platform/geometry.h"
#include "platform/screens.h"
#include "platform/x11/x11_connection.h"

namespace qm::x11 {

// The monitors through XRandR, and the one conversion between the X root
// window's coordinates and the program's Quartz global space: the same
// orientation (y down), with the origin moved to the primary monitor's
// top-left corner.
class X11Screens : public platform::Screens, public EventHandler {
public:
    explicit X11Screens(Connection& connection);
    ~X11Screens() override;
    X11Screens(const X11Screens&) = delete;
    X11Screens& operator=(const X11Screens&) = delete;

    std::vector<platform::Rect> screens() const override;
    std::optional<platform::Rect> mainScreen() const override;
    platform::Rect mainDisplayBounds() const override;

    platform::Point toQuartz(double rootX, double rootY) const;
    platform::Point toRoot(platform::Point quartz) const;
    // A rectangle of AppKit screen space (y up) in root coordinates.
    platform::Rect appKitToRoot(const platform::Rect& frame) const;

    void handle(XEvent& event) override;

private:
    void refresh();

    Connection& connection_;
    // Root coordinates, the primary monitor first.
    std::vector<platform::Rect> monitors_;
};

}  // namespace qm::x11
