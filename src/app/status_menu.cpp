#include "app/app_delegate.h"
#include "app/localized_text.h"
#include "platform/utf8.h"

namespace qm {

using platform::ControlState;

namespace {

const char* const statusImageName = "MenuBarIcon";
const char* const fallbackSymbol = "arrow.up.and.down.and.arrow.left.and.right";
constexpr double statusImageSize = 18;

ControlState stateFor(bool on) {
    return on ? ControlState::on : ControlState::off;
}

// A name of any length would make the menu as wide as the screen.
constexpr std::size_t longestShownName = 40;

}  // namespace

void AppDelegate::setupStatusItem() {
    auto item = platform_.statusBar.statusItemWithLength(platform::variableStatusItemLength);
    if (auto* button = item->button()) {
        if (auto image = platform_.statusBar.imageNamed(statusImageName)) {
            image->setTemplate(true);
            image->setSize(statusImageSize, statusImageSize);
            button->setImage(std::move(image));
        } else {
            button->setImage(platform_.statusBar.systemSymbolImage(fallbackSymbol, "Quillmere"));
            if (auto* symbol = button->image()) symbol->setTemplate(true);
        }
    }

    auto menu = platform_.statusBar.makeMenu();
    menu->setDelegate(this);
    // The refresh decides which items are enabled, not the menu.
    menu->setAutoenablesItems(false);
    enableItem_ = &menu->addItem(text("menu.disabled"), "toggleEnabled", "");
    enableItem_->setTarget(this);
    excludeItem_ = &menu->addItem(text("menu.disableForThisApp"), "toggleExcludeCurrentApp", "");
    excludeItem_->setTarget(this);
    menu->addSeparator();
    loginItem_ = &menu->addItem(text("menu.launchAtLogin"), "toggleLaunchAtLogin", "");
    loginItem_->setTarget(this);
    menu->addItem(text("menu.gettingStarted"), "showOnboarding", "").setTarget(this);
    menu->addItem(text("menu.settings"), "showSettings", ",").setTarget(this);
    menu->addSeparator();
    if (platform_.updater.isOffered()) {
        auto& updates = menu->addItem(text("menu.checkForUpdates"), "checkForUpdates:", "");
        updates.setTarget(updaterController_.get());
        // Without an updater there is nothing to ask.
        updates.setEnabled(updaterController_ != nullptr);
        menu->addSeparator();
    }
    menu->addItem(text("menu.quit"), "quit", "q").setTarget(this);

    item->setMenu(std::move(menu));
    // Without the item, the settings window is the way in, and out.
    item->setOnUnseen([this] { showSettings(); });
    statusItem_ = std::move(item);
}

void AppDelegate::refreshMenuState() {
    const bool enabled = controller_.isEnabled();
    enableItem_->setState(stateFor(enabled));
    enableItem_->setTitle(text(enabled ? "menu.enabled" : "menu.disabled"));

    // Without the system's service (macOS 12) there is nothing to switch.
    const bool loginItems = platform_.loginItems.isAvailable();
    loginItem_->setEnabled(loginItems);
    loginItem_->setState(stateFor(loginItems && platform_.loginItems.status() == platform::LoginItemStatus::enabled));

    const auto app = platform_.workspace.frontmostApplication();
    const auto id = app ? app->bundleIdentifier : std::nullopt;
    const std::string name = app ? app->localizedName.value_or(id.value_or("")) : "";
    excludeItem_->setTitle(
        name.empty() ? text("menu.disableForThisApp")
                     : formatWithString(text("menu.disableForApp"), platform::shortened(name, longestShownName)));
    excludeItem_->setState(stateFor(id && exclusions_.isExcluded(*id)));
    excludeItem_->setEnabled(id && !kDefaultExcludedBundleIDs(platform_.appIdentifiers).contains(*id));
}

void AppDelegate::menuWillOpen(platform::Menu&) {
    refreshMenuState();
}

void AppDelegate::performAction(std::string_view selector, platform::MenuItem&) {
    if (selector == "toggleEnabled") toggleEnabled();
    if (selector == "toggleExcludeCurrentApp") toggleExcludeCurrentApp();
    if (selector == "toggleLaunchAtLogin") toggleLaunchAtLogin();
    if (selector == "showOnboarding") showOnboarding();
    if (selector == "showSettings") showSettings();
    if (selector == "quit") quit();
}

void AppDelegate::toggleEnabled() {
    if (controller_.isEnabled()) {
        controller_.setEnabled(false);
    } else if (platform_.accessibility.isProcessTrusted(true) && controller_.start()) {
        // Turning on always asks for the permission, with the system's own prompt.
        // Once on, the poll has done its work: left running, its next tick
        // would switch the engine back on after the user switched it off.
        stopPermissionPolling();
    }
    refreshMenuState();
}

void AppDelegate::toggleExcludeCurrentApp() {
    const auto app = platform_.workspace.frontmostApplication();
    if (!app || !app->bundleIdentifier) return;
    // A built-in exclusion can never be lifted.
    if (kDefaultExcludedBundleIDs(platform_.appIdentifiers).contains(*app->bundleIdentifier)) return;
    exclusions_.toggle(*app->bundleIdentifier);
    refreshMenuState();
    settings_.refresh();
}

void AppDelegate::showOnboarding() {
    onboarding_.show();
}

void AppDelegate::showSettings() {
    settings_.show();
}

void AppDelegate::quit() {
    platform_.application.terminate();
}

}  // namespace qm
