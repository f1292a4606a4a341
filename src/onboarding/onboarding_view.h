#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "platform/accessibility.h"
#include "platform/services.h"
#include "platform/views/view.h"

namespace qm {

// The onboarding's three pages: what Quillmere does, the access it needs, and
// how to use it. Its one piece of state is the step shown. The access page
// follows the gate: a permission granted in the system's settings, or the
// desktop's accessibility support, which its button switches on and then
// says is on.
class OnboardingView : public platform::views::View {
public:
    OnboardingView(const platform::Bundle& bundle, std::function<void()> openSettings, std::function<void()> finish,
                   int step, int lastStep, const platform::Accessibility& access)
        : bundle_(bundle),
          openSettings_(std::move(openSettings)),
          finish_(std::move(finish)),
          initialStep_(step),
          lastStep_(lastStep),
          access_(access) {}

    platform::views::Node body(platform::views::StateStore& state) override;

private:
    using Node = platform::views::Node;

    std::string text(std::string_view key) const;
    std::string title(int step) const;
    Node stepArt(int step) const;
    Node stepBody(int step) const;
    Node stepIcon(const std::string& name) const;
    Node bullet(const std::string& symbol, const std::string& text) const;
    Node pageIndicator(int step) const;
    std::string accessButtonTitle() const;
    Node navigationBar(platform::views::StateStore& state, int step) const;

    const platform::Bundle& bundle_;
    std::function<void()> openSettings_;
    std::function<void()> finish_;
    int initialStep_;
    int lastStep_;
    const platform::Accessibility& access_;
};

}  // namespace qm
