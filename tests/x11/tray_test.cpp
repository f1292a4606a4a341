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

// Whether a top-level window of that title is on the desktop.
bool windowTitled(Display* d, const std::string& title) {
    const Atom list = XInternAtom(d, "_NET_CLIENT_LIST", False), name = XInternAtom(d, "_NET_WM_NAME", False),
               utf8 = XInternAtom(d, "UTF8_STRING", False);
    Atom type;
    int format;
    unsigned long count, after;
    unsigned char* data = nullptr;
    if (XGetWindowProperty(d, DefaultRootWindow(d), list, 0, 1024, False, XA_WINDOW, &type, &format, &count, &after,
                           &data) != Success ||
        !data)
        return false;
    bool found = false;
    for (unsigned long i = 0; i < count && !found; ++i) {
        unsigned char* text = nullptr;
        unsigned long length;
        if (XGetWindowProperty(d, reinterpret_cast<Window*>(data)[i], name, 0, 256, False, utf8, &type, &format,
                               &length, &after, &text) == Success &&
            text)
            found = std::string(reinterpret_cast<char*>(text), length) == title;
        if (text) XFree(text);
    }
    XFree(data);
    return found;
}

// The class of a window's WM_CLASS, if it has one.
std::string windowClass(Display* d, Window window) {
    XClassHint hint{};
    if (!XGetClassHint(d, window, &hint)) return "";
    std::string found = hint.res_class ? hint.res_class : "";
    XFree(hint.res_name);
    XFree(hint.res_class);
    return found;
}

// Whether a window of the program is shown within a window of trayer's, at or
// below window (which the window manager may have framed).
bool inTheTray(Display* d, Window window, bool withinTheTray = false) {
    const std::string kind = windowClass(d, window);
    withinTheTray = withinTheTray || kind == "trayer";
    XWindowAttributes a{};
    if (withinTheTray && kind == "Quillmere" && XGetWindowAttributes(d, window, &a) && a.map_state == IsViewable)
        return true;
    Window root, parent, *children = nullptr;
    unsigned count = 0;
    if (!XQueryTree(d, window, &root, &parent, &children, &count)) return false;
    bool found = false;
    for (unsigned i = 0; i < count && !found; ++i) found = inTheTray(d, children[i], withinTheTray);
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
    panel.click(panel.entry("Autoscroll Enabled")->id);
    ASSERT_TRUE(waitFor([&] { return panel.entry("Autoscroll Disabled").has_value(); }));
    std::size_t mark = client.size();
    desktop.click(2);
    EXPECT_TRUE(waitFor([&] { return client.count("release 2 ", mark) == 1; }));
    panel.click(panel.entry("Autoscroll Disabled")->id);
    ASSERT_TRUE(waitFor([&] { return panel.entry("Autoscroll Enabled").has_value(); }));
    program.lockAt(area.centerX(), area.centerY());
    desktop.tap(XK_Escape);
    ASSERT_TRUE(waitFor([&] { return !desktop.marker(); }));

    panel.click(panel.entry("Settings…")->id);
    EXPECT_TRUE(waitFor([&] { return windowTitled(desktop.x(), "Quillmere Settings"); }));
    // In front, the program's own window is no application to exclude.
    EXPECT_TRUE(waitFor([&] {
        const auto exclude = panel.entry("Disable in This App");
        return exclude && !exclude->enabled && !panel.entry("Disable in Quillmere");
    }));
    desktop.tap(XK_Escape);
    EXPECT_TRUE(waitFor([&] { return !windowTitled(desktop.x(), "Quillmere Settings"); }));

    // The back button as the trigger: the middle click that finds the new
    // setting is the client's, and the next back click locks a session the
    // client never sees.
    std::ofstream(program.defaultsFile().string() + ".new") << R"({"didShowOnboarding": true, "triggerButton": 3})";
    fs::rename(program.defaultsFile().string() + ".new", program.defaultsFile());
    mark = client.size();
    desktop.click(2);
    EXPECT_TRUE(waitFor([&] { return client.count("release 2 ", mark) == 1; }));
    const std::size_t locks = program.messages("escape grab held");
    desktop.click(8);
    EXPECT_TRUE(waitFor([&] { return program.messages("escape grab held") > locks && desktop.marker(); }));
    desktop.tap(XK_Escape);
    EXPECT_TRUE(waitFor([&] { return !desktop.marker(); }));
    EXPECT_EQ(client.count("press 8 ", mark), 0u);

    panel.click(panel.entry("Quit Quillmere")->id);
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
    EXPECT_TRUE(waitFor([&] { return windowTitled(desktop.x(), "Quillmere Settings"); })) << program.errors();
    EXPECT_EQ(program.messages("nothing on this desktop shows tray items"), 1u) << program.errors();

    desktop.startTray();
    EXPECT_TRUE(waitFor([&] { return inTheTray(desktop.x(), DefaultRootWindow(desktop.x())); })) << program.errors();
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
