#pragma once

#include <optional>
#include <string>
#include <vector>

#include "platform/gtk/gtk_view_window.h"
#include "x11/desktop.h"

// The desktop the GTK tests share: one per test process, because GTK is
// initialised on it once and stays connected for the life of the process. It
// has a session bus with the accessibility bus behind it, and no window
// manager, so windows stay where GTK puts them; the process's own environment
// points at it, as a program started on it would find its own.
namespace qm::x11test {

Desktop& gtkDesktop();

// Where a widget of this process is on the screen, and its size.
std::optional<Box> screenRectOf(void* gtkWidget);
// Whether the X server shows the widget's window, so that a click there reaches it.
bool isViewable(void* gtkWidget);

// What a person sees of a view's window: where its nodes are on the screen and
// what they say, as the window lays them out.
std::optional<Box> nodeOnScreen(const gtk::GtkViewWindow& window, const std::string& identifier);
// The texts of the shown tree, in order.
std::vector<std::string> textsOf(const gtk::GtkViewWindow& window);
// Clicks the button with this identifier where the user sees it.
void clickNode(const gtk::GtkViewWindow& window, const std::string& identifier);
// An item of a menu the window popped up, where the user sees it.
std::optional<Box> menuItemOnScreen(const gtk::GtkViewWindow& window, const std::string& title);
// A key typed into a widget's window, or a view's.
void typeInto(void* gtkWidget, unsigned long keysym, bool control = false);
void typeInto(const gtk::GtkViewWindow& window, unsigned long keysym, bool control = false);

}  // namespace qm::x11test
