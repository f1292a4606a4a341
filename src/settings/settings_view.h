#pragma once

#include <string>
#include <string_view>

#include "exclusions/exclusion_manager.h"
#include "platform/platform.h"
#include "platform/views/view.h"
#include "settings/exclusion_rows.h"
#include "settings/settings.h"

namespace qm {

// The settings window's page: the scrolling settings and the exclusion list.
// Every evaluation reads what is stored, and every change is written at once;
// only the exclusion list's order is kept from one evaluation to the next.
class SettingsView : public platform::views::View {
public:
    SettingsView(const platform::Platform& platform, ExclusionManager& exclusions)
        : platform_(platform), exclusions_(exclusions), rows_(platform, exclusions) {}

    platform::views::Node body(platform::views::StateStore& state) override;

    static constexpr double pageWidth = 480;
    static constexpr double pageHeight = 560;

private:
    using Node = platform::views::Node;

    std::string text(std::string_view key) const;
    Node row(std::string_view labelKey, Node control, std::string value = {}) const;
    Node speedControl(double speed) const;
    Node speedCaption() const;
    Node scrollingSection(const Settings& settings) const;
    Node exclusionRow(const std::string& id, bool builtIn) const;
    Node exclusionSection() const;
    void write(std::string_view key, platform::Value value) const;

    const platform::Platform& platform_;
    ExclusionManager& exclusions_;
    // Changed only by an evaluation, so the lazy rows of the last one read it as it saw it.
    ExclusionRows rows_;
};

}  // namespace qm
