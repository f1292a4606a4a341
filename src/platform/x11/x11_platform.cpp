#include "platform/x11/x11_platform.h"

#include "platform/linux/desktop_paths.h"
#include "settings/settings.h"

namespace qm::x11 {

namespace {

// How far one wheel click scrolls in the user's applications, if they said so.
int pixelsPerClick(const desktop::JsonDefaultsFile& defaults, platform::SystemLog& log) {
    constexpr int64_t most = 1000;
    const platform::Value* stored = defaults.value("pixelsPerClick");
    if (!stored) return WheelClicks::defaultPixelsPerClick;
    const auto pixels = stored->exactInteger();
    if (pixels && *pixels >= 1 && *pixels <= most) return static_cast<int>(*pixels);
    log.log("Quillmere: pixelsPerClick must be a whole number from 1 to " + std::to_string(most) + "; using " +
            std::to_string(WheelClicks::defaultPixelsPerClick));
    return WheelClicks::defaultPixelsPerClick;
}

}  // namespace

X11Platform::X11Platform()
    : busName_("com.quillmere.Quillmere", [this] { application_.reopen(); }),
      displayClaim_(connection_, [this] { application_.reopen(); }),
      screens_(connection_),
      defaults_(desktop::JsonDefaultsFile::standardFile(), [this](const std::string& line) { systemLog_.log(line); }),
      secondPointer_(connection_, runLoop_, systemLog_),
      posting_(secondPointer_, screens_, pixelsPerClick(defaults_, systemLog_)),
      grabs_(connection_, xButton(Settings::read(defaults_).triggerButton), systemLog_),
      events_(connection_, runLoop_, screens_, grabs_, posting_),
      connectionSource_(connection_),
      windowStack_(connection_),
      windowList_(windowStack_, screens_),
      workspace_(connection_, windowStack_, screens_),
      windowServer_(connection_, screens_,
                    [this](std::unique_ptr<platform::views::View> root) {
                        return viewWindows_.windowWithRootView(std::move(root));
                    }),
      statusBar_(desktop::dataDirectory().string(), systemLog_),
      alerts_([this](platform::RunLoopMode mode) { runLoop_.setMode(mode); }),
      loginItems_(desktop::XdgAutostart::standardEntry(), desktop::executablePath()),
      bundle_(desktop::StringsTableBundle::shippedTable(), systemLog_),
      saveFailureAlert_(alerts_, mainQueue_, bundle_),
      alertingLoginItems_(loginItems_, saveFailureAlert_),
      notifications_(systemLog_),
      displayLinks_(connection_, screens_, runLoop_),
      jobControl_([this] { events_.suspend(); }, [this] { events_.resume(); }),
      platform_{.events = events_,
                .runLoop = runLoop_,
                .windowList = windowList_,
                .accessibility = accessibility_,
                .workspace = workspace_,
                .process = workspace_,
                .defaults = defaults_,
                .screens = screens_,
                .windowServer = windowServer_,
                .application = application_,
                .statusBar = statusBar_,
                .alerts = alerts_,
                .loginItems = alertingLoginItems_,
                .updater = updater_,
                .systemLog = systemLog_,
                .bundle = bundle_,
                .mainQueue = mainQueue_,
                .notifications = notifications_,
                .displayLinks = displayLinks_,
                .appIdentifiers = platform::AppIdentifierKind::wmClass,
                .pressOwner = platform::PressOwner::windowUnderPointer} {
    followTriggerSetting();
    tellSaveFailures();
}

// The trigger is grabbed before its press comes, so the grab moves as soon as
// the setting changes, not at the next session. Not at once, though: a press
// of the old trigger may be on its way to be decided, and letting go of that
// button's grab then would lose the press.
void X11Platform::followTriggerSetting() {
    defaults_.setOnChange([this] {
        g_debug("settings changed");
        mainQueue_.async([this] { grabs_.setTriggerButton(xButton(Settings::read(defaults_).triggerButton)); });
    });
}

void X11Platform::tellSaveFailures() {
    defaults_.setOnSaveFailure([this](const std::string& reason) { saveFailureAlert_.settingsNotSaved(reason); });
}

}  // namespace qm::x11
