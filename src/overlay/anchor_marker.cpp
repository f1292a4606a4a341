#include "overlay/anchor_marker.h"

#include "overlay/marker_view.h"
#include "overlay/screen_coordinates.h"

namespace qm {

namespace cb = platform::collection_behavior;

void AnchorMarker::show(platform::Point p) {
    hide();
    const platform::Point q = ScreenCoordinates::quartzToAppKit(screens_, p);
    auto window =
        windowServer_.createWindow({q.x - size / 2, q.y - size / 2, size, size}, platform::window_style::borderless,
                                   platform::BackingStore::buffered, false);
    window->setOpaque(false);
    window->setBackgroundColor(platform::Color::clear());
    window->setHasShadow(false);
    window->setIgnoresMouseEvents(true);
    window->setLevel(windowServer_.windowLevelForKey(platform::cursorWindowLevelKey));
    window->setCollectionBehavior(cb::canJoinAllSpaces | cb::stationary | cb::ignoresCycle | cb::fullScreenAuxiliary);
    window->setContentView(std::make_unique<MarkerView>(platform::Rect{0, 0, size, size}));
    window->orderFrontRegardless();
    window_ = std::move(window);
}

void AnchorMarker::hide() {
    if (window_) window_->orderOut();
    window_.reset();
}

}  // namespace qm
