#pragma once

#include <X11/Xlib.h>

#include <optional>
#include <string>
#include <vector>

namespace qm::x11 {

// Reading other clients' window properties, each of which may be absent, of
// another type than asked for, or gone with its window. Call under an ErrorTrap.

// The 32-bit items of a property of the given type (CARDINAL, WINDOW, ATOM...).
std::vector<unsigned long> cardinals(Display* display, Window window, Atom property, Atom type);
std::optional<unsigned long> cardinal(Display* display, Window window, Atom property, Atom type);

// The class string of WM_CLASS, its second part, in UTF-8: read as Latin-1
// as the X standard has it, or as UTF-8 where a client says so, ill-formed
// bytes standing as U+FFFD either way; at most its first kilobyte.
std::optional<std::string> windowClass(Display* display, Window window);

// The process that owns a window: what the X-Resource extension knows of the
// client that made it, or failing that what the window says of itself.
std::optional<int32_t> windowProcess(Display* display, Window window, Atom netWmPid);

}  // namespace qm::x11
