#include <gtest/gtest.h>

#include "platform/gtk/gtk_view_window.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/keysym.h>
#include <gdk/gdkx.h>

#include <cmath>

#include "x11/gtk_desktop.h"

namespace qm::x11test {
namespace {

namespace v = platform::views;

// A counter: Add, the default button, counts up.
class Counter : public v::View {
public:
    v::Node body(v::StateStore& state) override {
        const int count = state.value("count", 0);
        return v::VStack(v::HorizontalAlignment::center, 12,
                         {v::Text("Count " + std::to_string(count)).identified("count"),
                          v::Button("Add", [&state, count] { state.set("count", count + 1); })
                              .keyboardShortcut(v::KeyboardShortcut::defaultAction)
                              .identified("add")})
            .frame(300, 200);
    }
};

struct CounterWindow {
    CounterWindow() {
        window = gtk::GtkViewWindows().windowWithRootView(std::make_unique<Counter>());
        window->setTitle("Counter");
        window->setStyleMask(platform::window_style::titled | platform::window_style::closable);
        window->setContentSize(300, 200);
        window->setReleasedWhenClosed(false);
        window->center();
        window->makeKeyAndOrderFront();
    }
    gtk::GtkViewWindow& gtk() const { return static_cast<gtk::GtkViewWindow&>(*window); }
    GtkWidget* widget() const { return GTK_WIDGET(gtk().gtkWindow()); }
    bool shown() const { return window && isViewable(widget()); }
    std::string count() const { return textsOf(gtk()).at(0); }
    Box button(const std::string& identifier) const { return nodeOnScreen(gtk(), identifier).value(); }
    void pressKey(unsigned long keysym, bool control = false) const { typeInto(gtk(), keysym, control); }

    std::unique_ptr<platform::Window> window;
};

TEST(ViewWindow, ShowsTheViewTitledAndCentredAndWorksItsButtonsByClickAndByReturn) {
    CounterWindow counter;
    ASSERT_TRUE(waitFor([&] { return counter.shown(); }));
    EXPECT_STREQ(gtk_window_get_title(counter.gtk().gtkWindow()), "Counter");
    EXPECT_FALSE(gtk_window_get_resizable(counter.gtk().gtkWindow()));
    std::optional<Box> where;
    ASSERT_TRUE(waitFor([&] {
        where = screenRectOf(gtk_bin_get_child(GTK_BIN(counter.widget())));
        return where && where->width == 300 && where->height == 200;
    }));
    // A 1280 × 800 screen with no panels: the middle of it.
    EXPECT_NEAR(where->x, (1280 - 300) / 2, 1);
    EXPECT_NEAR(where->y, (800 - 200) / 2, 1);

    const Box add = counter.button("add");
    clickNode(counter.gtk(), "add");
    ASSERT_TRUE(waitFor([&] { return counter.count() == "Count 1"; }));

    counter.pressKey(XK_Return);
    ASSERT_TRUE(waitFor([&] { return counter.count() == "Count 2"; }));

    // A press taken back by moving off the button before letting go does nothing.
    Desktop& desktop = gtkDesktop();
    desktop.moveTo(add.centerX(), add.centerY());
    desktop.press(1);
    desktop.moveTo(add.x - 40, add.y - 40);
    desktop.release(1);
    runFor(0.3);
    EXPECT_EQ(counter.count(), "Count 2");
}

TEST(ViewWindow, ControlWAndTheCloseButtonOnlyHideItAndItComesBackAsItWas) {
    CounterWindow counter;
    ASSERT_TRUE(waitFor([&] { return counter.shown(); }));
    counter.pressKey(XK_Return);
    ASSERT_TRUE(waitFor([&] { return counter.count() == "Count 1"; }));

    counter.pressKey(XK_w, true);
    ASSERT_TRUE(waitFor([&] { return !counter.shown(); }));
    counter.window->makeKeyAndOrderFront();
    ASSERT_TRUE(waitFor([&] { return counter.shown(); }));

    // The title bar's close button: the window manager asks the window to close.
    Display* x = gtkDesktop().x();
    XEvent close{};
    close.xclient.type = ClientMessage;
    close.xclient.window = GDK_WINDOW_XID(gtk_widget_get_window(counter.widget()));
    close.xclient.message_type = XInternAtom(x, "WM_PROTOCOLS", False);
    close.xclient.format = 32;
    close.xclient.data.l[0] = static_cast<long>(XInternAtom(x, "WM_DELETE_WINDOW", False));
    close.xclient.data.l[1] = CurrentTime;
    XSendEvent(x, close.xclient.window, False, NoEventMask, &close);
    XSync(x, False);
    ASSERT_TRUE(waitFor([&] { return !counter.shown(); }));
    EXPECT_NE(counter.window, nullptr);
    EXPECT_EQ(counter.count(), "Count 1");
}

// A page of settings: a level along a logarithmic track, a switch, a choice of
// three, and a short list whose rows can be removed, most of them out of sight
// until it is scrolled.
class Settings : public v::View {
public:
    v::Node body(v::StateStore&) override {
        std::vector<v::Node> rows;
        for (const auto& name : names)
            rows.push_back(
                v::HStack(v::VerticalAlignment::center, 8,
                          {v::Text(name), v::Spacer(),
                           v::Button("Remove", [this, name] { std::erase(names, name); }).identified("remove:" + name)})
                    .padding(v::edge::horizontal, 10));
        return v::VStack(
                   v::HorizontalAlignment::leading, 12,
                   {v::Slider(level, {0.25, 4, true, 5},
                              [this](double value) {
                                  levels.push_back(value);
                                  level = value;
                              })
                        .identified("level"),
                    v::Toggle("Smooth", smooth, [this](bool on) { smooth = on; }).identified("smooth"),
                    v::Picker({{1, "First"}, {2, "Second"}, {3, "Third"}}, choice, [this](int tag) { choice = tag; })
                        .identified("choice"),
                    v::List(std::move(rows)).frame(std::nullopt, 60).identified("names"), v::Spacer()})
            .padding(v::edge::all, 20)
            .frame(320, 320);
    }

    double level = 1;
    std::vector<double> levels;
    bool smooth = false;
    int choice = 1;
    std::vector<std::string> names{"Alpha", "Beta", "Gamma", "Delta", "Epsilon", "Zeta"};
};

// Whether the screen shows the accent colour at (x, y).
bool showsAccent(int x, int y) {
    Display* display = gtkDesktop().x();
    XImage* image = XGetImage(display, DefaultRootWindow(display), x, y, 1, 1, AllPlanes, ZPixmap);
    const unsigned long pixel = XGetPixel(image, 0, 0);
    XDestroyImage(image);
    return (pixel & 0xff) > 200 && (pixel >> 16 & 0xff) < 60;
}

double valueOf(const gtk::GtkViewWindow& window, const std::string& identifier) {
    double value = -1;
    v::walk(window.host().tree(), [&](const v::Node& node) {
        if (node.identifier == identifier) value = node.value;
    });
    return value;
}

TEST(ViewWindow, WorksSlidersTogglesPickersAndListRowsAsAUserDoes) {
    auto owned = std::make_unique<Settings>();
    Settings& view = *owned;
    auto window = gtk::GtkViewWindows().windowWithRootView(std::move(owned));
    auto& gtk = static_cast<gtk::GtkViewWindow&>(*window);
    window->setContentSize(320, 320);
    window->makeKeyAndOrderFront();
    ASSERT_TRUE(waitFor([&] { return isViewable(gtk.gtkWindow()) && nodeOnScreen(gtk, "level"); }));
    Desktop& desktop = gtkDesktop();

    // The knob goes where the track is pressed and follows the drag; every
    // value it passes is shown at once, and the last one stays.
    const Box slider = nodeOnScreen(gtk, "level").value();
    const auto trackAt = [&](double fraction) {
        return slider.x + 8 + static_cast<int>(fraction * (slider.width - 16));
    };
    const int trackY = slider.y + 10;
    desktop.moveTo(trackAt(0.75), slider.centerY());
    desktop.press(1);
    ASSERT_TRUE(waitFor([&] { return !view.levels.empty(); }));
    EXPECT_NEAR(view.levels.front(), 2, 0.05) << "three quarters of a track from 1/4 to 4, by the logarithm";
    EXPECT_TRUE(waitFor([&] { return showsAccent(trackAt(0.5), trackY); }));
    desktop.moveTo(trackAt(0.25), slider.centerY());
    EXPECT_TRUE(waitFor([&] { return std::abs(view.level - 0.5) < 0.02; }));
    desktop.moveTo(slider.x - 30, slider.centerY());
    desktop.release(1);
    ASSERT_TRUE(waitFor([&] { return std::abs(view.level - 0.25) < 1e-9; })) << "past the track's end: the least";
    EXPECT_NEAR(valueOf(gtk, "level"), 0.25, 1e-9);
    EXPECT_TRUE(waitFor([&] { return !showsAccent(trackAt(0.5), trackY); }));

    // A click flips the checkbox, and a second flips it back.
    const Box toggle = nodeOnScreen(gtk, "smooth").value();
    clickNode(gtk, "smooth");
    ASSERT_TRUE(waitFor([&] { return view.smooth; }));
    EXPECT_TRUE(waitFor([&] { return showsAccent(toggle.x + 2, toggle.centerY()); }));
    clickNode(gtk, "smooth");
    ASSERT_TRUE(waitFor([&] { return !view.smooth; }));
    EXPECT_TRUE(waitFor([&] { return !showsAccent(toggle.x + 2, toggle.centerY()); }));

    // A click pops up the options; choosing one sets the picker.
    clickNode(gtk, "choice");
    std::optional<Box> third;
    ASSERT_TRUE(waitFor([&] { return (third = menuItemOnScreen(gtk, "Third")).has_value(); }));
    desktop.click(third->centerX(), third->centerY(), 1);
    ASSERT_TRUE(waitFor([&] { return view.choice == 3; }));
    EXPECT_EQ(valueOf(gtk, "choice"), 3);

    // A row's button works where the row is in sight, and not where the list
    // hides it below its frame.
    clickNode(gtk, "remove:Delta");
    runFor(0.3);
    EXPECT_EQ(view.names.size(), 6u) << "a row out of sight cannot be worked";
    clickNode(gtk, "remove:Beta");
    ASSERT_TRUE(waitFor([&] { return view.names.size() == 5; }));

    // The wheel over the list brings its last rows into sight, and a click
    // works the row shown under the pointer.
    const Box list = nodeOnScreen(gtk, "names").value();
    const Box zeta = nodeOnScreen(gtk, "remove:Zeta").value();
    ASSERT_GE(zeta.y, list.y + list.height);
    for (int click = 0; click < 3; ++click) desktop.click(list.centerX(), list.centerY(), 5);
    // No further than the last row reaching the list's bottom.
    ASSERT_TRUE(waitFor([&] {
        const Box shown = nodeOnScreen(gtk, "remove:Zeta").value();
        return std::abs(shown.y + shown.height - (list.y + list.height)) <= 1;
    }));
    clickNode(gtk, "remove:Zeta");
    ASSERT_TRUE(waitFor([&] { return view.names.size() == 4; }));
    EXPECT_EQ(view.names, (std::vector<std::string>{"Alpha", "Gamma", "Delta", "Epsilon"}));
    EXPECT_EQ(view.levels.back(), view.level) << "working other controls leaves the slider alone";
}

}  // namespace
}  // namespace qm::x11test
