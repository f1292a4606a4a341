#pragma once

#include <optional>
#include <string>

#include "platform/gtk/gtk_view_window.h"
#include "x11/gtk_desktop.h"

// What a person sees of a view's window: where its nodes are on the screen and
// what they say, as the window lays them out.
namespace qm::x11test {

std::optional<Box> nodeOnScreen(const gtk::GtkViewWindow& window, const std::string& identifier);
// The texts of the shown tree, in order.
std::vector<std::string> textsOf(const gtk::GtkViewWindow& window);
// Clicks the button with this identifier where the user sees it.
void clickNode(const gtk::GtkViewWindow& window, const std::string& identifier);
// An item of a menu the window popped up, where the user sees it.
std::optional<Box> menuItemOnScreen(const gtk::GtkViewWindow& window, const std::string& title);
// A key typed into the window.
void typeInto(const gtk::GtkViewWindow& window, unsigned long keysym, bool control = false);

}  // namespace qm::x11test
