#include <X11/keysym.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <thread>

#include "x11/programs.h"

// After GoogleTest and the tests' own headers, whose names Xlib's macros would clash with.
#include <X11/Xutil.h>
#include <X11/extensions/XInput2.h>

namespace qm::x11test {
namespace {

constexpr int pixelsPerClick = 40;
constexpr unsigned middle = 2, left = 1, right = 3, back = 8;

// The state letter of a process: R running, S sleeping, T stopped...
char processState(pid_t pid) {
    const std::string stat = readFile("/proc/" + std::to_string(pid) + "/stat");
    const auto end = stat.rfind(") ");
    return end == std::string::npos ? '?' : stat[end + 2];
}

// Each test gets a desktop of its own with the client in front and the
// program holding the middle button, and ends by quitting the program as the
// system would, which must leave it without a leak or an error. The primary
// monitor is on the right: the program's coordinates start at its corner, the
// root window's at the left monitor's.
class Autoscroll : public ::testing::Test {
protected:
    void SetUp() override {
        desktop.emplace();
        desktop->setMonitors({{640, 0, 640, 800}, {0, 0, 640, 800}});
        client.emplace(*desktop);
        program.emplace(*desktop);
        program->waitUntilIntercepting(*client);
        area = client->area();
        mark = client->size();
    }

    void TearDown() override {
        if (!client) return;
        EXPECT_EQ(client->count("orphan "), 0u) << "a release reached the client without its press";
        if (program) {
            EXPECT_EQ(program->stop(SIGTERM), std::optional<int>(0)) << program->errors();
            EXPECT_EQ(program->messages("strings table"), 0u) << "the program found its texts: " << program->errors();
        }
    }

    // The client's log lines of a kind since the mark.
    std::size_t since(const std::string& prefix) const { return client->count(prefix, mark); }
    bool markerShown() { return desktop->marker().has_value(); }
    // Every event the program lets through reaches the client in the server's
    // order, so once this later click has arrived, so has everything before it.
    void settle() {
        const std::size_t before = since("release 8 ");
        desktop->click(back);
        ASSERT_TRUE(waitFor([&] { return since("release 8 ") > before; }));
    }
    void lockAt(int x, int y) {
        program->lockAt(x, y);
        ASSERT_TRUE(markerShown());
    }

    std::optional<Desktop> desktop;
    std::optional<Client> client;
    std::optional<Program> program;
    Box area;
    std::size_t mark = 0;
};

TEST_F(Autoscroll, HoldAndDragScrollsTheWayThePointerWentByTheClicksPosted) {
    const int x = area.centerX(), y = area.centerY();
    const auto drag = [&](int dy, const std::string& expected, const std::string& opposite) {
        mark = client->size();
        const auto before = program->wheelTotals().first;
        desktop->moveTo(x, y);
        desktop->press(middle);
        ASSERT_TRUE(waitFor([&] { return markerShown(); }));
        desktop->moveTo(x, y + dy / 2);
        desktop->moveTo(x, y + dy);
        ASSERT_TRUE(waitFor([&] { return since(expected) >= 10; }));
        desktop->release(middle);
        ASSERT_TRUE(waitFor([&] { return !markerShown(); }));
        settle();

        const long pixels = std::labs(program->wheelTotals().first - before);
        const long clicks = pixels / pixelsPerClick;
        EXPECT_TRUE(waitFor([&] { return std::labs(long(since(expected)) - clicks) <= 1; }))
            << since(expected) << " clicks for " << pixels << " pixels\n"
            << program->errors();
        EXPECT_EQ(since(opposite), 0u);
        EXPECT_EQ(since("press 2 ") + since("release 2 "), 0u) << "the gesture's own click reached the client";
    };
    drag(120, "scroll down ", "scroll up ");
    const double scrolledDown = client->scrollPosition();
    EXPECT_GT(scrolledDown, 0);
    drag(-80, "scroll up ", "scroll down ");
    EXPECT_LT(client->scrollPosition(), scrolledDown);
}

TEST_F(Autoscroll, ThePointerLeavingTheWindowStillScrollsItAtTheAnchor) {
    desktop->moveTo(area.centerX(), area.y + area.height - 40);
    desktop->press(middle);
    ASSERT_TRUE(waitFor([&] { return markerShown(); }));
    mark = client->size();
    // Below the window, over the bare desktop.
    desktop->moveTo(area.centerX(), area.y + area.height + 60);
    EXPECT_TRUE(waitFor([&] { return since("scroll down ") >= 5; }));
    desktop->release(middle);
    ASSERT_TRUE(waitFor([&] { return !markerShown(); }));
}

TEST_F(Autoscroll, ALockedSessionScrollsUntilAClickThatTheClientNeverSees) {
    for (const unsigned ending : {left, right, middle}) {
        lockAt(area.centerX(), area.centerY());
        mark = client->size();
        desktop->moveTo(area.centerX(), area.centerY() + 100);
        ASSERT_TRUE(waitFor([&] { return since("scroll down ") >= 3; }));
        desktop->click(ending);
        ASSERT_TRUE(waitFor([&] { return !markerShown(); })) << "button " << ending;
        settle();
        EXPECT_EQ(since("press " + std::to_string(ending) + " "), 0u) << "button " << ending;
        EXPECT_EQ(since("release " + std::to_string(ending) + " "), 0u) << "button " << ending;

        // Still away from the anchor, and nothing scrolls any more.
        const std::size_t scrolled = since("scroll ");
        runFor(0.3);
        settle();
        EXPECT_EQ(since("scroll "), scrolled) << "button " << ending;
    }
    // The pointer is the user's again: a click reaches the client.
    mark = client->size();
    desktop->click(left);
    EXPECT_TRUE(waitFor([&] { return since("release 1 ") == 1; }));
}

// Escape with lock keys on or modifiers held, and the key that produces
// Escape after the keyboard map changed while the program runs.
TEST_F(Autoscroll, EscapeEndsALockedSessionWhateverElseIsDownOrOn) {
    const auto escapeEnds = [&](const std::string& name, const std::vector<KeySym>& locks,
                                const std::vector<KeySym>& held) {
        for (const KeySym key : locks) desktop->tap(key);
        lockAt(area.centerX(), area.centerY());
        mark = client->size();
        desktop->moveTo(area.centerX(), area.centerY() - 100);
        for (const KeySym key : held) desktop->keyDown(key);
        desktop->tap(XK_Escape);
        for (const KeySym key : held) desktop->keyUp(key);
        ASSERT_TRUE(waitFor([&] { return !markerShown(); })) << name;
        settle();
        EXPECT_EQ(since("key Escape"), 0u) << name;
        for (const KeySym key : locks) desktop->tap(key);
    };
    ASSERT_NO_FATAL_FAILURE(escapeEnds("no lock key", {}, {}));
    ASSERT_NO_FATAL_FAILURE(escapeEnds("Num Lock", {XK_Num_Lock}, {}));
    ASSERT_NO_FATAL_FAILURE(escapeEnds("Caps Lock", {XK_Caps_Lock}, {}));
    ASSERT_NO_FATAL_FAILURE(escapeEnds("Caps Lock and Num Lock", {XK_Caps_Lock, XK_Num_Lock}, {}));
    ASSERT_NO_FATAL_FAILURE(escapeEnds("Shift", {}, {XK_Shift_L}));
    ASSERT_NO_FATAL_FAILURE(escapeEnds("Ctrl", {}, {XK_Control_L}));
    ASSERT_NO_FATAL_FAILURE(escapeEnds("AltGr and Num Lock", {XK_Num_Lock}, {XK_ISO_Level3_Shift}));

    // Caps Lock and Escape change places: Escape is now the key beside A.
    const KeyCode before = desktop->keycode(XK_Escape);
    auto remap = desktop->run({"setxkbmap", "-option", "caps:swapescape"}, "setxkbmap");
    ASSERT_EQ(remap.stop(0), std::optional<int>(0)) << readFile(desktop->dir() / "setxkbmap.errors");
    ASSERT_NE(desktop->keycode(XK_Escape), before);
    ASSERT_NO_FATAL_FAILURE(escapeEnds("Escape on the Caps Lock key", {}, {}));

    // Outside a session Escape is the application's.
    mark = client->size();
    desktop->tap(XK_Escape);
    EXPECT_TRUE(waitFor([&] { return since("key Escape") == 1; }));
}

TEST_F(Autoscroll, ShiftMiddleMiddleInAnExcludedApplicationAndOnTheBareDesktopAreNotTaken) {
    desktop->moveTo(area.centerX(), area.centerY());
    desktop->keyDown(XK_Shift_L);
    desktop->click(middle);
    desktop->keyUp(XK_Shift_L);
    settle();
    EXPECT_EQ(since("press 2 "), 1u);
    EXPECT_EQ(since("release 2 "), 1u);
    EXPECT_FALSE(markerShown());

    // Another process writes the list; the program reads it as soon as it notices.
    const auto file = program->defaultsFile();
    const std::size_t read = program->messages("settings changed");
    std::ofstream(file.string() + ".new")
        << R"({"didShowOnboarding": true, "excludedBundleIDs": ["QuillmereTestClient"]})";
    std::filesystem::rename(file.string() + ".new", file);
    ASSERT_TRUE(waitFor([&] { return program->messages("settings changed") > read; }));
    // Another application has the focus: a middle press moves no focus, so
    // the window under the pointer is the one it is for.
    Display* d = desktop->x();
    const Window other = XCreateSimpleWindow(d, DefaultRootWindow(d), 1200, 20, 40, 40, 0, 0, 0);
    XClassHint otherClass{const_cast<char*>("other"), const_cast<char*>("OtherApplication")};
    XSetClassHint(d, other, &otherClass);
    XSizeHints place{};
    place.flags = USPosition;
    place.x = 1200;
    place.y = 20;
    XSetWMNormalHints(d, other, &place);
    XMapWindow(d, other);
    ASSERT_TRUE(waitFor([&] { return desktop->activeWindow() == other; }));
    mark = client->size();
    desktop->click(middle);
    settle();
    EXPECT_EQ(since("press 2 "), 1u);
    EXPECT_EQ(since("release 2 "), 1u);
    EXPECT_FALSE(markerShown());

    // Over no window at all the press is the window manager's (its menu).
    const std::size_t passed = program->messages("button 2 press passed");
    desktop->click(area.centerX(), 790, middle);
    EXPECT_TRUE(waitFor([&] { return program->messages("button 2 press passed") > passed; }));
    EXPECT_FALSE(markerShown());
    desktop->tap(XK_Escape);
    XDestroyWindow(d, other);
}

TEST_F(Autoscroll, NoConsumedPressLeaksItsRelease) {
    const int x = area.centerX(), y = area.centerY();
    // Clicks overlapping every kind of session, each ending it or starting the next.
    // The test clicks faster than anyone, before the program has caught up;
    // it still sees every click, in order, since from the first press on it
    // holds the pointer one way or the other. Each ends with no session, which
    // a later click reaching the client shows once the program has caught up.
    lockAt(x, y);
    desktop->press(left);
    desktop->press(middle);
    desktop->release(left);
    desktop->release(middle);
    desktop->click(right);
    ASSERT_NO_FATAL_FAILURE(settle());

    desktop->moveTo(x, y);
    desktop->press(middle);
    ASSERT_TRUE(waitFor([&] { return markerShown(); }));
    desktop->click(right);
    desktop->moveTo(x + 60, y + 60);
    ASSERT_TRUE(waitFor([&] { return since("scroll down ") > 0; }));
    desktop->release(middle);
    ASSERT_NO_FATAL_FAILURE(settle());

    // A click on the heels of the Escape that ends the session: whichever the
    // program sees first, the click's press and release go to the same place.
    for (const unsigned button : {left, right}) {
        lockAt(x, y);
        desktop->tap(XK_Escape);
        desktop->click(button);
        ASSERT_NO_FATAL_FAILURE(settle());
    }

    // A burst of clicks faster than anyone clicks: the program may lose some
    // of them, but whatever it takes, it keeps, press and release alike.
    // Once a later click of another button reaches the client, the program has
    // decided every click before it and holds no session; one that a click of
    // the burst started ends with Escape, or with that click.
    for (int i = 0; i < 6; ++i) desktop->click(middle);
    ASSERT_TRUE(waitFor([&] {
        if (markerShown()) desktop->tap(XK_Escape);
        const std::size_t before = since("release 8 ");
        desktop->click(back);
        return waitFor([&] { return since("release 8 ") > before; }, 2);
    }));
    EXPECT_EQ(since("press 2 ") + since("release 2 "), 0u);
    // The client's own count of releases without a press is checked at the end of every test.
}

TEST_F(Autoscroll, TheMarkerSitsOnTheAnchorAndClicksGoThroughIt) {
    const int x = area.centerX() - 50, y = area.centerY() + 20;
    lockAt(x, y);
    const auto marker = desktop->marker();
    ASSERT_TRUE(marker);
    EXPECT_EQ(marker->width, 40);
    EXPECT_EQ(marker->height, 40);
    EXPECT_EQ(marker->centerX(), x);
    EXPECT_EQ(marker->centerY(), y);

    // A pointer the session does not hold clicks on the marker: the client below gets it.
    mark = client->size();
    Pointer other(*desktop, "Other");
    other.click(x, y, left);
    EXPECT_TRUE(waitFor([&] { return since("release 1 Other_XTEST_pointer") == 1; }));
    desktop->tap(XK_Escape);
    ASSERT_TRUE(waitFor([&] { return !markerShown(); }));
}

// Ctrl-Z in its terminal: stopped, the program holds nothing, and the session
// it was in has ended; continued, it holds the middle button again. Killed,
// it holds nothing either.
TEST_F(Autoscroll, StoppingOrKillingTheProgramFreesTheMouse) {
    const auto clicksPass = [&](const char* when) {
        mark = client->size();
        desktop->click(middle);
        desktop->click(left);
        EXPECT_TRUE(waitFor([&] { return since("release 2 ") == 1 && since("release 1 ") == 1; })) << when;
        EXPECT_FALSE(markerShown()) << when;
    };
    lockAt(area.centerX(), area.centerY());
    kill(program->pid(), SIGTSTP);
    ASSERT_TRUE(waitFor([&] { return processState(program->pid()) == 'T'; }));
    clicksPass("stopped");
    kill(program->pid(), SIGCONT);
    program->waitUntilIntercepting(*client);

    lockAt(area.centerX(), area.centerY());
    EXPECT_EQ(program->stop(SIGKILL), std::optional<int>(128 + SIGKILL));
    program.reset();
    clicksPass("killed");
}

// A second launch asks the running program to show its settings and ends,
// through the session bus, or through the display when it finds no bus.
TEST_F(Autoscroll, ASecondLaunchShowsTheRunningProgramsSettingsAndEnds) {
    for (const std::string bus : {"", "DBUS_SESSION_BUS_ADDRESS=unix:path=/nonexistent"}) {
        auto second = desktop->run({executable()}, "second", {bus});
        EXPECT_EQ(second.stop(0), std::optional<int>(0)) << bus << readFile(desktop->dir() / "second.errors");
        EXPECT_TRUE(waitFor([&] { return desktop->showsWindow("Quillmere Settings"); })) << bus;
        desktop->tap(XK_Escape);
        EXPECT_TRUE(waitFor([&] { return !desktop->showsWindow("Quillmere Settings"); })) << bus;
    }
}

// Under Wayland the program would see no other program's input: it says so
// and ends, whether XWayland gives it a display or not.
TEST_F(Autoscroll, AWaylandSessionIsToldAndTheProgramEnds) {
    for (const std::string& display : {std::string(DisplayString(desktop->x())), std::string()}) {
        auto wayland = desktop->run({executable()}, "wayland", {"WAYLAND_DISPLAY=wayland-0", "DISPLAY=" + display});
        EXPECT_EQ(wayland.stop(0), std::optional<int>(1)) << "DISPLAY=" << display;
        EXPECT_EQ(readFile(desktop->dir() / "wayland.errors"),
                  "Quillmere: this is a Wayland session; Quillmere needs an X11 session\n");
    }
}

// The master devices of the program of that process, as the server lists them.
std::size_t devicesOf(Display* d, pid_t pid) {
    const std::string prefix = "Quillmere " + std::to_string(pid) + " ";
    int count = 0;
    XIDeviceInfo* devices = XIQueryDevice(d, XIAllMasterDevices, &count);
    std::size_t found = 0;
    for (int i = 0; i < count; ++i) found += std::string(devices[i].name).starts_with(prefix);
    XIFreeDeviceInfo(devices);
    return found;
}

// However the program ends, its pointer and keyboard do not outlive it: the
// signals that end a program quit it cleanly, and what one killed outright
// left, the next start removes, but not what a process that still runs has.
TEST(Desktop, NoEndLeavesTheProgramsDevicesBehind) {
    Desktop desktop;
    for (const int signal : {SIGHUP, SIGQUIT, SIGUSR1, SIGUSR2}) {
        Program program(desktop);
        ASSERT_TRUE(waitFor([&] { return devicesOf(desktop.x(), program.pid()) == 2; })) << program.errors();
        EXPECT_EQ(program.stop(signal), std::optional<int>(0)) << strsignal(signal);
        EXPECT_EQ(devicesOf(desktop.x(), program.pid()), 0u) << strsignal(signal);
    }
    Program killed(desktop);
    ASSERT_TRUE(waitFor([&] { return devicesOf(desktop.x(), killed.pid()) == 2; }));
    killed.stop(SIGKILL);
    char host[256] = {};
    gethostname(host, sizeof host - 1);
    // As if another Quillmere ran in this very process.
    Pointer running(desktop, "Quillmere " + std::to_string(getpid()) + " on " + host);

    Program next(desktop);
    ASSERT_TRUE(waitFor([&] { return devicesOf(desktop.x(), next.pid()) == 2; }));
    EXPECT_EQ(devicesOf(desktop.x(), killed.pid()), 0u);
    EXPECT_EQ(devicesOf(desktop.x(), getpid()), 2u);
    EXPECT_EQ(next.messages("that Quillmere " + std::to_string(killed.pid()) + " on " + host + " left behind"), 1u)
        << next.errors();
    EXPECT_EQ(next.stop(SIGTERM), std::optional<int>(0));
}

// The program's own pointer, which posts a session's scroll, is seen by no
// application outside a session: once the user's pointer has left the
// client, no row of its list stays lit, neither after the program started
// nor after a session scrolled it, nor once the program has quit.
TEST(Desktop, TheProgramsPointerLightsNoRowOutsideASession) {
    Desktop desktop;
    Client client(desktop);
    // Over the screen's centre, where the server puts a new pointer.
    const Box area = client.area();
    ASSERT_TRUE(area.x < 640 && area.x + area.width > 640 && area.y < 400 && area.y + area.height > 400);
    const auto litRows = [&] { return long(client.count("lit ")) - long(client.count("unlit ")); };
    const auto noRowLitOnceTheUserLeaves = [&](const char* when) {
        desktop.moveTo(5, 5);
        EXPECT_TRUE(waitFor([&] { return litRows() == 0; })) << litRows() << " rows lit " << when;
    };
    desktop.moveTo(5, 5);
    Program program(desktop);
    program.waitUntilIntercepting(client);
    noRowLitOnceTheUserLeaves("after the start");

    program.lockAt(area.centerX(), area.centerY() + 60);
    desktop.moveTo(area.centerX(), area.centerY() + 160);
    ASSERT_TRUE(waitFor([&] { return client.count("scroll down ") >= 3; }));
    desktop.tap(XK_Escape);
    ASSERT_TRUE(waitFor([&] { return !desktop.marker(); }));
    noRowLitOnceTheUserLeaves("after a session");

    EXPECT_EQ(program.stop(SIGTERM), std::optional<int>(0)) << program.errors();
    noRowLitOnceTheUserLeaves("after the program quit");
}

// Another program holds the middle button: Quillmere says so and keeps out
// of its way (its watchdog tries again later, and that fails the same way).
TEST(Desktop, AMiddleButtonHeldByAnotherProgramIsToldAndLeftAlone) {
    Desktop desktop;
    Client client(desktop);
    MiddleButtonGrab other(desktop);
    Program program(desktop);
    EXPECT_TRUE(waitFor([&] {
        return program.errors().find("another program holds mouse button 2") != std::string::npos;
    })) << program.errors();
    const Box area = client.area();
    desktop.moveTo(area.centerX(), area.centerY());
    desktop.click(2);
    EXPECT_TRUE(waitFor([&] { return other.presses() == 1; }));
    EXPECT_FALSE(desktop.marker());
    EXPECT_EQ(program.stop(SIGTERM), std::optional<int>(0)) << program.errors();
}

}  // namespace
}  // namespace qm::x11test
