#include <gtest/gtest.h>

#include <X11/keysym.h>

#include "app/app_delegate.h"
#include "platform/atspi/atspi_accessibility.h"
#include "platform/gtk/gtk_alerts.h"
#include "platform/gtk/gtk_status_bar.h"
#include "platform/gtk/gtk_view_window.h"
#include "platform/sim/world.h"
#include "platform/strings/strings_table.h"
#include "tools/strings_loading.h"
#include "x11/gtk_desktop.h"
#include "x11/gtk_tray_host.h"

namespace qm::x11test {
namespace {

// The simulated window server, but with declarative views in GTK windows. It
// keeps an eye on the last view window it made, for the test to look at.
class ViewWindowServer : public platform::WindowServer {
public:
    explicit ViewWindowServer(platform::WindowServer& rest) : rest_(rest) {}

    std::unique_ptr<platform::Window> createWindow(const platform::Rect& contentRect, platform::WindowStyleMask style,
                                                   platform::BackingStore backing, bool defer) override {
        return rest_.createWindow(contentRect, style, backing, defer);
    }
    platform::WindowLevel windowLevelForKey(platform::WindowLevelKey key) const override {
        return rest_.windowLevelForKey(key);
    }
    std::unique_ptr<platform::Window> windowWithRootView(std::unique_ptr<platform::views::View> root) override {
        auto window = views_.windowWithRootView(std::move(root));
        last_ = static_cast<gtk::GtkViewWindow*>(window.get());
        gtkWindow_ = last_->gtkWindow();
        g_object_add_weak_pointer(G_OBJECT(gtkWindow_), reinterpret_cast<gpointer*>(&gtkWindow_));
        ++made;
        return window;
    }

    // The last view window, while it exists.
    gtk::GtkViewWindow* window() const { return gtkWindow_ ? last_ : nullptr; }
    int made = 0;

private:
    platform::WindowServer& rest_;
    gtk::GtkViewWindows views_;
    gtk::GtkViewWindow* last_ = nullptr;
    GtkWindow* gtkWindow_ = nullptr;
};

// The URLs the program asked the desktop to open.
class OpenedURLs : public sim::Observer {
public:
    void urlOpened(std::string_view url) override { urls.emplace_back(url); }
    std::vector<std::string> urls;
};

// The program on a Linux desktop: its status item on the panel, its alerts and
// windows in GTK and accessibility through AT-SPI; input, the window list and
// the rest of the desktop simulated.
struct LinuxProgram {
    LinuxProgram() {
        world.setObserver(&opened);
        world.setTrusted(true);
        world.bundle().setStrings(strings::parseStringsTable(tools::shippedStrings()));
        delegate = std::make_unique<AppDelegate>(platform);
        delegate->applicationDidFinishLaunching();
    }
    ~LinuxProgram() { delegate.reset(); }

    OpenedURLs opened;
    sim::World world;
    const platform::Platform& simulated = world.platform();
    gtk::GtkStatusBar statusBar{QM_DATA, simulated.systemLog};
    gtk::GtkAlerts alerts{[](platform::RunLoopMode) {}};
    ViewWindowServer windows{simulated.windowServer};
    atspi::AtspiAccessibility accessibility;
    const platform::Platform platform{simulated.events,      simulated.runLoop,   simulated.windowList,
                                      accessibility,         simulated.workspace, simulated.process,
                                      simulated.defaults,    simulated.screens,   windows,
                                      simulated.application, statusBar,           alerts,
                                      simulated.loginItems,  simulated.updater,   simulated.systemLog,
                                      simulated.bundle,      simulated.mainQueue, simulated.notifications,
                                      simulated.displayLinks};
    std::unique_ptr<AppDelegate> delegate;
};

bool contains(const std::vector<std::string>& texts, const std::string& text) {
    return std::find(texts.begin(), texts.end(), text) != texts.end();
}

TEST(ProgramOnALinuxDesktop, FirstLaunchOnboardsSwitchesAccessibilitySupportOnAndIsWorkedFromThePanel) {
    TrayHost panel;
    LinuxProgram program;
    ViewWindowServer& windows = program.windows;

    // The engine runs at once: nothing to grant here.
    ASSERT_TRUE(panel.hasItem());
    ASSERT_TRUE(waitFor([&] {
        const auto enable = panel.entry("Autoscroll Enabled");
        return enable && enable->checked;
    }));

    // The onboarding, at its first step.
    ASSERT_TRUE(waitFor([&] { return windows.window() && isViewable(windows.window()->gtkWindow()); }));
    gtk::GtkViewWindow& onboarding = *windows.window();
    EXPECT_STREQ(gtk_window_get_title(onboarding.gtkWindow()), "Welcome to Quillmere");
    const auto page = screenRectOf(gtk_bin_get_child(GTK_BIN(onboarding.gtkWindow())));
    ASSERT_TRUE(page);
    EXPECT_EQ(page->width, 460);
    EXPECT_EQ(page->height, 420);
    EXPECT_TRUE(contains(textsOf(onboarding), "Scroll anywhere with the middle button"));

    // The access page offers the desktop's support, and its button switches it on.
    clickNode(onboarding, "next");
    ASSERT_TRUE(waitFor([&] { return contains(textsOf(onboarding), "Turn on accessibility support"); }));
    EXPECT_TRUE(contains(textsOf(onboarding), "Turn On Accessibility Support"));
    EXPECT_FALSE(contains(textsOf(onboarding), "Open Accessibility Settings"));
    EXPECT_FALSE(gtkDesktop().accessibilityIsOn());
    clickNode(onboarding, "openSettings");
    EXPECT_TRUE(waitFor([] { return gtkDesktop().accessibilityIsOn(); }));
    // And the page says so.
    EXPECT_TRUE(waitFor([&] { return contains(textsOf(onboarding), "Accessibility Support Is On"); }));
    EXPECT_FALSE(contains(textsOf(onboarding), "Turn On Accessibility Support"));
    EXPECT_TRUE(program.opened.urls.empty()) << "no settings page to open";

    // Return goes on; Escape only hides; the menu brings the same window back where it was.
    typeInto(onboarding, XK_Return);
    ASSERT_TRUE(waitFor([&] { return contains(textsOf(onboarding), "You're all set"); }));
    typeInto(onboarding, XK_Escape);
    ASSERT_TRUE(waitFor([&] { return !isViewable(onboarding.gtkWindow()); }));
    ASSERT_TRUE(panel.click("Getting Started…"));
    ASSERT_TRUE(waitFor([&] { return isViewable(onboarding.gtkWindow()); }));
    EXPECT_EQ(windows.made, 1);
    EXPECT_TRUE(contains(textsOf(onboarding), "You're all set"));

    // Done drops the window from within its own button's action.
    clickNode(onboarding, "done");
    EXPECT_TRUE(waitFor([&] { return windows.window() == nullptr; }));
}

}  // namespace
}  // namespace qm::x11test
