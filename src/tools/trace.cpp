#include "tools/trace.h"

#include "platform/sim/sim_event.h"
#include "platform/sim/sim_events.h"
#include "platform/sim/sim_status_bar.h"
#include "platform/sim/sim_window_server.h"

namespace qm::tools {

using json::dumpLine;
using json::Json;
using json::number;
using json::toJson;

namespace et = platform::event_type;
namespace field = platform::event_field;

namespace {

Json point(platform::Point p) {
    return Json::array({number(p.x), number(p.y)});
}

Json menuEntry(const sim::SimMenuItem& item) {
    if (item.isSeparator()) return "-";
    return {{"title", item.title()}, {"on", item.state() == platform::ControlState::on}, {"enabled", item.isEnabled()}};
}

}  // namespace

std::string_view tapName(const sim::TapState& tap) {
    if (tap.mask & platform::eventMaskBit(et::keyDown)) return "escape";
    if (tap.mask & platform::eventMaskBit(et::otherMouseDown)) return "mouse";
    return "clicks";
}

std::vector<std::string> recordNames() {
    return {"alert",  "axManual", "axPrompt",  "defaults", "delivered", "displayLink", "enabled",
            "escTap", "log",      "loginItem", "marker",   "menu",      "onboarding",  "openURL",
            "post",   "quit",     "scroll",    "settings", "state",     "tapped",      "updateCheck"};
}

bool isSettingsWindow(const sim::SimWindow& window) {
    return window.host() && window.host()->tree().identifier == "settings";
}

void Trace::record(const char* key, Json value) {
    Json line = Json::object();
    line["t"] = static_cast<double>(clock_.now()) / 1e6;
    line[key] = std::move(value);
    // Line by line, so that what was written survives whatever ends the run.
    out_ << dumpLine(line) << '\n' << std::flush;
    if (listener_) listener_(line);
}

void Trace::tapped(const sim::TapState& tap, const sim::SimEvent& event, bool consumed) {
    Json value = {{"tap", tapName(tap)}, {"type", event.type()}};
    if (sim::isMouseButtonEvent(event.type())) value["button"] = event.integerValueField(field::mouseButtonNumber);
    value["at"] = point(event.location());
    value["verdict"] = consumed ? "consume" : "pass";
    record("tapped", std::move(value));
}

void Trace::tapCreated(const sim::TapState& tap) {
    if (tapName(tap) == "escape") record("escTap", true);
}

void Trace::tapRemoved(const sim::TapState& tap) {
    if (tapName(tap) == "escape") record("escTap", false);
}

void Trace::postedToHID(const sim::SimEvent& event) {
    if (event.type() == et::scrollWheel) {
        record("scroll", {{"wheel1", event.integerValueField(field::scrollWheelPointDeltaAxis1)},
                          {"wheel2", event.integerValueField(field::scrollWheelPointDeltaAxis2)},
                          {"route", "hid"}});
        return;
    }
    record("post", {{"type", event.type()},
                    {"button", event.integerValueField(field::mouseButtonNumber)},
                    {"at", point(event.location())},
                    {"userData", event.integerValueField(field::sourceUserData)}});
}

void Trace::postedToPid(const sim::SimEvent& event, int32_t pid) {
    Json value = {{"wheel1", event.integerValueField(field::scrollWheelPointDeltaAxis1)},
                  {"wheel2", event.integerValueField(field::scrollWheelPointDeltaAxis2)},
                  {"route", "pid"},
                  {"pid", pid},
                  {"at", point(event.location())}};
    if (const int64_t window = event.integerValueField(field::windowUnderMousePointer)) value["window"] = window;
    record("scroll", std::move(value));
}

void Trace::delivered(const sim::SimEvent& event, std::optional<int32_t> pid) {
    if (!sim::isMouseButtonEvent(event.type())) return;
    record("delivered", {{"pid", pid ? Json(*pid) : Json(nullptr)},
                         {"type", event.type()},
                         {"button", event.integerValueField(field::mouseButtonNumber)}});
}

void Trace::windowShown(const sim::SimWindow& window) {
    if (isSettingsWindow(window)) {
        record("settings", {{"shown", true}});
        return;
    }
    if (window.host()) {
        onboardingStep_ = -1;
        windowContentChanged(window);
        return;
    }
    const platform::Rect f = window.frame();
    record("marker", {{"frame", Json::array({number(f.x), number(f.y), number(f.width), number(f.height)})}});
}

void Trace::windowHidden(const sim::SimWindow& window) {
    if (!window.host()) {
        record("marker", nullptr);
        return;
    }
    if (isSettingsWindow(window)) {
        record("settings", {{"shown", false}});
        return;
    }
    onboardingStep_ = -1;
    record("onboarding", {{"shown", false}});
}

void Trace::windowContentChanged(const sim::SimWindow& window) {
    // The settings' own changes show as the user defaults they write.
    if (isSettingsWindow(window)) return;
    const int step = window.host()->state().value("step", 0);
    if (!window.isVisible() || step == onboardingStep_) return;
    onboardingStep_ = step;
    record("onboarding", {{"shown", true}, {"step", step}});
}

void Trace::defaultsWritten(std::string_view key, const platform::Value& value) {
    record("defaults", {{"key", key}, {"value", toJson(value)}});
}

void Trace::menuOpened(const sim::SimMenu& menu) {
    Json items = Json::array();
    for (const auto& item : menu.items()) items.push_back(menuEntry(*item));
    record("menu", std::move(items));
}

void Trace::alertShown(const platform::AlertContent& alert) {
    record("alert", {{"message", alert.messageText}, {"info", alert.informativeText}, {"buttons", alert.buttons}});
}

void Trace::urlOpened(std::string_view url) {
    record("openURL", url);
}

void Trace::loginItemCalled(bool registering, bool ok) {
    record("loginItem", {{"call", registering ? "register" : "unregister"}, {"ok", ok}});
}

void Trace::stateChanged(ScrollState state) {
    record("state", toString(state));
}

void Trace::enabledChanged(bool enabled) {
    record("enabled", enabled);
}

}  // namespace qm::tools
