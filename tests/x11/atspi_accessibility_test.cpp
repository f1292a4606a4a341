#include <gtest/gtest.h>

#include "platform/atspi/atspi_accessibility.h"

#include <X11/Xlib.h>

#include <chrono>

#include "engine/scroll_controller.h"
#include "platform/sim/world.h"
#include "x11/gtk_desktop.h"
#include "x11/programs.h"

namespace qm::x11test {
namespace {

namespace ax = platform::ax_error;
using namespace std::chrono_literals;
using platform::AXElement;
using platform::Point;

// The GTK client with its links, on screen.
struct Links {
    Point button() const { return centre(client.place("button")); }
    // A point on the link at the start of the label's text.
    Point labelLink() const { return {client.place("label").x + 12.0, centre(client.place("label")).y}; }
    Point plainText() const { return centre(client.place("plain")); }
    static Point centre(const Box& box) { return {double(box.centerX()), double(box.centerY())}; }

    Client client{gtkDesktop()};
};

std::unique_ptr<AXElement> elementAt(platform::Accessibility& accessibility, Point p,
                                     platform::AXError* error = nullptr) {
    auto systemWide = accessibility.createSystemWide();
    if (!systemWide) return nullptr;
    std::unique_ptr<AXElement> element;
    const auto result = systemWide->copyElementAtPosition(static_cast<float>(p.x), static_cast<float>(p.y), element);
    if (error) *error = result;
    return result == ax::success ? std::move(element) : nullptr;
}

std::string roleOf(AXElement& element) {
    platform::AXValue role;
    if (element.copyAttributeValue("AXRole", role) != ax::success) return "(none)";
    const auto* text = std::get_if<std::string>(&role);
    return text ? *text : "(not a string)";
}

// The client registers with the accessibility bus a little after it shows its
// window. Between questions this process serves the bus too: asking without a
// pause would keep anyone who is waiting for this process from answering.
bool registered(platform::Accessibility& accessibility, const Links& client) {
    return waitFor([&] {
        auto element = elementAt(accessibility, client.button());
        if (element && roleOf(*element) == "AXLink") return true;
        runFor(0.05);
        return false;
    });
}

#ifdef QM_SANITIZED
constexpr auto slack = 400ms;
#else
constexpr auto slack = 150ms;
#endif

// A web browser in front, as when the engine asks about links.
struct Engine {
    explicit Engine(platform::Accessibility& accessibility)
        : platform{simulated.events,       simulated.runLoop,       simulated.windowList,  accessibility,
                   simulated.workspace,    simulated.process,       simulated.defaults,    simulated.screens,
                   simulated.windowServer, simulated.application,   simulated.statusBar,   simulated.alerts,
                   simulated.loginItems,   simulated.updater,       simulated.systemLog,   simulated.bundle,
                   simulated.mainQueue,    simulated.notifications, simulated.displayLinks} {
        world.setTrusted(true);
        world.setObserver(&clicks);
        world.workspace().setFrontmost(platform::RunningApplication{"org.chromium.Chromium", "Chromium", 4242});
        controller.start();
    }
    ~Engine() { world.setObserver(nullptr); }

    // A middle click at p, as the user makes it.
    void middleClick(Point p) {
        world.events().movePointer(p);
        world.events().pressButton(platform::mouse_button::center, 0);
        stateAfterPress = controller.state();
        world.events().releaseButton(platform::mouse_button::center, 0);
    }

    // The middle clicks the engine posted in place of the user's.
    struct Clicks : sim::Observer {
        void postedToHID(const sim::SimEvent& event) override {
            if (event.integerValueField(platform::event_field::sourceUserData) == syntheticEventTag) ++posted;
        }
        int posted = 0;
    } clicks;
    sim::World world;
    const platform::Platform& simulated = world.platform();
    const platform::Platform platform;
    ExclusionManager exclusions{platform.defaults, platform.appIdentifiers};
    ScrollController controller{platform, exclusions};
    ScrollState stateAfterPress = ScrollState::idle;
};

TEST(LinksThroughAtspi, AMiddleClickOnEitherKindOfGtkLinkKeepsItsMeaningAndOnPlainTextScrolls) {
    atspi::AtspiAccessibility accessibility;
    Links client;
    ASSERT_TRUE(registered(accessibility, client));
    Engine engine(accessibility);

    engine.middleClick(client.button());
    EXPECT_EQ(engine.clicks.posted, 2) << "the link button's click, press and release, passed on";
    EXPECT_EQ(engine.stateAfterPress, ScrollState::swallowUp);

    engine.middleClick(client.labelLink());
    EXPECT_EQ(engine.clicks.posted, 4) << "the link in the label's text";

    engine.middleClick(client.plainText());
    EXPECT_EQ(engine.clicks.posted, 4);
    EXPECT_EQ(engine.stateAfterPress, ScrollState::pressed) << "plain text starts a session";
}

TEST(LinksThroughAtspi, ElementsLeadUpToTheirApplicationAndNoFurther) {
    atspi::AtspiAccessibility accessibility;
    Links client;
    ASSERT_TRUE(registered(accessibility, client));

    auto element = elementAt(accessibility, client.labelLink());
    ASSERT_TRUE(element);
    EXPECT_EQ(roleOf(*element), "AXLink");

    // The label, its box, the window, the application; then nothing.
    std::vector<std::string> roles;
    for (int i = 0; i < 12; ++i) {
        platform::AXValue parent;
        const auto error = element->copyAttributeValue("AXParent", parent);
        if (error != ax::success) {
            EXPECT_EQ(error, ax::noValue);
            break;
        }
        element = std::move(std::get<std::unique_ptr<AXElement>>(parent));
        roles.push_back(roleOf(*element));
    }
    EXPECT_GE(roles.size(), 3u);
    EXPECT_LT(roles.size(), 12u) << "the walk ends above the application";
    for (const auto& role : roles) EXPECT_EQ(role, "AXUnknown");

    // Where no application's window is, there is no element.
    platform::AXError error = ax::success;
    EXPECT_EQ(elementAt(accessibility, {1200, 700}, &error), nullptr);
    EXPECT_EQ(error, ax::noValue);
}

TEST(LinksThroughAtspi, UnderAWindowManagerTheFramedApplicationIsAsked) {
    // Only for this test: the others' windows stay where GTK puts them.
    struct Managed {
        ~Managed() { gtkDesktop().stopWindowManager(); }
    } managed;
    gtkDesktop().startWindowManager();
    atspi::AtspiAccessibility accessibility;
    Links client;
    ASSERT_TRUE(registered(accessibility, client));

    // What lies under the link is the manager's frame, not the client's window.
    Display* x = gtkDesktop().x();
    Window frame = None;
    int ignored = 0;
    XTranslateCoordinates(x, DefaultRootWindow(x), DefaultRootWindow(x), static_cast<int>(client.button().x),
                          static_cast<int>(client.button().y), &ignored, &ignored, &frame);
    EXPECT_NE(frame, None);
    EXPECT_TRUE(gtkDesktop().items(frame, "WM_STATE", AnyPropertyType).empty()) << "a frame";

    auto link = elementAt(accessibility, client.labelLink());
    ASSERT_TRUE(link);
    EXPECT_EQ(roleOf(*link), "AXLink");
}

TEST(LinksThroughAtspi, AClientThatStopsAnsweringGetsNoAnswerInsteadOfHoldingThePress) {
    atspi::AtspiAccessibility accessibility;
    Links client;
    ASSERT_TRUE(registered(accessibility, client));

    client.client.process().freeze();
    platform::AXError error = ax::success;
    const auto started = std::chrono::steady_clock::now();
    EXPECT_EQ(elementAt(accessibility, client.button(), &error), nullptr);
    const auto held = std::chrono::steady_clock::now() - started;
    EXPECT_EQ(error, ax::cannotComplete);
    // The press waits the budget and what a loaded machine adds to any wait,
    // more under the sanitizers; a call that waited on the client as long as
    // libatspi would on its own takes ten times the budget.
    EXPECT_LE(held, atspi::AtspiBudget::total + slack);

    client.client.process().thaw();
    EXPECT_TRUE(registered(accessibility, client)) << "it answers again once it comes back";
}

TEST(LinksThroughAtspi, AQuestionEndsOnceItsBudgetIsSpentHoweverWellTheClientAnswers) {
    // A clock that stands still for the question's start and its first call, and then has run the whole budget.
    const auto start = std::chrono::steady_clock::now();
    int looks = 0;
    atspi::AtspiAccessibility slowClock([&] { return ++looks <= 2 ? start : start + atspi::AtspiBudget::total; });
    atspi::AtspiAccessibility accessibility;
    Links client;
    ASSERT_TRUE(registered(accessibility, client));

    platform::AXError error = ax::success;
    EXPECT_EQ(elementAt(slowClock, client.button(), &error), nullptr);
    EXPECT_EQ(error, ax::cannotComplete);
}

}  // namespace
}  // namespace qm::x11test
