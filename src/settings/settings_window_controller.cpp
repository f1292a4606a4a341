#include "settings/settings_window_controller.h"

#include "app/localized_text.h"
#include "settings/settings_view.h"

namespace qm {

void SettingsWindowController::show() {
    if (!window_) {
        auto view = std::make_unique<SettingsView>(platform_, exclusions_);
        view_ = view.get();
        auto window = platform_.windowServer.windowWithRootView(std::move(view));
        window->setTitle(localizedText(platform_.bundle, "settings.window.title"));
        window->setStyleMask(platform::window_style::titled | platform::window_style::closable);
        window->setContentSize(SettingsView::pageWidth, SettingsView::pageHeight);
        window->setReleasedWhenClosed(false);
        window->center();
        window_ = std::move(window);
    } else {
        // Hidden, the window saw nothing of what changed meanwhile.
        refresh();
    }
    window_->makeKeyAndOrderFront();
    // An agent application does not come to the front by itself.
    platform_.application.activateIgnoringOtherApps(true);
}

void SettingsWindowController::refresh() {
    if (view_) view_->invalidate();
}

}  // namespace qm
