#include "onboarding/onboarding_window_controller.h"

#include "app/localized_text.h"

namespace qm {

namespace {

constexpr double pageWidth = 460;
constexpr double pageHeight = 420;

}  // namespace

void OnboardingWindowController::show() {
    if (window_) {
        window_->makeKeyAndOrderFront();
        platform_.application.activateIgnoringOtherApps(true);
        return;
    }
    auto window = platform_.windowServer.createWindow({0, 0, pageWidth, pageHeight},
                                                      platform::window_style::titled | platform::window_style::closable,
                                                      platform::BackingStore::buffered, false);
    window->setTitle(localizedText(platform_.bundle, "onb.window.title"));
    window->setContentSize(pageWidth, pageHeight);
    window->setReleasedWhenClosed(false);
    window->center();
    window_ = std::move(window);
    window_->makeKeyAndOrderFront();
    platform_.application.activateIgnoringOtherApps(true);
}

void OnboardingWindowController::openSettings() {
    if (onOpenSettings) onOpenSettings();
}

void OnboardingWindowController::finish() {
    close();
}

void OnboardingWindowController::close() {
    if (window_) window_->close();
    window_.reset();
    if (onFinish) onFinish();
}

}  // namespace qm
