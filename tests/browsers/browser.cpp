#include "browser.h"

#include <signal.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <stdexcept>
#include <vector>

namespace qm::browsertest {

namespace {

using x11test::readFile;
using x11test::waitFor;

// Start-up dialogs, updates, telemetry and animated scrolling stay out of the
// way; an animation would keep moving the page after the last wheel click.
constexpr const char* firefoxPreferences = R"(user_pref("general.smoothScroll", false);
user_pref("browser.shell.checkDefaultBrowser", false);
user_pref("browser.startup.homepage_override.mstone", "ignore");
user_pref("browser.aboutwelcome.enabled", false);
user_pref("datareporting.policy.dataSubmissionEnabled", false);
user_pref("toolkit.telemetry.reportingpolicy.firstRun", false);
user_pref("browser.sessionstore.resume_from_crash", false);
user_pref("app.update.auto", false);
user_pref("extensions.update.enabled", false);
user_pref("browser.safebrowsing.update.enabled", false);
user_pref("network.connectivity-service.enabled", false);
)";

std::vector<std::string> firefoxCommand(const fs::path& profile, const std::string& url) {
    fs::create_directories(profile);
    std::ofstream(profile / "user.js") << firefoxPreferences;
    return {"/usr/bin/firefox-esr", "--no-remote", "--profile", profile.string(), url};
}

std::vector<std::string> chromiumCommand(const fs::path& profile, const std::string& url) {
    std::vector<std::string> command{"/usr/bin/chromium",
                                     "--user-data-dir=" + profile.string(),
                                     "--no-first-run",
                                     "--no-default-browser-check",
                                     "--disable-gpu",
                                     "--force-renderer-accessibility",
                                     "--disable-smooth-scrolling",
                                     "--password-store=basic",
                                     "--disable-background-networking",
                                     "--disable-component-update",
                                     url};
    // Its sandbox refuses to run as root.
    if (geteuid() == 0) command.insert(command.begin() + 1, "--no-sandbox");
    return command;
}

std::optional<PageState> parse(const std::string& name) {
    const auto at = name.find("qm y=");
    PageState s;
    if (at == std::string::npos ||
        std::sscanf(name.c_str() + at,
                    "qm y=%ld down0=%ld down1=%ld down2=%ld clicks=%ld linkaux=%ld moves=%ld at=%d,%d", &s.y, &s.down0,
                    &s.down1, &s.down2, &s.clicks, &s.linkAux, &s.moves, &s.left, &s.top) != 9)
        return std::nullopt;
    return s;
}

// Browsers start slowly under Xvfb on a busy machine.
constexpr double startSeconds = 180;

}  // namespace

Browser::Browser(Desktop& desktop, BrowserKind kind, const fs::path& page)
    : desktop_(desktop), dir_(desktop.dir() / (kind == BrowserKind::firefox ? "firefox" : "chromium")) {
    fs::create_directories(dir_ / "home");
    const std::string url = "file://" + fs::absolute(page).string();
    const auto command =
        kind == BrowserKind::firefox ? firefoxCommand(dir_ / "profile", url) : chromiumCommand(dir_ / "profile", url);
    process_.emplace(command,
                     desktop.environment({"HOME=" + (dir_ / "home").string(),
                                          "XDG_CONFIG_HOME=" + (dir_ / "home" / ".config").string(),
                                          "XDG_CACHE_HOME=" + (dir_ / "home" / ".cache").string()}),
                     dir_ / "output.log", dir_ / "errors.log");
    const bool shown = waitFor(
        [&] {
            if (!process_->running()) throw std::runtime_error("the browser ended: " + errors());
            for (const Window w : desktop.managedWindows())
                if (const auto name = desktop.title(w); name && parse(*name)) window_ = w;
            return window_ != 0;
        },
        startSeconds);
    if (!shown) throw std::runtime_error("the browser never showed the page: " + errors());
    if (!waitFor([&] { return desktop.activeWindow() == window_; }, startSeconds))
        throw std::runtime_error("the browser's window did not become the active one");
}

Browser::~Browser() {
    // A browser asked to quit saves its profile first; this one is thrown away.
    if (process_) process_->stop(SIGKILL);
}

std::optional<PageState> Browser::page() const {
    const auto name = desktop_.title(window_);
    return name ? parse(*name) : std::nullopt;
}

PageState Browser::waitForPage(const std::function<bool(const PageState&)>& condition, const std::string& what,
                               double seconds) const {
    std::optional<PageState> state;
    if (!waitFor(
            [&] {
                state = page();
                return state && condition(*state);
            },
            seconds))
        throw std::runtime_error("the page never showed " + what +
                                 "; its title: " + desktop_.title(window_).value_or("none"));
    return *state;
}

std::string Browser::errors() const {
    return readFile(dir_ / "errors.log");
}

}  // namespace qm::browsertest
