#include "platform/x11/x11_error_trap.h"

#include <cstdio>

namespace qm::x11 {

namespace {

// Xlib's error handler takes no context of its own; this is the innermost trap.
ErrorTrap* innermost = nullptr;

int onIOError(Display*) {
    std::fputs("Quillmere: lost the connection to the X server; quitting\n", stderr);
    return 0;  // Xlib ends the process after this.
}

}  // namespace

ErrorTrap::ErrorTrap(Display* display) : display_(display), outer_(innermost), first_(NextRequest(display)) {
    innermost = this;
}

ErrorTrap::~ErrorTrap() {
    // Requests still unanswered may yet fail; their errors belong here.
    if (LastKnownRequestProcessed(display_) + 1 < NextRequest(display_)) XSync(display_, False);
    innermost = outer_;
}

int ErrorTrap::sync() {
    XSync(display_, False);
    return error_;
}

void ErrorTrap::installHandlers() {
    XSetErrorHandler(&ErrorTrap::onError);
    XSetIOErrorHandler(&onIOError);
}

int ErrorTrap::onError(Display* display, XErrorEvent* error) {
    // An error belongs to the innermost trap that was open when its request was made.
    for (ErrorTrap* trap = innermost; trap; trap = trap->outer_) {
        if (error->serial < trap->first_) continue;
        if (trap->error_ == Success) trap->error_ = error->error_code;
        return 0;
    }
    char text[256];
    XGetErrorText(display, error->error_code, text, sizeof text);
    std::fprintf(stderr, "Quillmere: X error %s (request %d.%d)\n", text, error->request_code, error->minor_code);
    return 0;
}

}  // namespace qm::x11
