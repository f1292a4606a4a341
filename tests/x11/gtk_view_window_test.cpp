#include <gtest/gtest.h>

#include "platform/x11/gtk_view_window.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>
#include <gdk/gdkx.h>

#include "x11/gtk_desktop.h"
#include "x11/gtk_view_probe.h"

namespace qm::x11test {
namespace {

namespace v = platform::views;

// A counter: Add (the default button) counts up, Finish has the owner drop the window.
class Counter : public v::View {
public:
    explicit Counter(std::function<void()> finish) : finish_(std::move(finish)) {}
    v::Node body(v::StateStore& state) override {
        const int count = state.value("count", 0);
        return v::VStack(v::HorizontalAlignment::center, 12,
                         {v::Text("Count " + std::to_string(count)).identified("count"),
                          v::HStack(v::VerticalAlignment::center, std::nullopt,
                                    {v::Button("Finish", finish_).identified("finish"),
                                     v::Button("Add", [&state, count] { state.set("count", count + 1); })
                                         .keyboardShortcut(v::KeyboardShortcut::defaultAction)
                                         .identified("add")})})
            .frame(300, 200);
    }

private:
    std::function<void()> finish_;
};

struct CounterWindow {
    CounterWindow() {
        window = x11::GtkViewWindows().windowWithRootView(std::make_unique<Counter>([this] { window.reset(); }));
        window->setTitle("Counter");
        window->setStyleMask(platform::window_style::titled | platform::window_style::closable);
        window->setContentSize(300, 200);
        window->setReleasedWhenClosed(false);
        window->center();
        window->makeKeyAndOrderFront();
    }
    x11::GtkViewWindow& gtk() const { return static_cast<x11::GtkViewWindow&>(*window); }
    GtkWidget* widget() const { return GTK_WIDGET(gtk().gtkWindow()); }
    bool shown() const { return window && isViewable(widget()); }
    std::string count() const { return textsOf(gtk()).at(0); }
    ScreenRect button(const std::string& identifier) const { return nodeOnScreen(gtk(), identifier).value(); }
    void pressKey(unsigned long keysym, bool control = false) const { typeInto(gtk(), keysym, control); }

    std::unique_ptr<platform::Window> window;
};

TEST(ViewWindow, ShowsTheViewTitledAndCentredAndWorksItsButtonsByClickAndByReturn) {
    CounterWindow counter;
    ASSERT_TRUE(waitUntil([&] { return counter.shown(); }));
    EXPECT_STREQ(gtk_window_get_title(counter.gtk().gtkWindow()), "Counter");
    EXPECT_FALSE(gtk_window_get_resizable(counter.gtk().gtkWindow()));
    std::optional<ScreenRect> where;
    ASSERT_TRUE(waitUntil([&] {
        where = screenRectOf(gtk_bin_get_child(GTK_BIN(counter.widget())));
        return where && where->width == 300 && where->height == 200;
    }));
    // A 1280 × 800 screen with no panels: the middle of it.
    EXPECT_NEAR(where->x, (1280 - 300) / 2, 1);
    EXPECT_NEAR(where->y, (800 - 200) / 2, 1);

    const ScreenRect add = counter.button("add");
    clickNode(counter.gtk(), "add");
    ASSERT_TRUE(waitUntil([&] { return counter.count() == "Count 1"; }));

    counter.pressKey(XK_Return);
    ASSERT_TRUE(waitUntil([&] { return counter.count() == "Count 2"; }));

    // A press taken back by moving off the button before letting go does nothing.
    Display* x = Desktop::instance().input();
    Desktop::instance().moveTo(add.centerX(), add.centerY());
    XTestFakeButtonEvent(x, 1, True, CurrentTime);
    XSync(x, False);
    Desktop::instance().moveTo(add.x - 40, add.y - 40);
    XTestFakeButtonEvent(x, 1, False, CurrentTime);
    XSync(x, False);
    runFor(std::chrono::milliseconds(300));
    EXPECT_EQ(counter.count(), "Count 2");
}

TEST(ViewWindow, EscapeControlWAndTheCloseButtonOnlyHideItAndItComesBackAsItWas) {
    CounterWindow counter;
    ASSERT_TRUE(waitUntil([&] { return counter.shown(); }));
    counter.pressKey(XK_Return);
    ASSERT_TRUE(waitUntil([&] { return counter.count() == "Count 1"; }));

    counter.pressKey(XK_Escape);
    ASSERT_TRUE(waitUntil([&] { return !counter.shown(); }));
    counter.window->makeKeyAndOrderFront();
    ASSERT_TRUE(waitUntil([&] { return counter.shown(); }));
    EXPECT_EQ(counter.count(), "Count 1");

    counter.pressKey(XK_w, true);
    ASSERT_TRUE(waitUntil([&] { return !counter.shown(); }));
    counter.window->makeKeyAndOrderFront();
    ASSERT_TRUE(waitUntil([&] { return counter.shown(); }));

    // The title bar's close button: the window manager asks the window to close.
    Display* x = Desktop::instance().input();
    XEvent close{};
    close.xclient.type = ClientMessage;
    close.xclient.window = GDK_WINDOW_XID(gtk_widget_get_window(counter.widget()));
    close.xclient.message_type = XInternAtom(x, "WM_PROTOCOLS", False);
    close.xclient.format = 32;
    close.xclient.data.l[0] = static_cast<long>(XInternAtom(x, "WM_DELETE_WINDOW", False));
    close.xclient.data.l[1] = CurrentTime;
    XSendEvent(x, close.xclient.window, False, NoEventMask, &close);
    XSync(x, False);
    ASSERT_TRUE(waitUntil([&] { return !counter.shown(); }));
    EXPECT_NE(counter.window, nullptr);
    EXPECT_EQ(counter.count(), "Count 1");
}

TEST(ViewWindow, AButtonWhoseActionDropsTheWindowEndsIt) {
    CounterWindow counter;
    ASSERT_TRUE(waitUntil([&] { return counter.shown(); }));
    GtkWidget* widget = counter.widget();
    g_object_add_weak_pointer(G_OBJECT(widget), reinterpret_cast<gpointer*>(&widget));
    clickNode(counter.gtk(), "finish");
    ASSERT_TRUE(waitUntil([&] { return counter.window == nullptr; }));
    EXPECT_TRUE(waitUntil([&] { return widget == nullptr; })) << "the GTK window is gone with it";
}

}  // namespace
}  // namespace qm::x11test
