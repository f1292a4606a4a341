#include <X11/Xatom.h>
#include <X11/keysym.h>
#include <gtest/gtest.h>
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
    desktop.tap(XK_Escape);
    EXPECT_TRUE(waitFor([&] { return !windowTitled(desktop.x(), "Quillmere Settings"); }));

    // Launch at Login cannot be saved where a file stands in the way: the
    // user is told so, not only the log.
    panel.click(panel.entry("Launch at Login")->id);
    EXPECT_TRUE(waitFor([&] { return windowTitled(desktop.x(), "Quillmere"); }));
    desktop.tap(XK_Escape);
    EXPECT_TRUE(waitFor([&] { return !windowTitled(desktop.x(), "Quillmere"); }));
    EXPECT_EQ(program.messages("Launch at Login toggle failed"), 1u) << program.errors();
    // Nor can the settings, once a file stands where their folder was; what
    // the user chose holds all the same until the program quits.
    fs::remove_all(program.defaultsFile().parent_path());
    std::ofstream(program.defaultsFile().parent_path()) << "in the way";
    panel.click(panel.entry("Disable in QuillmereTestClient")->id);
    EXPECT_TRUE(waitFor([&] { return windowTitled(desktop.x(), "Quillmere"); }));
    desktop.tap(XK_Escape);
    EXPECT_TRUE(waitFor([&] { return !windowTitled(desktop.x(), "Quillmere"); }));
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

    panel.click(panel.entry("Quit Quillmere")->id);
    EXPECT_EQ(program.stop(0), std::optional<int>(0)) << program.errors();
    EXPECT_EQ(client.count("orphan "), 0u);
}

}  // namespace
}  // namespace qm::x11test
