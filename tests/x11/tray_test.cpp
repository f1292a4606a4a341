// gtest first: Xlib's macros would rename some of its names.
#include <gtest/gtest.h>

#include <X11/Xatom.h>
#include <X11/Xutil.h>
#include <X11/keysym.h>
#include <signal.h>

#include <cstdlib>
#include <fstream>
#include <stdexcept>

#include "x11/gtk_tray_host.h"
#include "x11/programs.h"

namespace qm::x11test {
namespace {

// Whether a window of the program is shown within a window of trayer's, at or
// below window (which the window manager may have framed).
bool inTheTray(Desktop& desktop, Window window, bool withinTheTray = false) {
    Display* d = desktop.x();
    const std::string kind = desktop.windowClass(window);
    withinTheTray = withinTheTray || kind == "trayer";
    XWindowAttributes a{};
    if (withinTheTray && kind == "Quillmere" && XGetWindowAttributes(d, window, &a) && a.map_state == IsViewable)
        return true;
    Window root, parent, *children = nullptr;
    unsigned count = 0;
    if (!XQueryTree(d, window, &root, &parent, &children, &count)) return false;
    bool found = false;
    for (unsigned i = 0; i < count && !found; ++i) found = inTheTray(desktop, children[i], withinTheTray);
    if (children) XFree(children);
    return found;
}

// The program's item on a panel of the test's own: the menu as Linux has it
// works the program, and the trigger button chosen in the settings is the one
// held from the next press on.
TEST(Tray, TheMenuWorksTheProgramAndTheTriggerFollowsTheSettings) {
    Desktop desktop;
    // The client first: it has no use for the bus.
    Client client(desktop);
    // The panel is this process's, on the desktop's bus.
    setenv("DBUS_SESSION_BUS_ADDRESS", desktop.startSessionBus().c_str(), 1);
    TrayHost panel;
    fs::create_directories(desktop.dir() / "config");
    std::ofstream(desktop.dir() / "config" / "autostart") << "in the way";
    Program program(desktop);
    program.waitUntilIntercepting(client);
    ASSERT_TRUE(panel.hasItem()) << program.errors();

    std::vector<std::string> labels;
    for (const auto& entry : panel.menu())
        if (!entry.separator) labels.push_back(entry.label);
    EXPECT_EQ(labels, (std::vector<std::string>{"Autoscroll Enabled", "Disable in QuillmereTestClient",
                                                "Launch at Login", "Getting Started…", "Settings…", "Quit Quillmere"}));

    // Switched off, the middle button belongs to the client; switched on again, to the program.
    const Box area = client.area();
    desktop.moveTo(area.centerX(), area.centerY());
    ASSERT_TRUE(panel.click("Autoscroll Enabled"));
    ASSERT_TRUE(waitFor([&] { return panel.entry("Autoscroll Disabled").has_value(); }));
    std::size_t mark = client.size();
    desktop.click(2);
    EXPECT_TRUE(waitFor([&] { return client.count("release 2 ", mark) == 1; }));
    ASSERT_TRUE(panel.click("Autoscroll Disabled"));
    ASSERT_TRUE(waitFor([&] { return panel.entry("Autoscroll Enabled").has_value(); }));
    program.lockAt(area.centerX(), area.centerY());
    desktop.tap(XK_Escape);
    ASSERT_TRUE(waitFor([&] { return !desktop.marker(); }));

    ASSERT_TRUE(panel.click("Settings…"));
    EXPECT_TRUE(waitFor([&] { return desktop.showsWindow("Quillmere Settings"); }));
    // In front, the program's own window is no application to exclude.
    EXPECT_TRUE(waitFor([&] {
        const auto exclude = panel.entry("Disable in This App");
        return exclude && !exclude->enabled && !panel.entry("Disable in Quillmere");
    }));
    desktop.tap(XK_Escape);
    EXPECT_TRUE(waitFor([&] { return !desktop.showsWindow("Quillmere Settings"); }));

    // Launch at Login cannot be saved where a file stands in the way: the
    // user is told so, not only the log.
    ASSERT_TRUE(panel.click("Launch at Login"));
    EXPECT_TRUE(waitFor([&] { return desktop.showsWindow("Quillmere"); }));
    desktop.tap(XK_Escape);
    EXPECT_TRUE(waitFor([&] { return !desktop.showsWindow("Quillmere"); }));
    EXPECT_EQ(program.messages("Launch at Login toggle failed"), 1u) << program.errors();
    // Nor can the settings, once a file stands where their folder was; what
    // the user chose holds all the same until the program quits.
    fs::remove_all(program.defaultsFile().parent_path());
    std::ofstream(program.defaultsFile().parent_path()) << "in the way";
    ASSERT_TRUE(panel.click("Disable in QuillmereTestClient"));
    EXPECT_TRUE(waitFor([&] { return desktop.showsWindow("Quillmere"); }));
    desktop.tap(XK_Escape);
    EXPECT_TRUE(waitFor([&] { return !desktop.showsWindow("Quillmere"); }));
    EXPECT_EQ(program.messages("cannot save the settings"), 1u) << program.errors();
    mark = client.size();
    desktop.click(area.centerX(), area.centerY(), 2);
    EXPECT_TRUE(waitFor([&] { return client.count("release 2 ", mark) == 1; }));
    fs::remove(program.defaultsFile().parent_path());
    fs::create_directory(program.defaultsFile().parent_path());

    // The back button as the trigger: from the moment the program has read
    // it, the middle click is the client's, and a back click locks a session
    // the client never sees.
    const std::size_t read = program.messages("settings changed");
    std::ofstream(program.defaultsFile().string() + ".new") << R"({"didShowOnboarding": true, "triggerButton": 3})";
    fs::rename(program.defaultsFile().string() + ".new", program.defaultsFile());
    ASSERT_TRUE(waitFor([&] { return program.messages("settings changed") > read; }));
    mark = client.size();
    desktop.click(2);
    EXPECT_TRUE(waitFor([&] { return client.count("release 2 ", mark) == 1; }));
    const std::size_t locks = program.messages("escape grab held");
    desktop.click(8);
    EXPECT_TRUE(waitFor([&] { return program.messages("escape grab held") > locks && desktop.marker(); }));
    desktop.tap(XK_Escape);
    EXPECT_TRUE(waitFor([&] { return !desktop.marker(); }));
    EXPECT_EQ(client.count("press 8 ", mark), 0u);

    // WM_CLASS is Latin-1, and of any length: the menu names the client in
    // UTF-8, and a class a megabyte long, shortened; excluding either stores
    // it in UTF-8, the long one cut to a kilobyte.
    const auto setClass = [&](const std::string& name) {
        const std::string property = "quillmere-test-client" + std::string(1, '\0') + name + std::string(1, '\0');
        XChangeProperty(desktop.x(), client.window(), XA_WM_CLASS, XA_STRING, 8, PropModeReplace,
                        reinterpret_cast<const unsigned char*>(property.data()), static_cast<int>(property.size()));
        XSync(desktop.x(), False);
    };
    // The menu follows the active window: the settings window comes and goes.
    const auto exclude = [&](const std::string& label) {
        ASSERT_TRUE(panel.click("Settings…"));
        ASSERT_TRUE(waitFor([&] { return desktop.showsWindow("Quillmere Settings"); }));
        desktop.tap(XK_Escape);
        ASSERT_TRUE(panel.click("Disable in " + label)) << program.errors();
    };
    const auto stored = [&] { return readFile(program.defaultsFile()); };
    setClass("Caf\xE9");
    ASSERT_NO_FATAL_FAILURE(exclude("Caf\u00E9"));
    EXPECT_TRUE(waitFor([&] { return stored().find("\"Caf\u00E9\"") != std::string::npos; })) << stored();
    setClass(std::string(1 << 20, 'x'));
    ASSERT_NO_FATAL_FAILURE(exclude(std::string(40, 'x') + "\u2026"));
    EXPECT_TRUE(waitFor([&] { return stored().find("\"" + std::string(1024, 'x') + "\"") != std::string::npos; }));
    EXPECT_LT(stored().size(), 2048u);

    ASSERT_TRUE(panel.click("Quit Quillmere"));
    EXPECT_EQ(program.stop(0), std::optional<int>(0)) << program.errors();
    EXPECT_EQ(client.count("orphan "), 0u);
}

class WithoutATray : public testing::TestWithParam<Session> {};

// With nowhere to show its item, the program says so once and opens its
// settings, and its item shows up in the tray that appears later; neither GTK
// nor the libraries it uses find anything to complain of, with the session's
// bus or without one.
TEST_P(WithoutATray, TheSettingsWindowStandsInUntilATrayAppears) {
    Desktop desktop;
    Program program(desktop, R"({"didShowOnboarding": true})", GetParam());
    EXPECT_TRUE(waitFor([&] { return desktop.showsWindow("Quillmere Settings"); })) << program.errors();
    EXPECT_EQ(program.messages("nothing on this desktop shows tray items"), 1u) << program.errors();

    desktop.startTray();
    EXPECT_TRUE(waitFor([&] { return inTheTray(desktop, DefaultRootWindow(desktop.x())); })) << program.errors();
    EXPECT_EQ(program.stop(SIGTERM), std::optional<int>(0)) << program.errors();
    EXPECT_EQ(program.messages("nothing on this desktop shows tray items"), 1u) << program.errors();
    for (const std::string complaint : {"CRITICAL", "WARNING"})
        EXPECT_EQ(program.errors().find(complaint), std::string::npos) << program.errors();
}

INSTANTIATE_TEST_SUITE_P(Tray, WithoutATray, testing::Values(Session::busOnly, Session::bare),
                         [](const testing::TestParamInfo<Session>& info) {
                             return info.param == Session::busOnly ? "WithTheSessionBus" : "WithoutABus";
                         });

}  // namespace
}  // namespace qm::x11test
