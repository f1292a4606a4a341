#include <cmath>

#include "engine/scroll_controller.h"
#include "engine/stepping.h"

namespace qm {

using platform::Point;

void ScrollController::startTimer() {
    if (timer_) timer_->invalidate();
    auto timer = platform_.runLoop.makeTimer(stepping::tickInterval, true, [this] { scrollStep(); });
    // Common modes, so that scrolling goes on while a menu tracks or an alert runs.
    platform_.runLoop.addTimer(*timer, platform::RunLoopMode::common);
    timer_ = std::move(timer);
}

void ScrollController::scrollStep() {
    const Point c = pointerLocation();
    const double tX = stepping::targetVelocity(c.x - anchor_.x);
    const double tY = stepping::targetVelocity(c.y - anchor_.y);
    if (tX != 0 || tY != 0) moved_ = true;

    velX_ += (tX - velX_) * stepping::smoothing;
    velY_ += (tY - velY_) * stepping::smoothing;
    // Whole pixels go out now; the fractions wait for the next tick.
    const double aX = accX_ + velX_ * stepping::tickInterval;
    const double aY = accY_ + velY_ * stepping::tickInterval;
    const double wX = std::trunc(aX);
    const double wY = std::trunc(aY);
    accX_ = aX - wX;
    accY_ = aY - wY;
    if (wX == 0 && wY == 0) return;

    // At most 200 pixels a tick, so the narrowing cannot overflow.
    const auto event = platform_.events.createScrollWheelEvent2(eventSource_.get(), platform::ScrollUnit::pixel, 2,
                                                                static_cast<int32_t>(wY), static_cast<int32_t>(wX), 0);
    if (!event) return;

    const bool insideTarget = targetFrame_ && c.x >= targetFrame_->minX() && c.x <= targetFrame_->maxX() &&
                              c.y >= targetFrame_->minY() && c.y <= targetFrame_->maxY();
    if (insideTarget || !targetPID_) {
        platform_.events.post(platform::TapLocation::hid, *event);
        return;
    }
    // Outside its window the target still scrolls: address it, at the anchor.
    event->setLocation(anchor_);
    platform_.events.postToPid(*targetPID_, *event);
}

}  // namespace qm
