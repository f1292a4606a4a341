#include "engine/scroll_controller.h"

#include <limits>

namespace qm {

using platform::Point;
using platform::Value;
namespace ax = platform::ax_error;

namespace {

// The search runs inside the tap's callback, which holds the press and every
// event queued behind it. It has one budget for all its queries, and a search
// that runs out of it finds no link; each query waits at most its timeout, so
// a hung application holds a press for the budget and one query at most.
constexpr double linkSearchBudget = 0.05;
constexpr float axQueryTimeout = 0.025f;
constexpr int maxLinkChain = 12;  // the hit element and up to 11 ancestors

bool hasLinkRole(platform::AXElement& element) {
    platform::AXValue role;
    if (element.copyAttributeValue("AXRole", role) != ax::success) return false;
    const auto* text = std::get_if<std::string>(&role);
    return text && *text == "AXLink";
}

// A window's number as the window list gives it; nothing when it is missing or no window's.
std::optional<platform::WindowID> windowNumber(const Value& entry) {
    const Value* number = entry.find(platform::window_key::number);
    const auto n = number ? number->exactInteger() : std::nullopt;
    if (!n || *n <= platform::nullWindowID || *n > std::numeric_limits<platform::WindowID>::max()) return std::nullopt;
    return static_cast<platform::WindowID>(*n);
}

// An entry of the window list as the target of a session, or nothing when it
// is not an ordinary window of another process containing p.
std::optional<ScrollTarget> targetWindow(const Value& entry, Point p, int32_t ownPID) {
    namespace key = platform::window_key;
    if (const Value* layer = entry.find(key::layer)) {
        const auto level = layer->exactInteger();
        if (level && *level != 0) return std::nullopt;
    }
    const Value* owner = entry.find(key::ownerPID);
    const auto pid = owner ? owner->exactInteger() : std::nullopt;
    if (!pid || *pid < std::numeric_limits<int32_t>::min() || *pid > std::numeric_limits<int32_t>::max() ||
        *pid == ownPID)
        return std::nullopt;
    const Value* bounds = entry.find(key::bounds);
    const auto frame = bounds ? platform::rectFromDictionary(*bounds) : std::nullopt;
    if (!frame || !platform::rectContainsPoint(*frame, p)) return std::nullopt;
    return ScrollTarget{static_cast<int32_t>(*pid), *frame, windowNumber(entry)};
}

}  // namespace

bool ScrollController::isLinkAt(Point p, int32_t pid) {
    const double deadline = platform_.runLoop.currentTime() + linkSearchBudget;
    const auto timeLeft = [&] { return platform_.runLoop.currentTime() < deadline; };
    const auto application = platform_.accessibility.createApplication(pid);
    if (!application) return false;
    // A timeout holds only for the element it is set on: each gets its own.
    application->setMessagingTimeout(axQueryTimeout);
    // Electron applications, and Chromium's browsers, build the tree of their
    // web content only for an assistive program that asks for it. Each
    // process is asked once: one that does not take it is not waited on again.
    if (manualAccessibilityAsked_.insert(pid).second) application->setAttributeValue("AXManualAccessibility", true);
    std::unique_ptr<platform::AXElement> element;
    if (!timeLeft() ||
        application->copyElementAtPosition(static_cast<float>(p.x), static_cast<float>(p.y), element) != ax::success ||
        !element)
        return false;

    for (int examined = 1;; ++examined) {
        element->setMessagingTimeout(axQueryTimeout);
        if (!timeLeft()) return false;
        if (hasLinkRole(*element)) return true;
        if (examined == maxLinkChain || !timeLeft()) return false;
        platform::AXValue parent;
        if (element->copyAttributeValue("AXParent", parent) != ax::success) return false;
        // A parent of any other kind ends the walk like a missing one.
        auto* next = std::get_if<std::unique_ptr<platform::AXElement>>(&parent);
        if (!next || !*next) return false;
        element = std::move(*next);
    }
}

std::optional<ScrollTarget> ScrollController::appUnderPoint(Point p) {
    const int32_t ownPID = platform_.process.processIdentifier();
    const auto list = platform_.windowList.copyWindowInfo(
        platform::windowListOptionOnScreenOnly | platform::windowListExcludeDesktopElements, platform::nullWindowID);
    const auto* entries = list ? list->asArray() : nullptr;
    if (!entries) return std::nullopt;
    // Entries are front to back; a malformed one is skipped, not fatal.
    for (const Value& entry : *entries) {
        if (auto target = targetWindow(entry, p, ownPID)) return target;
    }
    return std::nullopt;
}

void ScrollController::postSyntheticMiddleClick(Point p) {
    namespace et = platform::event_type;
    auto& events = platform_.events;
    auto press = events.createMouseEvent(eventSource_.get(), et::otherMouseDown, p, platform::mouse_button::center);
    if (!press) return;
    auto release = events.createMouseEvent(eventSource_.get(), et::otherMouseUp, p, platform::mouse_button::center);
    if (!release) return;
    for (auto* event : {press.get(), release.get()}) {
        event->setIntegerValueField(platform::event_field::mouseButtonNumber, platform::mouse_button::center);
        event->setIntegerValueField(platform::event_field::sourceUserData, syntheticEventTag);
    }
    events.post(platform::TapLocation::hid, *press);
    events.post(platform::TapLocation::hid, *release);
}

}  // namespace qm
