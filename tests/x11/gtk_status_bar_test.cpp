#include <gtest/gtest.h>

#include "platform/gtk/gtk_status_bar.h"

#include <X11/Xatom.h>
#include <X11/Xutil.h>
#include <gtk/gtkx.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <stdexcept>

#include "x11/gtk_desktop.h"
#include "x11/gtk_tray_host.h"

namespace qm::x11test {
namespace {

namespace fs = std::filesystem;
using platform::ControlState;
using platform::MenuItem;

// The program's side of a menu: what it was asked to do, and a refresh that
// names the frontmost application the way the program's does.
class Program : public platform::ActionTarget, public platform::MenuDelegate {
public:
    void performAction(std::string_view selector, MenuItem& sender) override {
        actions.emplace_back(selector);
        senders.push_back(&sender);
    }
    void menuWillOpen(platform::Menu&) override { exclude->setTitle("Disable in " + frontmost); }

    std::vector<std::string> actions;
    std::vector<MenuItem*> senders;
    MenuItem* exclude = nullptr;
    std::string frontmost = "my_app";
};

// What the status bar tells the log.
struct Log : platform::SystemLog {
    void log(std::string_view line) override { lines.emplace_back(line); }
    std::vector<std::string> lines;
};

// The status item the program sets up at launch, with a menu of its kinds of items.
struct StatusItem {
    explicit StatusItem(Program& program) {
        item = bar.statusItemWithLength(platform::variableStatusItemLength);
        auto image = bar.imageNamed("MenuBarIcon");
        image->setTemplate(true);
        image->setSize(18, 18);
        item->button()->setImage(std::move(image));
        auto menu = bar.makeMenu();
        menu->setDelegate(&program);
        menu->setAutoenablesItems(false);
        enable = &menu->addItem("Autoscroll Disabled", "toggleEnabled", "");
        exclude = &menu->addItem("Disable in my_app", "toggleExcludeCurrentApp", "");
        menu->addSeparator();
        menu->addItem("Launch at Login", "toggleLaunchAtLogin", "");
        menu->addSeparator();
        quit = &menu->addItem("Quit Quillmere", "quit", "q");
        for (auto* i : {enable, exclude, quit}) i->setTarget(&program);
        program.exclude = exclude;
        item->setMenu(std::move(menu));
    }

    // AppIndicator lets go of the menu a little after the item goes; until
    // then it may still call on it.
    ~StatusItem() {
        GtkWidget* widget = static_cast<gtk::GtkTrayMenuItem*>(quit)->widget();
        g_object_add_weak_pointer(G_OBJECT(widget), reinterpret_cast<gpointer*>(&widget));
        item.reset();
        EXPECT_TRUE(waitFor([&] { return widget == nullptr; })) << "the menu outlives its status item";
    }

    Log log;
    gtk::GtkStatusBar bar{QM_DATA, log};
    std::unique_ptr<platform::StatusItem> item;
    MenuItem* enable;
    MenuItem* exclude;
    MenuItem* quit;
};

std::vector<std::string> labels(const std::vector<MenuEntry>& menu) {
    std::vector<std::string> result;
    for (const auto& e : menu) result.push_back(e.separator ? "---" : e.label);
    return result;
}

TEST(StatusItemOnAPanel, ShowsTheMenuAsTheProgramSetsItWithoutShortcutsUnderTheSymbolicIcon) {
    TrayHost panel;
    Program program;
    StatusItem status(program);
    ASSERT_TRUE(panel.hasItem());

    const std::vector<std::string> expected{"Autoscroll Disabled", "Disable in my_app", "---", "Launch at Login", "---",
                                            "Quit Quillmere"};
    ASSERT_TRUE(waitFor([&] { return labels(panel.menu()) == expected; }))
        << testing::PrintToString(labels(panel.menu()));
    EXPECT_FALSE(panel.entry("Autoscroll Disabled")->checkable) << "no state given yet, so no check box";
    EXPECT_FALSE(panel.entry("Quit Quillmere")->hasShortcut) << "a tray menu takes no keys, so it shows no shortcut";

    // A click on a check item tells the program; the check shows what the program says, nothing else.
    status.enable->setState(ControlState::on);
    ASSERT_TRUE(waitFor([&] { return panel.entry("Autoscroll Disabled")->checked; }));
    ASSERT_TRUE(panel.click("Autoscroll Disabled"));
    ASSERT_TRUE(waitFor([&] { return program.senders == std::vector<MenuItem*>{status.enable}; }));
    runFor(0.2);
    EXPECT_TRUE(panel.entry("Autoscroll Disabled")->checked);

    // The picture: the symbolic icon, which the panel colours as it colours its own.
    EXPECT_TRUE(panel.iconFile().ends_with("-symbolic.svg")) << panel.iconFile();
    EXPECT_EQ(readFile(panel.iconFile()), readFile(std::string(QM_DATA) + "/MenuBarIcon-symbolic.svg"));
    EXPECT_TRUE(status.log.lines.empty()) << status.log.lines.front();
}

// trayer on the desktop, its panel tinted, and a tray item in it.
struct Tray {
    explicit Tray(const std::string& tint = "0xdcdad5") : manager(gtkDesktop().startTray(tint)) {}
    ~Tray() { gtkDesktop().stopTray(); }

    // The item's icon, a plug window of this process, once the tray has
    // embedded it and given it its size.
    GtkWidget* embeddedIcon() {
        GtkWidget* icon = nullptr;
        const bool embedded = waitFor([&] {
            GList* windows = gtk_window_list_toplevels();
            for (GList* w = windows; w; w = w->next)
                if (GTK_IS_PLUG(w->data) && gtk_widget_get_mapped(GTK_WIDGET(w->data))) icon = GTK_WIDGET(w->data);
            g_list_free(windows);
            const auto where = icon ? screenRectOf(icon) : std::nullopt;
            return icon && gtk_plug_get_embedded(GTK_PLUG(icon)) && where && where->width > 1 && where->height > 1 &&
                   isViewable(icon);
        });
        return embedded ? icon : nullptr;
    }

    Window manager;
};

TEST(StatusItemInATray, OpensItsMenuOnAClickRefreshingItFirstAndRunsTheChosenItem) {
    Tray tray;
    Program program;
    auto status = std::make_unique<StatusItem>(program);
    GtkWidget* icon = tray.embeddedIcon();
    ASSERT_TRUE(icon);
    const std::optional<Box> where = screenRectOf(icon);
    program.frontmost = "Editor";
    gtkDesktop().click(where->centerX(), where->centerY(), 1);

    GtkWidget* quit = nullptr;
    ASSERT_TRUE(waitFor([&] {
        quit = static_cast<gtk::GtkTrayMenuItem*>(status->quit)->widget();
        return isViewable(quit);
    }));
    EXPECT_EQ(gtk_menu_item_get_label(GTK_MENU_ITEM(static_cast<gtk::GtkTrayMenuItem*>(status->exclude)->widget())),
              std::string("Disable in Editor"));

    const auto item = screenRectOf(quit);
    ASSERT_TRUE(item);
    gtkDesktop().click(item->centerX(), item->centerY(), 1);
    ASSERT_TRUE(waitFor([&] { return !program.actions.empty(); }));
    EXPECT_EQ(program.actions, std::vector<std::string>{"quit"});
}

// The contrast of two colours of the screen, 0xRRGGBB, as WCAG measures it.
double contrast(unsigned long a, unsigned long b) {
    const auto luminance = [](unsigned long pixel) {
        const auto linear = [](unsigned long channel) {
            const double c = static_cast<double>(channel & 0xff) / 255;
            return c <= 0.03928 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
        };
        return 0.2126 * linear(pixel >> 16) + 0.7152 * linear(pixel >> 8) + 0.0722 * linear(pixel);
    };
    const double la = luminance(a), lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

struct Panel {
    std::string name;
    std::string tint;
    // What the tray asks its icons to draw in, red, green and blue of 65535, if it asks.
    std::optional<std::array<unsigned long, 3>> foreground;
};

void PrintTo(const Panel& panel, std::ostream* out) {
    *out << panel.name;
}

class IconInATray : public testing::TestWithParam<Panel> {};

// What the tray shows of a template picture stands out from the panel: a
// tenth of the icon's square or more at a contrast of 3:1 at least. Where the
// tray names its colour, that is the colour.
TEST_P(IconInATray, StandsOutFromThePanel) {
    const Panel& panel = GetParam();
    Tray tray(panel.tint);
    Display* x = gtkDesktop().x();
    if (panel.foreground) {
        const auto [red, green, blue] = *panel.foreground;
        const unsigned long colors[12] = {red, green, blue, 0xffff, 0, 0, 0xffff, 0x8000, 0, 0, 0x8000, 0};
        XChangeProperty(x, tray.manager, XInternAtom(x, "_NET_SYSTEM_TRAY_COLORS", False), XA_CARDINAL, 32,
                        PropModeReplace, reinterpret_cast<const unsigned char*>(colors), 12);
        XSync(x, False);
    }
    Program program;
    StatusItem status(program);
    GtkWidget* icon = tray.embeddedIcon();
    ASSERT_TRUE(icon);

    std::string seen;
    const bool standsOut = waitFor(
        [&] {
            const auto box = screenRectOf(icon);
            XImage* image =
                XGetImage(x, DefaultRootWindow(x), box->x, box->y, box->width, box->height, AllPlanes, ZPixmap);
            if (!image) return false;
            // The picture is centred with room around it: the corner shows the panel.
            const unsigned long background = XGetPixel(image, 0, 0);
            int ink = 0, otherColour = 0;
            for (int row = 0; row < box->height; ++row) {
                for (int column = 0; column < box->width; ++column) {
                    const unsigned long pixel = XGetPixel(image, column, row);
                    if (contrast(pixel, background) < 3) continue;
                    ++ink;
                    // The tray's colour here is a red; blends of it with the dark panel stay red.
                    otherColour += panel.foreground && ((pixel >> 16) & 0xff) < ((pixel >> 8) & 0xff) + 0x20;
                }
            }
            XDestroyImage(image);
            char text[120];
            std::snprintf(text, sizeof text, "panel #%06lx: %d of %d pixels at 3:1 or more, %d of another colour",
                          background, ink, box->width * box->height, otherColour);
            seen = text;
            return ink * 10 >= box->width * box->height && otherColour == 0;
        },
        10);
    EXPECT_TRUE(standsOut) << seen;
}

INSTANTIATE_TEST_SUITE_P(
    Panels, IconInATray,
    testing::Values(Panel{"Light", "0xf6f5f4", std::nullopt}, Panel{"Dark", "0x202020", std::nullopt},
                    Panel{"DarkAskingForRed", "0x202020", std::array<unsigned long, 3>{0xffff, 0x8080, 0x8080}}),
    [](const testing::TestParamInfo<Panel>& info) { return info.param.name; });

// A run that was killed leaves the directory of its pictures behind: the next
// run removes it, and only if its process is gone.
TEST(TrayIconDirectory, LivesInTheRuntimeDirectoryAndRemovesWhatEndedRunsLeft) {
    const fs::path parent = fs::path(g_get_user_runtime_dir()) / "quillmere";
    const auto directoryOf = [&](pid_t pid) { return parent / ("tray-icons-" + std::to_string(pid)); };
    const pid_t ended = fork();
    if (ended == 0) _exit(0);
    waitpid(ended, nullptr, 0);
    for (const pid_t pid : {ended, getppid()}) {
        fs::create_directories(directoryOf(pid));
        std::ofstream(directoryOf(pid) / "quillmere-1.png") << "picture";
    }
    {
        gtk::GtkIconDirectory icons;
        EXPECT_EQ(icons.path(), directoryOf(getpid()).string());
        EXPECT_FALSE(fs::exists(directoryOf(ended)));
        EXPECT_TRUE(fs::exists(directoryOf(getppid()) / "quillmere-1.png")) << "its process still runs";
        std::ofstream(icons.fileFor(icons.nextName())) << "picture";
    }
    EXPECT_FALSE(fs::exists(directoryOf(getpid())));
    fs::remove_all(directoryOf(getppid()));
}

}  // namespace
}  // namespace qm::x11test
