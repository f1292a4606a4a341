#include <X11/keysym.h>
#include <gtest/gtest.h>
#include <signal.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <thread>

#include "x11/programs.h"

// After the tests' own headers: its macros clash with GoogleTest's names.
#include <X11/Xutil.h>

namespace qm::x11test {
namespace {

constexpr int pixelsPerClick = 40;
constexpr unsigned middle = 2, left = 1, right = 3, back = 8;

// Each test gets a desktop of its own with the client in front and the
// program holding the middle button, and ends by quitting the program as the
// system would, which must leave it without a leak or an error.
class Autoscroll : public ::testing::Test {
protected:
    void SetUp() override {
        desktop.emplace();
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
        EXPECT_TRUE(waitFor([&] { return std::labs(long(since(expected)) - clicks) <= 1; }, 10))
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
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        settle();
        EXPECT_EQ(since("scroll "), scrolled) << "button " << ending;
    }
    // The pointer is the user's again: a click reaches the client.
    mark = client->size();
    desktop->click(left);
    EXPECT_TRUE(waitFor([&] { return since("release 1 ") == 1; }));
}

TEST_F(Autoscroll, EscapeEndsALockedSessionWithAnyLockKeyOn) {
    for (const KeySym lockKey : {KeySym(0), KeySym(XK_Num_Lock), KeySym(XK_Caps_Lock)}) {
        if (lockKey) desktop->tap(lockKey);
        lockAt(area.centerX(), area.centerY());
        mark = client->size();
        desktop->moveTo(area.centerX(), area.centerY() - 100);
        desktop->tap(XK_Escape);
        ASSERT_TRUE(waitFor([&] { return !markerShown(); })) << "lock key " << lockKey;
        settle();
        EXPECT_EQ(since("key Escape"), 0u) << "lock key " << lockKey;
        if (lockKey) desktop->tap(lockKey);
    }
    // Outside a session Escape is the application's.
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
    desktop->click(area.x + area.width + 100, area.y + area.height + 100, middle);
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
    // holds the pointer one way or the other.
    lockAt(x, y);
    desktop->press(left);
    desktop->press(middle);
    desktop->release(left);
    desktop->release(middle);
    desktop->click(right);
    ASSERT_TRUE(waitFor([&] { return !markerShown(); }));

    desktop->moveTo(x, y);
    desktop->press(middle);
    ASSERT_TRUE(waitFor([&] { return markerShown(); }));
    desktop->click(right);
    desktop->moveTo(x + 60, y + 60);
    ASSERT_TRUE(waitFor([&] { return since("scroll down ") > 0; }));
    desktop->release(middle);
    ASSERT_TRUE(waitFor([&] { return !markerShown(); }));

    // A click on the heels of the Escape that ends the session: whichever the
    // program sees first, the click's press and release go to the same place.
    for (const unsigned button : {left, right}) {
        lockAt(x, y);
        desktop->tap(XK_Escape);
        desktop->click(button);
        ASSERT_TRUE(waitFor([&] { return !markerShown(); }));
    }

    // A burst of clicks faster than anyone clicks: the program may lose some
    // of them, but whatever it takes, it keeps, press and release alike.
    for (int i = 0; i < 6; ++i) desktop->click(middle);
    ASSERT_TRUE(waitFor([&] {
        if (markerShown()) desktop->tap(XK_Escape);
        return waitFor([&] { return !markerShown(); }, 1);
    }));
    settle();
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

TEST_F(Autoscroll, KillingTheProgramDuringALockedSessionFreesTheMouseAtOnce) {
    lockAt(area.centerX(), area.centerY());
    EXPECT_EQ(program->stop(SIGKILL), std::optional<int>(128 + SIGKILL));
    program.reset();
    mark = client->size();
    desktop->click(left);
    desktop->click(middle);
    EXPECT_TRUE(waitFor([&] { return since("release 1 ") == 1 && since("release 2 ") == 1; }));
    EXPECT_FALSE(markerShown());
}

}  // namespace
}  // namespace qm::x11test

namespace qm::x11test {
namespace {

// The primary monitor on the right: the program's coordinates start at its
// corner, the root window's at the left monitor's.
TEST(Desktop, TheMarkerFindsTheAnchorWhenThePrimaryMonitorIsNotAtTheOrigin) {
    Desktop desktop;
    desktop.setMonitors({{640, 0, 640, 800}, {0, 0, 640, 800}});
    Client client(desktop);
    Program program(desktop);
    program.waitUntilIntercepting(client);
    const Box area = client.area();
    program.lockAt(area.centerX(), area.centerY());
    const auto marker = desktop.marker();
    ASSERT_TRUE(marker);
    EXPECT_EQ(marker->centerX(), area.centerX());
    EXPECT_EQ(marker->centerY(), area.centerY());
    const std::size_t mark = client.size();
    desktop.moveTo(area.centerX(), area.centerY() + 100);
    EXPECT_TRUE(waitFor([&] { return client.count("scroll down ", mark) >= 3; }));
    desktop.tap(XK_Escape);
    EXPECT_TRUE(waitFor([&] { return !desktop.marker(); }));
    EXPECT_EQ(program.stop(SIGTERM), std::optional<int>(0)) << program.errors();
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
