#include "settings/settings_view.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <utility>
#include <vector>

#include "app/localized_text.h"
#include "platform/utf8.h"

namespace qm {

namespace v = platform::views;
using v::Font;
using v::FontWeight;
using v::HorizontalAlignment;
using v::SemanticColor;
using v::VerticalAlignment;

namespace {

constexpr double labelWidth = 112;
constexpr double valueWidth = 56;
constexpr double listHeight = 212;
// Every row of the list is one line high: a longer name is cut to what fits beside its button.
constexpr std::size_t longestRowName = 40;
const Font caption = Font::system(11);

// A number as people write it: at most two decimals, no trailing zeros.
std::string plainNumber(double value) {
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%.2f", value);
    std::string text = buffer;
    while (text.back() == '0') text.pop_back();
    if (text.back() == '.') text.pop_back();
    return text;
}

}  // namespace

std::string SettingsView::text(std::string_view key) const {
    return localizedText(platform_.bundle, key);
}

void SettingsView::write(std::string_view key, platform::Value value) const {
    platform_.defaults.setObject(value, key);
}

// A label, its control and what the control is set to, in columns.
v::Node SettingsView::row(std::string_view labelKey, Node control, std::string value) const {
    std::vector<Node> columns{v::Text(text(labelKey)).frame(labelWidth, std::nullopt, v::Alignment::leading()),
                              std::move(control)};
    if (!value.empty())
        columns.push_back(v::Text(std::move(value))
                              .foregroundStyle({SemanticColor::secondary})
                              .frame(valueWidth, std::nullopt, {HorizontalAlignment::trailing}));
    return v::HStack(VerticalAlignment::center, 12, std::move(columns));
}

// Doubling the speed is the same distance anywhere along the track, and the
// default sits on the middle mark.
v::Node SettingsView::speedControl(double speed) const {
    const v::SliderRange range{scrollSpeedRange.minimum, scrollSpeedRange.maximum, true, 5};
    return v::Slider(speed, range,
                     [this](double value) {
                         const double rounded = std::round(value * 100) / 100;
                         write(settings_key::scrollSpeed,
                               std::clamp(rounded, scrollSpeedRange.minimum, scrollSpeedRange.maximum));
                     })
        .identified(std::string(settings_key::scrollSpeed));
}

// Under the speed's track: its ends and its middle mark.
v::Node SettingsView::speedCaption() const {
    const auto captionText = [this](std::string_view key) {
        return v::Text(text(key)).font(caption).foregroundStyle({SemanticColor::secondary});
    };
    return v::HStack(VerticalAlignment::center, 0,
                     {captionText("settings.speed.slower"), v::Spacer(), captionText("settings.speed.default"),
                      v::Spacer(), captionText("settings.speed.faster")})
        .padding(v::edge::leading, labelWidth + 12)
        .padding(v::edge::trailing, valueWidth + 12);
}

v::Node SettingsView::scrollingSection(const Settings& settings) const {
    const v::SliderRange deadZoneTrack{deadZoneRange.minimum, deadZoneRange.maximum, false, 5};
    const auto flag = [this](std::string_view titleKey, std::string_view key, bool on) {
        return v::Toggle(text(titleKey), on, [this, key](bool value) { write(key, value); })
            .identified(std::string(key));
    };
    return v::VStack(
        HorizontalAlignment::leading, 14,
        {v::VStack(HorizontalAlignment::leading, 0,
                   {row("settings.speed", speedControl(settings.scrollSpeed),
                        formatWithString(text("settings.speed.value"), plainNumber(settings.scrollSpeed))),
                    speedCaption()}),
         row("settings.deadZone",
             v::Slider(settings.deadZone, deadZoneTrack,
                       [this](double value) { write(settings_key::deadZone, static_cast<int64_t>(std::round(value))); })
                 .identified(std::string(settings_key::deadZone)),
             formatWithString(text("settings.deadZone.value"), plainNumber(settings.deadZone))),
         row("settings.trigger",
             v::Picker({{2, text("settings.trigger.middle")},
                        {3, text("settings.trigger.back")},
                        {4, text("settings.trigger.forward")}},
                       settings.triggerButton, [this](int button) { write(settings_key::triggerButton, button); })
                 .identified(std::string(settings_key::triggerButton))),
         v::VStack(HorizontalAlignment::leading, 8,
                   {flag("settings.invert", settings_key::invertScrolling, settings.invertScrolling),
                    flag("settings.verticalOnly", settings_key::verticalOnly, settings.verticalOnly),
                    flag("settings.smooth", settings_key::smoothScrolling, settings.smoothScrolling)})
             .padding(v::edge::leading, labelWidth + 12)});
}

// One application of the list: the user's own can be removed, the built-in
// ones are fixed.
v::Node SettingsView::exclusionRow(const std::string& id, bool builtIn) const {
    Node end = builtIn ? v::Text(text("settings.exclusions.builtIn")).foregroundStyle({SemanticColor::secondary})
                       : v::Button(text("settings.exclusions.remove"), [this, id] {
                             exclusions_.remove(id);
                         }).identified("remove:" + id);
    return v::HStack(
               VerticalAlignment::center, 8,
               {v::Text(platform::shortened(platform_.workspace.applicationName(id).value_or(id), longestRowName)),
                v::Spacer(), std::move(end)})
        .padding(v::edge::horizontal, 10)
        .padding(v::edge::vertical, 4);
}

// Only the rows in sight are built, from the rows as this evaluation left them.
v::Node SettingsView::exclusionSection() const {
    return v::VStack(HorizontalAlignment::leading, 6,
                     {v::Text(text("settings.exclusions")).font(Font::system(13, FontWeight::semibold)),
                      v::Text(text("settings.exclusions.note"))
                          .font(caption)
                          .foregroundStyle({SemanticColor::secondary})
                          .fixedSize(false, true),
                      v::List({v::LazyRows(rows_.own().size(),
                                           [this](std::size_t i) { return exclusionRow(rows_.own()[i], false); }),
                               v::LazyRows(rows_.builtIn().size(),
                                           [this](std::size_t i) { return exclusionRow(rows_.builtIn()[i], true); })})
                          .frame(std::nullopt, listHeight)});
}

v::Node SettingsView::body(v::StateStore&) {
    const Settings settings = Settings::read(platform_.defaults);
    rows_.update();
    return v::VStack(HorizontalAlignment::leading, 16,
                     {scrollingSection(settings), v::Divider(), exclusionSection(), v::Spacer(0),
                      v::HStack(VerticalAlignment::center, std::nullopt,
                                {v::Spacer(), v::Button(text("settings.restoreDefaults"),
                                                        [this] { restoreDefaultSettings(platform_.defaults); })
                                                  .identified("reset")})})
        .padding(v::edge::all, 20)
        .frame(pageWidth, pageHeight)
        .identified("settings");
}

}  // namespace qm
