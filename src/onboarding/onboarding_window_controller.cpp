#include "onboarding/onboarding_window_controller.h"

#include "app/localized_text.h"
#include "onboarding/onboarding_view.h"

namespace qm {

namespace {

constexpr double pageWidth = 460;
constexpr double pageHeight = 420;
constexpr int lastStep = 2;

}  // namespace

void OnboardingWindowController::show() {
    if (window_) {
        // The same window at the step the user left it.
        window_->makeKeyAndOrderFront();
        platform_.application.activateIgnoringOtherApps(true);
        return;
    }
    // The view lives in the window, which this controller owns, so its
    // closures never outlive the controller they call.
    auto view = std::make_unique<OnboardingView>(
        platform_.bundle,
        [this] {
            if (onOpenSettings) onOpenSettings();
        },
        [this] { close(); }, 0, lastStep, platform_.accessibility);
    auto window = platform_.windowServer.windowWithRootView(std::move(view));
    window->setTitle(localizedText(platform_.bundle, "onb.window.title"));
    window->setStyleMask(platform::window_style::titled | platform::window_style::closable);
    window->setContentSize(pageWidth, pageHeight);
    window->setReleasedWhenClosed(false);
    window->center();
    window_ = std::move(window);
    window_->makeKeyAndOrderFront();
    // An agent application does not come to the front by itself.
    platform_.application.activateIgnoringOtherApps(true);
}

void OnboardingWindowController::close() {
    if (window_) window_->close();
    window_.reset();
    if (onFinish) onFinish();
}

}  // namespace qm
