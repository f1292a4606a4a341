#pragma once

#include <gtk/gtk.h>

#include "platform/geometry.h"
#include "platform/gtk/gtk_object.h"
#include "platform/views/view.h"

namespace qm::gtk {

// Pops up a picker's options as a menu just under the picker, at frame of the
// page widget, with the chosen one marked. Choosing an option changes the
// picker through host, as the menu was when it opened, however often the view
// is evaluated meanwhile. The menu lasts as long as the widget returned.
OwnedWidget popUpPickerMenu(const platform::views::Node& picker, const platform::Rect& frame, GtkWidget* page,
                            platform::views::ViewHost& host);

}  // namespace qm::gtk
