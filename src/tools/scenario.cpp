#include "tools/scenario.h"

#include <cerrno>
#include <cmath>
#include <functional>
#include <limits>
#include <map>
#include <system_error>

#include "platform/json/json_values.h"
#include "settings/settings.h"

namespace qm::tools {

using json::JsonFault;
using json::nestingDepth;
using json::number;
using json::ParsedJson;
using json::parseJson;
using json::toValue;

namespace {

constexpr int maxNesting = 32;
// A day of virtual time: enough for any session, and a bound on the ticks a
// scenario can ask for (a locked day is 4.32 million).
constexpr double latestSeconds = 86'400;
// Far beyond any arrangement of displays, and small enough that sums and
// differences of coordinates stay exact and finite in the trace.
constexpr double farthestPoint = 1e9;

// A fault in the line being read; the caller adds the line number.
struct Fault : std::runtime_error {
    using std::runtime_error::runtime_error;
};

std::string quoted(const std::string& text) {
    return "'" + text + "'";
}

double toNumber(const ParsedJson& json, const std::string& what, double min, double max) {
    if (!json.is_number()) throw Fault(what + " must be a number");
    const double x = json.get<double>();
    if (!(x >= min && x <= max))
        throw Fault(what + " must be between " + number(min).dump() + " and " + number(max).dump());
    return x;
}

double toCoordinate(const ParsedJson& json, const std::string& what) {
    return toNumber(json, what, -farthestPoint, farthestPoint);
}

double toSize(const ParsedJson& json, const std::string& what) {
    return toNumber(json, what, 0, farthestPoint);
}

int64_t toInteger(const ParsedJson& json, const std::string& what, int64_t min, int64_t max) {
    if (!json.is_number_integer()) throw Fault(what + " must be a whole number");
    if (json.is_number_unsigned() && json.get<uint64_t>() > static_cast<uint64_t>(max))
        throw Fault(what + " must be at most " + std::to_string(max));
    const auto n = json.get<int64_t>();
    if (n < min || n > max)
        throw Fault(what + " must be between " + std::to_string(min) + " and " + std::to_string(max));
    return n;
}

int32_t toPID(const ParsedJson& json) {
    return static_cast<int32_t>(
        toInteger(json, "pid", std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::max()));
}

platform::Rect toRect(const ParsedJson& json, const std::string& what) {
    if (!json.is_array() || json.size() != 4) throw Fault(what + " must be [x, y, w, h]");
    return {toCoordinate(json[0], what + " x"), toCoordinate(json[1], what + " y"), toSize(json[2], what + " width"),
            toSize(json[3], what + " height")};
}

platform::Point toPoint(const ParsedJson& json, const std::string& what) {
    if (!json.is_array() || json.size() != 2) throw Fault(what + " must be [x, y]");
    return {toCoordinate(json[0], what + " x"), toCoordinate(json[1], what + " y")};
}

bool toBool(const ParsedJson& json, const std::string& what) {
    if (!json.is_boolean()) throw Fault(what + " must be true or false");
    return json.get<bool>();
}

void requireTrue(const ParsedJson& json, const std::string& what) {
    if (json != true) throw Fault(what + " must be true");
}

std::optional<std::string> optionalString(const ParsedJson& object, const char* key) {
    const auto it = object.find(key);
    if (it == object.end() || it->is_null()) return std::nullopt;
    if (!it->is_string()) throw Fault(std::string(key) + " must be a string or null");
    return it->get<std::string>();
}

void onlyKeys(const ParsedJson& object, std::initializer_list<const char*> allowed, const std::string& what) {
    for (const auto& [key, value] : object.items()) {
        bool known = false;
        for (const char* name : allowed) known = known || key == name;
        if (!known) throw Fault(what + " has an unknown key " + quoted(key));
    }
}

platform::MouseButton toButton(const ParsedJson& json) {
    if (json == "left") return platform::mouse_button::left;
    if (json == "right") return platform::mouse_button::right;
    if (json == "middle") return platform::mouse_button::center;
    if (json.is_number_integer()) return static_cast<platform::MouseButton>(toInteger(json, "a button number", 0, 31));
    throw Fault("a button must be \"left\", \"right\", \"middle\" or a number from 0 to 31");
}

platform::EventFlags toFlags(const ParsedJson& line) {
    const auto it = line.find("flags");
    if (it == line.end()) return 0;
    static const std::map<std::string, platform::EventFlags> names{
        {"shift", 0x00020000}, {"control", 0x00040000}, {"option", 0x00080000}, {"command", 0x00100000}};
    if (!it->is_array()) throw Fault("flags must be a list of key names");
    platform::EventFlags flags = 0;
    for (const auto& name : *it) {
        const auto found = name.is_string() ? names.find(name.get<std::string>()) : names.end();
        if (found == names.end()) throw Fault("unknown flag " + name.dump() + " (shift, control, option or command)");
        flags |= found->second;
    }
    return flags;
}

Action parseFrontmost(const ParsedJson& arg, const ParsedJson&) {
    if (arg.is_null()) return action::Frontmost{};
    if (!arg.is_object()) throw Fault("frontmost must be an object or null");
    onlyKeys(arg, {"bundle", "name", "pid"}, "frontmost");
    if (!arg.contains("pid")) throw Fault("frontmost needs a pid");
    return action::Frontmost{
        platform::RunningApplication{optionalString(arg, "bundle"), optionalString(arg, "name"), toPID(arg["pid"])}};
}

Action parseWindow(const ParsedJson& arg, const ParsedJson&) {
    if (!arg.is_object()) throw Fault("window must be an object");
    onlyKeys(arg, {"id", "pid", "layer", "bounds"}, "window");
    for (const char* key : {"id", "pid", "layer", "bounds"})
        if (!arg.contains(key)) throw Fault(std::string("window needs ") + key);
    return action::Window{
        toInteger(arg["id"], "id", 0, std::numeric_limits<int64_t>::max()), toPID(arg["pid"]),
        toInteger(arg["layer"], "layer", std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::max()),
        toRect(arg["bounds"], "bounds")};
}

Action parseAx(const ParsedJson& arg, const ParsedJson&) {
    if (!arg.is_object()) throw Fault("ax must be an object");
    onlyKeys(arg, {"bounds", "roles", "lastParent", "cyclic", "pid", "manual"}, "ax");
    if (!arg.contains("bounds") || !arg.contains("roles")) throw Fault("ax needs bounds and roles");
    const ParsedJson& roles = arg["roles"];
    if (!roles.is_array() || roles.empty()) throw Fault("roles must be a non-empty list");
    sim::AXRegion region{toRect(arg["bounds"], "bounds"), {}, {}};
    for (const auto& role : roles) region.roles.push_back(toValue(role));
    if (arg.contains("lastParent")) region.lastParent = toValue(arg["lastParent"]);
    if (arg.contains("cyclic")) region.cyclic = toBool(arg["cyclic"], "cyclic");
    if (arg.contains("pid")) region.pid = toPID(arg["pid"]);
    if (arg.contains("manual")) region.manual = toBool(arg["manual"], "manual");
    if (region.manual && !region.pid) throw Fault("ax with manual needs the pid of its process");
    return action::Ax{std::move(region)};
}

Action parseDisableTap(const ParsedJson& arg, const ParsedJson& line) {
    if (arg != "mouse" && arg != "escape" && arg != "clicks")
        throw Fault("disableTap must be \"mouse\", \"escape\" or \"clicks\"");
    platform::EventType notice = 0;
    if (const auto it = line.find("notice"); it != line.end() && !it->is_null()) {
        if (*it == "timeout")
            notice = platform::event_type::tapDisabledByTimeout;
        else if (*it == "userInput")
            notice = platform::event_type::tapDisabledByUserInput;
        else
            throw Fault("notice must be \"timeout\", \"userInput\" or null");
    }
    return action::DisableTap{arg.get<std::string>(), notice};
}

Action parseScreens(const ParsedJson& arg, const ParsedJson&) {
    if (!arg.is_array()) throw Fault("screens must be a list of [x, y, w, h]");
    action::Screens screens;
    for (const auto& frame : arg) screens.frames.push_back(toRect(frame, "a screen"));
    return screens;
}

Action parseDefaults(const ParsedJson& arg, const ParsedJson&) {
    if (!arg.is_object()) throw Fault("defaults must be an object");
    action::Defaults defaults;
    for (const auto& [key, value] : arg.items()) defaults.values.emplace_back(key, toValue(value));
    return defaults;
}

Action parseMenu(const ParsedJson& arg, const ParsedJson&) {
    static const std::vector<std::string> actions{
        "open",           "toggleEnabled", "toggleExcludeCurrentApp", "toggleLaunchAtLogin",
        "showOnboarding", "showSettings",  "checkForUpdates:",        "quit"};
    for (const auto& name : actions)
        if (arg == name) return action::Menu{name};
    throw Fault(
        "menu must be \"open\" or an item's action (toggleEnabled, toggleExcludeCurrentApp, "
        "toggleLaunchAtLogin, showOnboarding, showSettings, checkForUpdates:, quit)");
}

Action parseLoginItem(const ParsedJson& arg, const ParsedJson&) {
    if (!arg.is_object()) throw Fault("loginItem must be an object");
    onlyKeys(arg, {"status", "fail", "available"}, "loginItem");
    if (!arg.contains("status") && !arg.contains("available")) throw Fault("loginItem needs a status or available");
    action::LoginItem item{std::nullopt, optionalString(arg, "fail"), std::nullopt};
    if (arg.contains("status"))
        item.status = static_cast<platform::LoginItemStatus>(toInteger(arg["status"], "status", 0, 3));
    if (arg.contains("available")) item.available = toBool(arg["available"], "available");
    return item;
}

Action parseAnswerAlert(const ParsedJson& arg, const ParsedJson&) {
    if (arg != "first" && arg != "second") throw Fault("answerAlert must be \"first\" or \"second\"");
    return action::AnswerAlert{arg == "first"};
}

Action parseOnboarding(const ParsedJson& arg, const ParsedJson&) {
    for (const char* button : {"next", "back", "skip", "done", "openSettings", "close"})
        if (arg == button) return action::Onboarding{button};
    throw Fault("onboarding must be \"next\", \"back\", \"skip\", \"done\", \"openSettings\" or \"close\"");
}

Action parseRefreshRate(const ParsedJson& arg, const ParsedJson&) {
    sim::RefreshRate rate;
    if (arg.is_object()) {
        onlyKeys(arg, {"hz", "jitter", "seed"}, "refreshRate");
        if (!arg.contains("hz")) throw Fault("refreshRate needs hz");
        rate.hz = toNumber(arg["hz"], "hz", 1, 1000);
        if (arg.contains("jitter")) rate.jitter = toNumber(arg["jitter"], "jitter", 0, 1);
        if (arg.contains("seed"))
            rate.seed = static_cast<uint64_t>(toInteger(arg["seed"], "seed", 0, std::numeric_limits<int64_t>::max()));
    } else if (arg.is_number()) {
        rate.hz = toNumber(arg, "hz", 1, 1000);
    } else {
        throw Fault("refreshRate must be a number of hertz or {\"hz\": n, \"jitter\": seconds, \"seed\": n}");
    }
    if (rate.jitter < 0 || rate.jitter >= 1 / rate.hz)
        throw Fault("jitter must be at least 0 seconds and less than one frame (1 / hz)");
    return action::RefreshRate{rate};
}

double settingNumber(const ParsedJson& value, const std::string& key, SettingRange range) {
    return toNumber(value, key, range.minimum, range.maximum);
}

// One control of the settings window, as the user can set it.
action::Settings parseSettingsControl(const std::string& key, const ParsedJson& value) {
    using Kind = action::Settings::Kind;
    if (key == settings_key::scrollSpeed) return {Kind::set, key, settingNumber(value, key, scrollSpeedRange)};
    if (key == settings_key::deadZone) return {Kind::set, key, settingNumber(value, key, deadZoneRange)};
    if (key == settings_key::triggerButton) {
        const auto button = toInteger(value, key, 2, 4);
        return {Kind::set, key, static_cast<double>(button)};
    }
    for (const auto flag : {settings_key::invertScrolling, settings_key::verticalOnly, settings_key::smoothScrolling})
        if (key == flag) return {Kind::set, key, toBool(value, key) ? 1.0 : 0.0};
    if (key == "removeExclusion") {
        if (!value.is_string()) throw Fault("removeExclusion must be a bundle identifier");
        return {Kind::removeExclusion, value.get<std::string>()};
    }
    if (key == "reset") {
        requireTrue(value, "reset");
        return {Kind::reset};
    }
    throw Fault("unknown settings control " + quoted(key) +
                " (scrollSpeed, deadZone, triggerButton, invertScrolling, verticalOnly, smoothScrolling, "
                "removeExclusion or reset)");
}

Action parseSettings(const ParsedJson& arg, const ParsedJson&) {
    if (arg == "close") return action::Settings{action::Settings::Kind::close};
    if (!arg.is_object() || arg.size() != 1)
        throw Fault("settings must be \"close\" or an object with one control, such as {\"scrollSpeed\": 2}");
    return parseSettingsControl(arg.begin().key(), arg.begin().value());
}

struct ActionKind {
    std::function<Action(const ParsedJson& argument, const ParsedJson& line)> parse;
    std::vector<const char*> options;
};

const std::map<std::string, ActionKind>& actionKinds() {
    static const std::map<std::string, ActionKind> kinds{
        {"screens", {parseScreens, {}}},
        {"trusted",
         {[](const ParsedJson& a, const ParsedJson&) -> Action { return action::Trusted{toBool(a, "trusted")}; }, {}}},
        {"frontmost", {parseFrontmost, {}}},
        {"defaults", {parseDefaults, {}}},
        {"window", {parseWindow, {}}},
        {"windowInfo",
         {[](const ParsedJson& a, const ParsedJson&) -> Action {
              if (!a.is_object()) throw Fault("windowInfo must be an object");
              return action::WindowInfo{toValue(a)};
          },
          {}}},
        {"closeWindow",
         {[](const ParsedJson& a, const ParsedJson&) -> Action {
              return action::CloseWindow{toInteger(a, "closeWindow", 0, std::numeric_limits<int64_t>::max())};
          },
          {}}},
        {"ax", {parseAx, {}}},
        {"axLatency",
         {[](const ParsedJson& a, const ParsedJson&) -> Action {
              return action::AxLatency{sim::toMicros(toNumber(a, "axLatency", 0, latestSeconds))};
          },
          {}}},
        {"move",
         {[](const ParsedJson& a, const ParsedJson&) -> Action { return action::Move{toPoint(a, "move")}; }, {}}},
        {"down",
         {[](const ParsedJson& a, const ParsedJson& l) -> Action {
              return action::Button{true, toButton(a), toFlags(l)};
          },
          {"flags"}}},
        {"up",
         {[](const ParsedJson& a, const ParsedJson& l) -> Action {
              return action::Button{false, toButton(a), toFlags(l)};
          },
          {"flags"}}},
        {"key",
         {[](const ParsedJson& a, const ParsedJson& l) -> Action {
              return action::Key{toInteger(a, "key", 0, 65535), toFlags(l)};
          },
          {"flags"}}},
        {"launch",
         {[](const ParsedJson& a, const ParsedJson&) -> Action {
              requireTrue(a, "launch");
              return action::Launch{};
          },
          {}}},
        {"disableTap", {parseDisableTap, {"notice"}}},
        {"menu", {parseMenu, {}}},
        {"answerAlert", {parseAnswerAlert, {}}},
        {"loginItem", {parseLoginItem, {}}},
        {"onboarding", {parseOnboarding, {}}},
        {"refreshRate", {parseRefreshRate, {}}},
        {"settings", {parseSettings, {}}},
        {"end",
         {[](const ParsedJson& a, const ParsedJson&) -> Action {
              requireTrue(a, "end");
              return action::End{};
          },
          {}}},
        {"wake",
         {[](const ParsedJson& a, const ParsedJson&) -> Action {
              requireTrue(a, "wake");
              return action::Wake{};
          },
          {}}},
        {"reopen",
         {[](const ParsedJson& a, const ParsedJson&) -> Action {
              requireTrue(a, "reopen");
              return action::Reopen{};
          },
          {}}},
        {"refuseTaps",
         {[](const ParsedJson& a, const ParsedJson&) -> Action { return action::RefuseTaps{toBool(a, "refuseTaps")}; },
          {}}},
    };
    return kinds;
}

Step parseLine(const ParsedJson& line, int number, sim::Micros previous) {
    if (!line.is_object()) throw Fault("expected a JSON object");
    if (!line.contains("at")) throw Fault("missing \"at\"");
    const sim::Micros at = sim::toMicros(toNumber(line["at"], "at", 0, latestSeconds));
    if (at < previous) throw Fault("at goes back in time");

    const std::string* name = nullptr;
    for (const auto& [key, value] : line.items()) {
        if (key == "at" || !actionKinds().contains(key)) continue;
        if (name) throw Fault("more than one action (" + *name + " and " + key + ")");
        name = &key;
    }
    if (!name) {
        for (const auto& [key, value] : line.items())
            if (key != "at" && key != "flags" && key != "notice") throw Fault("unknown action " + quoted(key));
        throw Fault("no action");
    }
    const ActionKind& kind = actionKinds().at(*name);
    for (const auto& [key, value] : line.items()) {
        if (key == "at" || key == *name) continue;
        bool isOption = false;
        for (const char* option : kind.options) isOption = isOption || key == option;
        if (!isOption) throw Fault(quoted(key) + " is not an option of " + *name);
    }
    return Step{number, at, kind.parse(line[*name], line)};
}

bool isBlankOrComment(const std::string& text) {
    const auto first = text.find_first_not_of(" \t\r");
    return first == std::string::npos || text[first] == '#';
}

}  // namespace

std::vector<std::string> actionNames() {
    std::vector<std::string> names;
    for (const auto& [name, kind] : actionKinds()) names.push_back(name);
    return names;
}

Scenario parseScenario(std::istream& in) {
    errno = 0;
    Scenario scenario;
    std::string text;
    sim::Micros previous = 0;
    int number = 1;
    for (; std::getline(in, text); ++number) {
        if (isBlankOrComment(text)) continue;
        try {
            if (nestingDepth(text) > maxNesting)
                throw Fault("nested more than " + std::to_string(maxNesting) + " levels deep");
            scenario.push_back(parseLine(parseJson(text), number, previous));
            previous = scenario.back().at;
        } catch (const Fault& fault) {
            throw ScenarioError(number, fault.what());
        } catch (const JsonFault& fault) {
            throw ScenarioError(number, fault.what());
        }
    }
    // A read that failed part way must not pass for the end of the scenario.
    if (in.bad()) throw std::system_error(errno != 0 ? errno : EIO, std::generic_category());
    return scenario;
}

}  // namespace qm::tools
