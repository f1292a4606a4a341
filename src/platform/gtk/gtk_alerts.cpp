#include "platform/gtk/gtk_alerts.h"

#include <gtk/gtk.h>

#include "platform/gtk/gtk_object.h"

namespace qm::gtk {

namespace {

GtkMessageType messageType(platform::AlertStyle style) {
    switch (style) {
        case platform::AlertStyle::warning: return GTK_MESSAGE_WARNING;
        case platform::AlertStyle::informational: return GTK_MESSAGE_INFO;
        case platform::AlertStyle::critical: return GTK_MESSAGE_ERROR;
    }
    return GTK_MESSAGE_OTHER;
}

// An alert without buttons still needs one to be answered, as on a Mac.
std::vector<std::string> buttonTitles(const platform::AlertContent& alert) {
    if (!alert.buttons.empty()) return alert.buttons;
    return {"OK"};
}

void addButtons(GtkDialog* dialog, const std::vector<std::string>& titles) {
    // GTK puts the default button last, at the right; the others come before it in reverse.
    for (std::size_t i = titles.size(); i-- > 0;) {
        // A plain label: an underscore in a title is no mnemonic.
        GtkWidget* button = gtk_button_new_with_label(titles[i].c_str());
        gtk_widget_set_can_default(button, TRUE);
        // The default button stands out, as a Mac's does.
        if (i == 0) gtk_style_context_add_class(gtk_widget_get_style_context(button), "suggested-action");
        gtk_widget_show(button);
        gtk_dialog_add_action_widget(dialog, button, platform::alertFirstButtonReturn + static_cast<int>(i));
    }
    gtk_dialog_set_default_response(dialog, platform::alertFirstButtonReturn);
}

}  // namespace

platform::ModalResponse GtkAlerts::runModal(const platform::AlertContent& alert) {
    // Texts are shown as they are, never read as markup or a format.
    const OwnedWidget dialog = own(gtk_message_dialog_new(nullptr, GTK_DIALOG_MODAL, messageType(alert.style),
                                                          GTK_BUTTONS_NONE, "%s", alert.messageText.c_str()));
    if (!alert.informativeText.empty())
        g_object_set(dialog.get(), "secondary-text", alert.informativeText.c_str(), nullptr);
    addButtons(GTK_DIALOG(dialog.get()), buttonTitles(alert));
    gtk_window_set_title(GTK_WINDOW(dialog.get()), "Quillmere");
    gtk_window_set_position(GTK_WINDOW(dialog.get()), GTK_WIN_POS_CENTER);
    // An agent's alert must not hide behind the active application.
    gtk_window_set_keep_above(GTK_WINDOW(dialog.get()), TRUE);

    switchMode_(platform::RunLoopMode::modalPanel);
    const int response = gtk_dialog_run(GTK_DIALOG(dialog.get()));
    switchMode_(platform::RunLoopMode::defaultMode);
    return response >= platform::alertFirstButtonReturn ? response : platform::modalResponseAbort;
}

}  // namespace qm::gtk
