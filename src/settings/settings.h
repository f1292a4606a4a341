#pragma once

#include <array>
#include <string_view>

#include "platform/user_defaults.h"
#include "platform/value.h"

namespace qm {

// What the user may change about scrolling. The defaults are the program's
// behaviour with nothing stored.
struct Settings {
    double scrollSpeed = 1.0;  // factor on the target speed, before the cap
    double deadZone = 10.0;    // points per axis
    int triggerButton = 2;     // 2 the middle button, 3 and 4 the side buttons
    bool invertScrolling = false;
    bool verticalOnly = false;
    bool smoothScrolling = false;

    bool operator==(const Settings&) const = default;

    // The settings as stored now. Nothing is ever rewritten by reading: a value
    // of the wrong type reads as its default, a number out of range as the
    // nearer end of its range.
    static Settings read(const platform::UserDefaults& defaults);
};

namespace settings_key {
inline constexpr std::string_view scrollSpeed = "scrollSpeed";
inline constexpr std::string_view deadZone = "deadZone";
inline constexpr std::string_view triggerButton = "triggerButton";
inline constexpr std::string_view invertScrolling = "invertScrolling";
inline constexpr std::string_view verticalOnly = "verticalOnly";
inline constexpr std::string_view smoothScrolling = "smoothScrolling";
inline constexpr std::array<std::string_view, 6> all{scrollSpeed,     deadZone,     triggerButton,
                                                     invertScrolling, verticalOnly, smoothScrolling};
}  // namespace settings_key

struct SettingRange {
    double minimum;
    double maximum;
};
inline constexpr SettingRange scrollSpeedRange{0.25, 4.0};
inline constexpr SettingRange deadZoneRange{0, 40};

// Removes every setting, so that each reads as its default again.
void restoreDefaultSettings(platform::UserDefaults& defaults);

}  // namespace qm
