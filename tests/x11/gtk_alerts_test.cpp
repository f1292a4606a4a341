#include <gtest/gtest.h>

#include "platform/gtk/gtk_alerts.h"

#include <X11/keysym.h>
#include <gtk/gtk.h>

#include "x11/gtk_desktop.h"

namespace qm::x11test {
namespace {

using platform::RunLoopMode;

const platform::AlertContent permissionAlert{"Quillmere needs Accessibility access",
                                             "Switch it on and it starts right away.",
                                             platform::AlertStyle::informational,
                                             {"Open_Settings", "Later"}};

GtkWidget* shownDialog() {
    GtkWidget* found = nullptr;
    GList* windows = gtk_window_list_toplevels();
    for (GList* w = windows; w; w = w->next)
        if (GTK_IS_MESSAGE_DIALOG(w->data) && isViewable(w->data)) found = GTK_WIDGET(w->data);
    g_list_free(windows);
    return found;
}

// The dialog's buttons as they stand, left to right.
std::vector<GtkWidget*> buttonsOf(GtkWidget* dialog) {
    std::vector<GtkWidget*> buttons;
    GtkWidget* first = gtk_dialog_get_widget_for_response(GTK_DIALOG(dialog), platform::alertFirstButtonReturn);
    GList* children = gtk_container_get_children(GTK_CONTAINER(gtk_widget_get_parent(first)));
    for (GList* c = children; c; c = c->next) buttons.push_back(GTK_WIDGET(c->data));
    g_list_free(children);
    return buttons;
}

// Shows the alert and, once its dialog is on screen, lets the user answer it;
// again a second later, should a loaded machine have lost the answer.
struct AlertRun {
    std::vector<RunLoopMode> modes;
    std::vector<RunLoopMode> modesWhileShown;
    std::vector<std::string> buttonTitles;
    std::string message, information;
    platform::ModalResponse response = 0;

    AlertRun(const platform::AlertContent& alert, std::function<void(GtkWidget* dialog)> user) : user(std::move(user)) {
        gtk::GtkAlerts alerts([this](RunLoopMode mode) { modes.push_back(mode); });
        const guint poll = g_timeout_add(10, &AlertRun::look, this);
        response = alerts.runModal(alert);
        g_source_remove(poll);
    }

private:
    static gboolean look(gpointer self) {
        auto* run = static_cast<AlertRun*>(self);
        GtkWidget* dialog = shownDialog();
        if (!dialog || run->looks++ % 100 != 0) return G_SOURCE_CONTINUE;
        if (run->looks == 1) run->read(dialog);
        run->user(dialog);
        return G_SOURCE_CONTINUE;
    }

    void read(GtkWidget* dialog) {
        modesWhileShown = modes;
        for (GtkWidget* button : buttonsOf(dialog)) buttonTitles.push_back(gtk_button_get_label(GTK_BUTTON(button)));
        gchar* text = nullptr;
        gchar* secondary = nullptr;
        g_object_get(dialog, "text", &text, "secondary-text", &secondary, nullptr);
        message = text ? text : "";
        information = secondary ? secondary : "";
        g_free(text);
        g_free(secondary);
    }

    std::function<void(GtkWidget*)> user;
    int looks = 0;
};

void clickButton(GtkWidget* dialog, const std::string& title) {
    for (GtkWidget* button : buttonsOf(dialog)) {
        if (gtk_button_get_label(GTK_BUTTON(button)) != title) continue;
        const auto where = screenRectOf(button);
        ASSERT_TRUE(where);
        gtkDesktop().click(where->centerX(), where->centerY(), 1);
    }
}

TEST(Alert, ShowsItsTextsAndButtonsAndAnswersTheButtonClickedWhileTheRunLoopIsModal) {
    const AlertRun run(permissionAlert, [](GtkWidget* dialog) { clickButton(dialog, "Later"); });
    EXPECT_EQ(run.response, platform::alertSecondButtonReturn);
    EXPECT_EQ(run.message, permissionAlert.messageText);
    EXPECT_EQ(run.information, permissionAlert.informativeText);
    // The default button stands last, as GTK has it, and an underscore is no mnemonic.
    EXPECT_EQ(run.buttonTitles, (std::vector<std::string>{"Later", "Open_Settings"}));
    EXPECT_EQ(run.modesWhileShown, std::vector<RunLoopMode>{RunLoopMode::modalPanel});
    EXPECT_EQ(run.modes, (std::vector<RunLoopMode>{RunLoopMode::modalPanel, RunLoopMode::defaultMode}));

    const AlertRun first(permissionAlert, [](GtkWidget* dialog) { clickButton(dialog, "Open_Settings"); });
    EXPECT_EQ(first.response, platform::alertFirstButtonReturn);
}

TEST(Alert, ReturnAnswersTheFirstButtonAndEscapeDismissesIt) {
    const AlertRun accepted(permissionAlert, [](GtkWidget* dialog) { typeInto(dialog, XK_Return); });
    EXPECT_EQ(accepted.response, platform::alertFirstButtonReturn);
    const AlertRun dismissed(permissionAlert, [](GtkWidget* dialog) { typeInto(dialog, XK_Escape); });
    EXPECT_EQ(dismissed.response, platform::modalResponseAbort);
    EXPECT_EQ(dismissed.modes, (std::vector<RunLoopMode>{RunLoopMode::modalPanel, RunLoopMode::defaultMode}));
}

TEST(Alert, WithoutButtonsOffersOneToAnswerIt) {
    const AlertRun run({"Done", "", platform::AlertStyle::warning, {}},
                       [](GtkWidget* dialog) { clickButton(dialog, "OK"); });
    EXPECT_EQ(run.buttonTitles, std::vector<std::string>{"OK"});
    EXPECT_EQ(run.response, platform::alertFirstButtonReturn);
}

}  // namespace
}  // namespace qm::x11test
