#include <gtest/gtest.h>

#include "platform/gtk/gtk_status_bar.h"

#include <X11/Xatom.h>
#include <cairo.h>
#include <gtk/gtkx.h>

#include <filesystem>

#include "x11/gtk_desktop.h"
#include "x11/gtk_tray_host.h"

namespace qm::x11test {
namespace {

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
    void menuWillOpen(platform::Menu&) override {
        ++refreshes;
        exclude->setTitle("Disable in " + frontmost);
    }

    std::vector<std::string> actions;
    std::vector<MenuItem*> senders;
    int refreshes = 0;
    MenuItem* exclude = nullptr;
    std::string frontmost = "my_app";
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
        EXPECT_TRUE(waitUntil([&] { return widget == nullptr; })) << "the menu outlives its status item";
    }

    gtk::GtkStatusBar bar{QM_RESOURCES};
    std::unique_ptr<platform::StatusItem> item;
    MenuItem* enable;
    MenuItem* exclude;
    MenuItem* quit;
};

std::string describe(const std::vector<MenuEntry>& menu) {
    std::string text;
    for (const auto& e : menu)
        text += std::to_string(e.id) + " " + e.label + (e.checkable ? " [check]" : "") + (e.checked ? " on" : "") +
                (e.enabled ? "" : " disabled") + (e.separator ? " ---" : "") + "\n";
    return text;
}

// The status items' picture directories on the default icon theme's search path.
int iconDirectoriesOnTheThemePath() {
    gchar** paths = nullptr;
    gint count = 0;
    gtk_icon_theme_get_search_path(gtk_icon_theme_get_default(), &paths, &count);
    int found = 0;
    for (gint i = 0; i < count; ++i)
        found += std::filesystem::path(paths[i]).filename().string().starts_with("quillmere-icons-");
    g_strfreev(paths);
    return found;
}

std::vector<std::string> labels(const std::vector<MenuEntry>& menu) {
    std::vector<std::string> result;
    for (const auto& e : menu) result.push_back(e.separator ? "---" : e.label);
    return result;
}

TEST(StatusItemOnAPanel, ShowsTheMenuAsTheProgramSetsItAndSendsTheChosenAction) {
    TrayHost panel;
    Program program;
    StatusItem status(program);
    ASSERT_TRUE(panel.hasItem());

    const std::vector<std::string> expected{"Autoscroll Disabled", "Disable in my_app", "---", "Launch at Login", "---",
                                            "Quit Quillmere"};
    ASSERT_TRUE(waitUntil([&] { return labels(panel.menu()) == expected; }))
        << testing::PrintToString(labels(panel.menu()));
    EXPECT_FALSE(panel.entry("Autoscroll Disabled")->checkable) << "no state given yet, so no check box";
    EXPECT_EQ(panel.entry("Quit Quillmere")->shortcut, "Control+q");

    // The refresh at the end of the launch.
    status.enable->setState(ControlState::on);
    status.enable->setTitle("Autoscroll Enabled");
    status.exclude->setState(ControlState::off);
    status.exclude->setEnabled(false);
    ASSERT_TRUE(waitUntil([&] {
        const auto enable = panel.entry("Autoscroll Enabled");
        const auto exclude = panel.entry("Disable in my_app");
        return enable && enable->checkable && enable->checked && exclude && exclude->checkable && !exclude->checked &&
               !exclude->enabled;
    })) << describe(panel.menu());
    EXPECT_EQ(labels(panel.menu()).size(), expected.size()) << "the check items took the plain items' places";
    EXPECT_EQ(labels(panel.menu()).at(0), "Autoscroll Enabled");

    EXPECT_EQ(program.actions.size(), 0u) << "setting a state is no choice of the user's";
    panel.click(panel.entry("Autoscroll Enabled")->id);
    ASSERT_TRUE(waitUntil([&] { return program.actions.size() == 1; }));
    EXPECT_EQ(program.actions.at(0), "toggleEnabled");
    EXPECT_EQ(program.senders.at(0), status.enable);
    runFor(std::chrono::milliseconds(200));
    EXPECT_TRUE(panel.entry("Autoscroll Enabled")->checked) << "a click shows what the program says, nothing else";

    // The picture: the resource's shape, drawn sharp at twice its size.
    cairo_surface_t* icon = cairo_image_surface_create_from_png(panel.iconFile().c_str());
    EXPECT_EQ(cairo_surface_status(icon), CAIRO_STATUS_SUCCESS) << panel.iconFile();
    EXPECT_EQ(cairo_image_surface_get_width(icon), 36);
    cairo_surface_destroy(icon);
}

TEST(StatusItemOnAPanel, IsRefreshedWhenTheActiveWindowChangesForPanelsNeverSayTheyOpenTheMenu) {
    TrayHost panel;
    Program program;
    StatusItem status(program);
    ASSERT_TRUE(panel.hasItem());
    ASSERT_TRUE(waitUntil([&] { return panel.entry("Disable in my_app").has_value(); }));
    const int before = program.refreshes;

    program.frontmost = "Editor";
    Display* x = gtkDesktop().x();
    const Window active = 0x1234;
    XChangeProperty(x, DefaultRootWindow(x), XInternAtom(x, "_NET_ACTIVE_WINDOW", False), XA_WINDOW, 32,
                    PropModeReplace, reinterpret_cast<const unsigned char*>(&active), 1);
    XSync(x, False);
    EXPECT_TRUE(waitUntil([&] { return panel.entry("Disable in Editor").has_value(); }));
    EXPECT_EQ(program.refreshes, before + 1);

    // Another property of the root window is no reason.
    XChangeProperty(x, DefaultRootWindow(x), XInternAtom(x, "_NET_CLIENT_LIST", False), XA_WINDOW, 32, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(&active), 1);
    XSync(x, False);
    runFor(std::chrono::milliseconds(300));
    EXPECT_EQ(program.refreshes, before + 1);
}

TEST(StatusItemInATray, OpensItsMenuOnAClickRefreshingItFirstAndRunsTheChosenItem) {
    Child tray = gtkDesktop().run({"trayer", "--edge", "top", "--align", "right", "--widthtype", "request", "--height",
                                   "24", "--SetDockType", "false", "--SetPartialStrut", "false"},
                                  "trayer");
    Display* x = gtkDesktop().x();
    const Atom selection = XInternAtom(x, "_NET_SYSTEM_TRAY_S0", False);
    ASSERT_TRUE(waitUntil([&] { return XGetSelectionOwner(x, selection) != None; }));
    Program program;
    auto status = std::make_unique<StatusItem>(program);
    // On the path before the indicator falls back to the tray, or its search for
    // the path runs past the end of the list.
    EXPECT_EQ(iconDirectoriesOnTheThemePath(), 1);

    // The tray's icon is a plug window of this process.
    GtkWidget* icon = nullptr;
    ASSERT_TRUE(waitUntil([&] {
        GList* windows = gtk_window_list_toplevels();
        for (GList* w = windows; w; w = w->next)
            if (GTK_IS_PLUG(w->data) && gtk_widget_get_mapped(GTK_WIDGET(w->data))) icon = GTK_WIDGET(w->data);
        g_list_free(windows);
        return icon && gtk_plug_get_embedded(GTK_PLUG(icon));
    }));
    // Embedded first, then given its size by the tray.
    std::optional<Box> where;
    ASSERT_TRUE(waitUntil([&] {
        where = screenRectOf(icon);
        return where && where->width > 1 && where->height > 1 && isViewable(icon);
    }));
    const int before = program.refreshes;
    program.frontmost = "Editor";
    gtkDesktop().click(where->centerX(), where->centerY(), 1);

    GtkWidget* quit = nullptr;
    ASSERT_TRUE(waitUntil([&] {
        quit = static_cast<gtk::GtkTrayMenuItem*>(status->quit)->widget();
        return isViewable(quit);
    }));
    EXPECT_EQ(program.refreshes, before + 1);
    EXPECT_EQ(gtk_menu_item_get_label(GTK_MENU_ITEM(static_cast<gtk::GtkTrayMenuItem*>(status->exclude)->widget())),
              std::string("Disable in Editor"));

    const auto item = screenRectOf(quit);
    ASSERT_TRUE(item);
    gtkDesktop().click(item->centerX(), item->centerY(), 1);
    ASSERT_TRUE(waitUntil([&] { return !program.actions.empty(); }));
    EXPECT_EQ(program.actions, std::vector<std::string>{"quit"});
    status.reset();
    EXPECT_EQ(iconDirectoriesOnTheThemePath(), 0) << "the path leaves with its directory";
}

}  // namespace
}  // namespace qm::x11test
