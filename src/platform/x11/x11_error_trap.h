#pragma once

#include <X11/Xlib.h>

namespace qm::x11 {

// Catches the errors of the requests made while it lives, instead of letting
// them end the program. Other clients' windows may vanish at any moment, so
// every request about one is made under a trap. Errors outside every trap are
// told on standard error and otherwise ignored.
class ErrorTrap {
public:
    explicit ErrorTrap(Display* display);
    ~ErrorTrap();
    ErrorTrap(const ErrorTrap&) = delete;
    ErrorTrap& operator=(const ErrorTrap&) = delete;

    // Waits until the server has handled every request so far; the first
    // error code it reported, or 0 (Success).
    int sync();

    // Installs the process's handlers once: the one above, and one that tells
    // the user why the program ends when the server goes away.
    static void installHandlers();

private:
    static int onError(Display* display, XErrorEvent* error);

    Display* display_;
    ErrorTrap* outer_;
    // The serial number of the first request made under this trap.
    unsigned long first_;
    int error_ = 0;
};

}  // namespace qm::x11
