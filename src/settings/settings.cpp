#include "settings/settings.h"

#include <algorithm>
#include <cmath>
#include <optional>

namespace qm {

using platform::Value;

namespace {

constexpr std::array<int, 3> triggerButtons{2, 3, 4};

// How one stored value reads; nothing is an absent key.
double readNumber(const std::optional<Value>& stored, double fallback, SettingRange range) {
    // A boolean is not a number here, though the system would read it as one.
    const auto number = stored ? stored->number() : std::nullopt;
    if (!number || !std::isfinite(*number)) return fallback;
    return std::clamp(*number, range.minimum, range.maximum);
}

bool readFlag(const std::optional<Value>& stored, bool fallback) {
    const bool* flag = stored ? stored->asBool() : nullptr;
    return flag ? *flag : fallback;
}

int readTriggerButton(const std::optional<Value>& stored) {
    const auto number = stored ? stored->exactInteger() : std::nullopt;
    const Settings defaults;
    if (!number || std::find(triggerButtons.begin(), triggerButtons.end(), *number) == triggerButtons.end())
        return defaults.triggerButton;
    return static_cast<int>(*number);
}

}  // namespace

Settings Settings::read(const platform::UserDefaults& defaults) {
    const Settings fallback;
    const auto stored = [&defaults](std::string_view key) { return defaults.objectForKey(key); };
    return {
        .scrollSpeed = readNumber(stored(settings_key::scrollSpeed), fallback.scrollSpeed, scrollSpeedRange),
        .deadZone = readNumber(stored(settings_key::deadZone), fallback.deadZone, deadZoneRange),
        .triggerButton = readTriggerButton(stored(settings_key::triggerButton)),
        .invertScrolling = readFlag(stored(settings_key::invertScrolling), fallback.invertScrolling),
        .verticalOnly = readFlag(stored(settings_key::verticalOnly), fallback.verticalOnly),
        .smoothScrolling = readFlag(stored(settings_key::smoothScrolling), fallback.smoothScrolling),
    };
}

void restoreDefaultSettings(platform::UserDefaults& defaults) {
    for (const auto key : settings_key::all) defaults.removeObject(key);
}

}  // namespace qm
