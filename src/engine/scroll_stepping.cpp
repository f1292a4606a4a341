#include <algorithm>
#include <cmath>

#include "engine/scroll_controller.h"
#include "engine/stepping.h"

namespace qm {

using platform::Point;

void ScrollController::startTimer() {
    stopStepping();
    if (settings_.smoothScrolling && startDisplayLink()) return;
    auto timer = platform_.runLoop.makeTimer(stepping::tickInterval, true, [this] { scrollStep(); });
    // Common modes, so that scrolling goes on while a menu tracks or an alert runs.
    platform_.runLoop.addTimer(*timer, platform::RunLoopMode::common);
    timer_ = std::move(timer);
}

// Steps with the display's frames; false, leaving the fixed timer to step,
// when the display under the anchor cannot be followed.
bool ScrollController::startDisplayLink() {
    auto link = platform_.displayLinks.start(anchor_, [this](double frameTime) { displayFrame(frameTime); });
    if (!link) return false;
    lastFrameTime_ = platform_.displayLinks.now();
    displayLink_ = std::move(link);
    return true;
}

void ScrollController::stopStepping() {
    if (timer_) timer_->invalidate();
    timer_.reset();
    displayLink_.reset();
}

void ScrollController::scrollStep() {
    step(stepping::tickInterval);
}

void ScrollController::displayFrame(double frameTime) {
    const double elapsed = frameTime - lastFrameTime_;
    if (elapsed <= 0) return;
    lastFrameTime_ = frameTime;
    step(std::min(elapsed, stepping::longestStep));
}

void ScrollController::step(double dt) {
    const Point c = pointerLocation();
    const double dx = c.x - anchor_.x;
    const double dy = c.y - anchor_.y;
    // Moved on either axis, also one whose scrolling the settings switch off.
    if (std::fabs(dx) > settings_.deadZone || std::fabs(dy) > settings_.deadZone) moved_ = true;
    const double tX = settings_.verticalOnly ? 0 : stepping::targetVelocity(dx, settings_);
    const double tY = stepping::targetVelocity(dy, settings_);

    const double share = stepping::smoothingOver(dt);
    velX_ += (tX - velX_) * share;
    velY_ += (tY - velY_) * share;
    // Whole pixels go out now; the fractions wait for the next step.
    const double aX = accX_ + velX_ * dt;
    const double aY = accY_ + velY_ * dt;
    const double wX = std::trunc(aX);
    const double wY = std::trunc(aY);
    accX_ = aX - wX;
    accY_ = aY - wY;
    if (wX == 0 && wY == 0) return;

    // At most the speed cap times the longest step, so the narrowing cannot overflow.
    const auto event = platform_.events.createScrollWheelEvent2(eventSource_.get(), platform::ScrollUnit::pixel, 2,
                                                                static_cast<int32_t>(wY), static_cast<int32_t>(wX), 0);
    if (!event) return;

    const auto* frame = target_ ? &target_->frame : nullptr;
    const bool insideTarget =
        frame && c.x >= frame->minX() && c.x <= frame->maxX() && c.y >= frame->minY() && c.y <= frame->maxY();
    if (insideTarget || !target_) {
        platform_.events.post(platform::TapLocation::hid, *event);
        return;
    }
    // Outside its window the target still scrolls: address it, at the anchor.
    event->setLocation(anchor_);
    // Posted to a process, the event skips the window server's routing, which
    // names the window under the pointer; the application picks the window to
    // scroll by those fields, so they name the target's.
    if (target_->window) {
        namespace field = platform::event_field;
        event->setIntegerValueField(field::windowUnderMousePointer, *target_->window);
        event->setIntegerValueField(field::windowUnderMousePointerThatCanHandleThisEvent, *target_->window);
    }
    platform_.events.postToPid(target_->pid, *event);
}

}  // namespace qm
