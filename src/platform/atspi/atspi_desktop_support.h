#pragma once

namespace qm::atspi {

// Switches the desktop's accessibility support on: the IsEnabled flag of the
// accessibility bus, which toolkits read as they start, and the GNOME setting
// behind it where its schema is installed. True when either was set.
bool enableDesktopAccessibility();

}  // namespace qm::atspi
