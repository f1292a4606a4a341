#include <gtest/gtest.h>

#include "platform/atspi/atspi_accessibility.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>

#include <algorithm>
#include <map>
#include <sstream>
#include <stdexcept>

#include "engine/scroll_controller.h"
#include "platform/sim/world.h"
#include "x11/gtk_desktop.h"

namespace qm::x11test {
namespace {

namespace ax = platform::ax_error;
using platform::AXElement;
using platform::Point;

// The GTK client with its links, on screen and known to AT-SPI.
class LinkClient {
public:
    // Waits for the client's report, serving the buses meanwhile: the client's
    // start may wait on this process, which is on the accessibility bus too.
    LinkClient() {
        bool ready = false;
        const bool reported = waitUntil([&] {
            for (const auto& line : finishedLines(output_)) {
                if (line == "ready") return ready = true;
                std::istringstream in(line);
                std::string name;
                Box rect{};
                in >> name >> rect.x >> rect.y >> rect.width >> rect.height;
                places_[name] = rect;
            }
            return false;
        });
        if (!reported) throw std::runtime_error("the link client did not report its links");
    }

    // The middle of the link button; a point on the link at the start of the
    // label's text; the middle of the plain text.
    Point button() const { return centre("button"); }
    Point labelLink() const { return {places_.at("label").x + 12.0, centre("label").y}; }
    Point plainText() const { return centre("plain"); }
    Child& process() { return process_; }

private:
    Point centre(const std::string& name) const {
        const auto& r = places_.at(name);
        return {static_cast<double>(r.centerX()), static_cast<double>(r.centerY())};
    }

    // Under the sanitizers the client's own leaks are not this test's, and it
    // answers at its ordinary pace only with the sanitizers' quick unwinding.
    Child process_ = gtkDesktop().run({QM_LINK_CLIENT}, "link-client", {"ASAN_OPTIONS=detect_leaks=0"});
    fs::path output_ = gtkDesktop().dir() / "link-client.out";
    std::map<std::string, Box> places_;
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
bool registered(platform::Accessibility& accessibility, const LinkClient& client) {
    return waitUntil([&] {
        auto element = elementAt(accessibility, client.button());
        if (element && roleOf(*element) == "AXLink") return true;
        runFor(std::chrono::milliseconds(50));
        return false;
    });
}

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
    LinkClient client;
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

TEST(LinksThroughAtspi, ElementsLeadUpToTheirApplicationAndReadNothingElse) {
    atspi::AtspiAccessibility accessibility;
    LinkClient client;
    ASSERT_TRUE(registered(accessibility, client));

    auto element = elementAt(accessibility, client.labelLink());
    ASSERT_TRUE(element);
    EXPECT_EQ(roleOf(*element), "AXLink");
    platform::AXValue value;
    EXPECT_EQ(element->copyAttributeValue("AXTitle", value), ax::attributeUnsupported);
    EXPECT_TRUE(std::holds_alternative<std::monostate>(value));
    EXPECT_EQ(element->setMessagingTimeout(-1), ax::illegalArgument);

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

    auto plain = elementAt(accessibility, client.plainText());
    ASSERT_TRUE(plain);
    EXPECT_EQ(roleOf(*plain), "AXUnknown");

    // Where no application's window is, there is no element.
    platform::AXError error = ax::success;
    EXPECT_EQ(elementAt(accessibility, {1200, 700}, &error), nullptr);
    EXPECT_EQ(error, ax::noValue);
}

// Whether the window manager lists the window as one it manages.
bool managed(Display* x, Window window) {
    Atom type = None;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    bool found = false;
    if (XGetWindowProperty(x, DefaultRootWindow(x), XInternAtom(x, "_NET_CLIENT_LIST", False), 0, 1024, False,
                           XA_WINDOW, &type, &format, &count, &after, &data) == Success &&
        data) {
        const auto* windows = reinterpret_cast<const unsigned long*>(data);
        found = std::find(windows, windows + count, window) != windows + count;
    }
    if (data) XFree(data);
    return found;
}

TEST(LinksThroughAtspi, UnderAWindowManagerTheFramedApplicationIsAsked) {
    Child manager = gtkDesktop().run({"openbox", "--sm-disable"}, "openbox");
    // The manager is ready once it manages a window of ours: one mapped before
    // it would be left alone.
    Display* x = gtkDesktop().x();
    const Window probe = XCreateSimpleWindow(x, DefaultRootWindow(x), 0, 0, 10, 10, 0, 0, 0);
    XMapWindow(x, probe);
    XSync(x, False);
    ASSERT_TRUE(waitUntil([&] { return managed(x, probe); }));
    XDestroyWindow(x, probe);
    XSync(x, False);
    atspi::AtspiAccessibility accessibility;
    LinkClient client;
    ASSERT_TRUE(registered(accessibility, client));

    // What lies under the link at the top of the screen is the manager's frame, not the client's window.
    Window child = None;
    int ignored = 0;
    XTranslateCoordinates(x, DefaultRootWindow(x), DefaultRootWindow(x), static_cast<int>(client.button().x),
                          static_cast<int>(client.button().y), &ignored, &ignored, &child);
    Atom type = None;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    XGetWindowProperty(x, child, XInternAtom(x, "WM_STATE", False), 0, 1, False, AnyPropertyType, &type, &format,
                       &count, &after, &data);
    if (data) XFree(data);
    EXPECT_EQ(type, None) << "a frame";

    auto link = elementAt(accessibility, client.labelLink());
    ASSERT_TRUE(link);
    EXPECT_EQ(roleOf(*link), "AXLink");
}

TEST(LinksThroughAtspi, AClientThatStopsAnsweringGetsNoAnswerInsteadOfHoldingThePress) {
    atspi::AtspiAccessibility accessibility;
    LinkClient client;
    ASSERT_TRUE(registered(accessibility, client));

    client.process().freeze();
    platform::AXError error = ax::success;
    const auto started = std::chrono::steady_clock::now();
    EXPECT_EQ(elementAt(accessibility, client.button(), &error), nullptr);
    const auto held = std::chrono::steady_clock::now() - started;
    EXPECT_EQ(error, ax::cannotComplete);
    std::printf("[ figures  ] a press over a client that never answers was held %.1f ms\n",
                std::chrono::duration<double, std::milli>(held).count());

    client.process().thaw();
    EXPECT_TRUE(registered(accessibility, client)) << "it answers again once it comes back";
}

TEST(LinksThroughAtspi, AQuestionEndsOnceItsBudgetIsSpentHoweverWellTheClientAnswers) {
    // A clock that stands still for the question's start and its first call, and then has run the whole budget.
    const auto start = std::chrono::steady_clock::now();
    int looks = 0;
    atspi::AtspiAccessibility slowClock([&] { return ++looks <= 2 ? start : start + atspi::AtspiBudget::total; });
    atspi::AtspiAccessibility accessibility;
    LinkClient client;
    ASSERT_TRUE(registered(accessibility, client));

    platform::AXError error = ax::success;
    EXPECT_EQ(elementAt(slowClock, client.button(), &error), nullptr);
    EXPECT_EQ(error, ax::cannotComplete);
}

}  // namespace
}  // namespace qm::x11test
