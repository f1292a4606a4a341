#pragma once

#include <optional>

#include "x11/desktop.h"
#include "x11/main_loop_wait.h"

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

}  // namespace qm::x11test
