#pragma once

#include <istream>
#include <optional>
#include <stdexcept>
#include <string>
#include <utility>
#include <variant>
#include <vector>

#include "platform/events.h"
#include "platform/geometry.h"
#include "platform/services.h"
#include "platform/sim/sim_accessibility.h"
#include "platform/sim/sim_display_links.h"
#include "platform/sim/sim_run_loop.h"
#include "platform/value.h"
#include "platform/workspace.h"

namespace qm::tools {

namespace action {
struct Screens {
    std::vector<platform::Rect> frames;
};
struct Trusted {
    bool trusted;
};
struct Frontmost {
    std::optional<platform::RunningApplication> app;
};
struct Defaults {
    std::vector<std::pair<std::string, platform::Value>> values;
};
struct Window {
    int64_t id;
    int32_t pid;
    int64_t layer;
    platform::Rect bounds;
};
struct WindowInfo {
    platform::Value entry;
};
struct CloseWindow {
    int64_t id;
};
struct Ax {
    sim::AXRegion region;
};
struct AxLatency {
    sim::Micros latency;
};
struct Move {
    platform::Point to;
};
struct Button {
    bool down;
    platform::MouseButton button;
    platform::EventFlags flags;
};
struct Key {
    int64_t code;
    platform::EventFlags flags;
};
struct Launch {};
struct DisableTap {
    std::string tap;  // "mouse", "escape" or "clicks"
    platform::EventType notice;
};  // notice 0: silently
struct End {};
struct Menu {
    std::string action;
};  // "open" or an item's action
struct AnswerAlert {
    bool first;
};
struct LoginItem {
    std::optional<platform::LoginItemStatus> status;
    std::optional<std::string> fail;
    std::optional<bool> available;
};
struct Onboarding {
    std::string button;  // a button's identifier, or "close" for the title bar's
};
struct Wake {};
struct Reopen {};
struct RefuseTaps {
    bool refuse;
};
struct RefreshRate {
    sim::RefreshRate rate;
};
struct Settings {
    enum class Kind { close, set, removeExclusion, reset };
    Kind kind;
    std::string key{};  // the setting's key, or the bundle identifier to remove
    double value = 0;   // the control's new value: a number, 1 or 0 for a checkbox
};
}  // namespace action

using Action =
    std::variant<action::Screens, action::Trusted, action::Frontmost, action::Defaults, action::Window,
                 action::WindowInfo, action::CloseWindow, action::Ax, action::Move, action::Button, action::Key,
                 action::Launch, action::DisableTap, action::End, action::Menu, action::AnswerAlert, action::LoginItem,
                 action::Onboarding, action::Wake, action::RefreshRate, action::Settings, action::AxLatency,
                 action::Reopen, action::RefuseTaps>;

struct Step {
    int line;
    sim::Micros at;
    Action action;
};

using Scenario = std::vector<Step>;

// Why a scenario was rejected, and where.
struct ScenarioError : std::runtime_error {
    ScenarioError(int line, const std::string& reason) : std::runtime_error(reason), line(line) {}
    int line;
};

// Reads a whole scenario (JSON Lines) and checks every line before anything
// runs. Throws ScenarioError for a faulty line, and std::system_error when the
// stream fails part way.
Scenario parseScenario(std::istream& in);

// The names of the actions, in alphabetical order.
std::vector<std::string> actionNames();

}  // namespace qm::tools
