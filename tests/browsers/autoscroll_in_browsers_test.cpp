#include <gtest/gtest.h>
#include <signal.h>

#include <memory>
#include <stdexcept>
#include <string>
#include <type_traits>
#include <utility>

#include "browser.h"
#include "x11/programs.h"

namespace qm::browsertest {
namespace {

using x11test::Box;
using x11test::Client;
using x11test::Program;
using x11test::waitFor;

constexpr unsigned left = 1, middle = 2, right = 3;
// The link's middle on the page, and a point on the page away from it.
constexpr int linkX = 220, linkY = 100;
constexpr int plainX = 300, plainY = 300;
// How far below the anchor the pointer goes: well past the dead zone.
constexpr int drag = 150;

// A desktop with its accessibility switched on before anything starts, the
// program holding the middle button, and a browser in front showing the page.
struct Stage {
    explicit Stage(BrowserKind kind) : desktop() {
        desktop.startSessionBus();
        desktop.switchAccessibilityOn();
        // A client of our own shows when the program has taken the button,
        // before the browser is there for a stray click to reach.
        Client client(desktop);
        program.emplace(desktop);
        program->waitUntilIntercepting(client);
        browser.emplace(desktop, kind, QUILLMERE_BROWSER_PAGE);
        focusPage();
    }

    // A click on the page, away from its link, gives it the keyboard. A page
    // still starting up may miss it, so it goes again until the page counts one.
    void focusPage() {
        const Box area = desktop.geometry(browser->window());
        desktop.moveTo(area.centerX(), area.centerY());
        const auto clicks = [&] { return browser->page().value_or(PageState{}).down0; };
        const bool focused = waitFor(
            [&] {
                const long before = clicks();
                desktop.click(1);
                return waitFor([&] { return clicks() > before; }, 2);
            },
            120);
        if (!focused) throw std::runtime_error("the page never got a click: " + browser->errors());
    }

    Desktop desktop;
    std::optional<Program> program;
    std::optional<Browser> browser;
};

template <BrowserKind kind>
using Kind = std::integral_constant<BrowserKind, kind>;

// One browser per suite: each starts slowly, and its tests only need the page
// back at its top.
template <typename Which>
class InBrowser : public ::testing::Test {
protected:
    static void SetUpTestSuite() { stage = std::make_unique<Stage>(Which::value); }
    static void TearDownTestSuite() {
        if (stage && stage->program) {
            EXPECT_EQ(stage->program->stop(SIGTERM), std::optional<int>(0)) << stage->program->errors();
        }
        stage.reset();
    }

    void SetUp() override {
        ASSERT_TRUE(stage) << "the browser did not start";
        backToTop();
    }

    Desktop& desktop() { return stage->desktop; }
    Program& program() { return *stage->program; }
    Browser& browser() { return *stage->browser; }
    bool markerShown() { return desktop().marker().has_value(); }

    // A point on the screen, given on the page.
    int screenX(int x) { return origin.left + x; }
    int screenY(int y) { return origin.top + y; }

    // The page's right click takes it back to its top.
    void backToTop() {
        const Box area = desktop().geometry(browser().window());
        desktop().moveTo(area.centerX(), area.centerY());
        const long before = browser().page().value_or(PageState{}).down2;
        desktop().click(right);
        browser().waitForPage([&](const PageState& page) { return page.down2 > before && page.y == 0; }, "its top");
        origin = afterAMove();
    }

    // Moves the pointer a pixel, which the page counts.
    void nudge() {
        Display* d = desktop().x();
        Window root, child;
        int x = 0, y = 0, windowX = 0, windowY = 0;
        unsigned buttons = 0;
        XQueryPointer(d, DefaultRootWindow(d), &root, &child, &x, &y, &windowX, &windowY, &buttons);
        desktop().moveTo(x % 2 ? x - 1 : x + 1, y);
    }

    // The page's input arrives in order: once it has counted a later move of
    // the pointer, it has had everything that came before.
    PageState afterAMove() {
        const long before = browser().page().value_or(PageState{}).moves;
        nudge();
        return browser().waitForPage([&](const PageState& page) { return page.moves > before; }, "a move");
    }

    // A page whose position stays the same from one move to the next, now
    // that what it shows of its scrolling may lag a frame behind its input.
    PageState atRest() {
        PageState last = afterAMove();
        PageState next = last;
        if (!waitFor([&] {
                last = std::exchange(next, afterAMove());
                return next.y == last.y;
            }))
            throw std::runtime_error("the page never came to rest");
        return next;
    }

    static inline std::unique_ptr<Stage> stage;
    PageState origin;
};

using Browsers = ::testing::Types<Kind<BrowserKind::firefox>, Kind<BrowserKind::chromium>>;
struct BrowserNames {
    template <typename Which>
    static std::string GetName(int) {
        return Which::value == BrowserKind::firefox ? "Firefox" : "Chromium";
    }
};
TYPED_TEST_SUITE(InBrowser, Browsers, BrowserNames);

TYPED_TEST(InBrowser, HoldAndDragScrollsThePageDown) {
    const int x = this->screenX(plainX), y = this->screenY(plainY);
    this->desktop().moveTo(x, y);
    this->desktop().press(middle);
    ASSERT_TRUE(waitFor([&] { return this->markerShown(); }));
    this->desktop().moveTo(x, y + drag / 2);
    this->desktop().moveTo(x, y + drag);
    this->browser().waitForPage([](const PageState& page) { return page.y >= 600; }, "a page scrolled down");
    this->desktop().release(middle);
    ASSERT_TRUE(waitFor([&] { return !this->markerShown(); }));

    const PageState after = this->atRest();
    EXPECT_GE(after.y, 600);
    EXPECT_EQ(after.down1, this->origin.down1) << "the middle press reached the page";
}

TYPED_TEST(InBrowser, AClickLocksScrollingUntilALeftClickThatThePageNeverSees) {
    const int x = this->screenX(plainX), y = this->screenY(plainY);
    this->program().lockAt(x, y);
    ASSERT_TRUE(this->markerShown());
    this->desktop().moveTo(x, y + drag);
    // Scrolling on with the button up, not a single step.
    const PageState moving =
        this->browser().waitForPage([](const PageState& page) { return page.y >= 300; }, "a page scrolling");
    this->browser().waitForPage([&](const PageState& page) { return page.y >= moving.y + 300; },
                                "a page that keeps scrolling");

    this->desktop().click(left);
    ASSERT_TRUE(waitFor([&] { return !this->markerShown(); })) << "the left click did not end the session";
    const PageState stopped = this->atRest();
    const auto posted = this->program().wheelTotals();
    const PageState later = this->afterAMove();

    EXPECT_EQ(later.y, stopped.y) << "the page scrolled on after the session ended";
    EXPECT_EQ(this->program().wheelTotals(), posted) << "scroll went out after the session ended";
    EXPECT_EQ(later.down0, this->origin.down0) << "the left click reached the page";
    EXPECT_EQ(later.clicks, this->origin.clicks) << "a click reached the page";
    EXPECT_EQ(later.down1, this->origin.down1) << "the middle click reached the page";
}

TYPED_TEST(InBrowser, AMiddleClickOnALinkReachesTheLinkAndStartsNothing) {
    const std::size_t sessions = this->program().messages("escape grab held");
    const auto posted = this->program().wheelTotals();
    this->desktop().moveTo(this->screenX(linkX), this->screenY(linkY));
    this->desktop().click(middle);
    this->browser().waitForPage([&](const PageState& page) { return page.linkAux > this->origin.linkAux; },
                                "the link's middle click");
    const PageState later = this->afterAMove();

    EXPECT_EQ(later.linkAux, this->origin.linkAux + 1);
    EXPECT_EQ(later.down1, this->origin.down1 + 1) << "the link did not get exactly one middle press";
    EXPECT_EQ(later.y, 0);
    EXPECT_FALSE(this->markerShown());
    EXPECT_EQ(this->program().messages("escape grab held"), sessions) << "the click locked a session";
    EXPECT_EQ(this->program().wheelTotals(), posted) << "the click scrolled";
}

}  // namespace
}  // namespace qm::browsertest
