#include "platform/x11/x11_connection.h"

#include <X11/XKBlib.h>
#include <X11/extensions/XI2.h>
#include <X11/extensions/XInput2.h>
#include <X11/extensions/XTest.h>
#include <X11/extensions/Xfixes.h>
#include <X11/extensions/Xrandr.h>
#include <X11/extensions/shape.h>

#include <algorithm>

#include "platform/x11/x11_error_trap.h"

namespace qm::x11 {

namespace {

void require(bool present, const char* what) {
    if (!present) throw SetupError(std::string("the X server lacks ") + what);
}

}  // namespace

Connection::Connection() {
    ErrorTrap::installHandlers();
    display_.reset(XOpenDisplay(nullptr));
    if (!display_) throw SetupError("cannot open the X display; is DISPLAY set to an X11 desktop?");
    Display* d = display_.get();
    root_ = DefaultRootWindow(d);

    int event = 0, error = 0;
    require(XQueryExtension(d, "XInputExtension", &xinputOpcode_, &event, &error), "XInput");
    int major = 2, minor = 2;
    require(XIQueryVersion(d, &major, &minor) == Success && (major > 2 || (major == 2 && minor >= 2)), "XInput 2.2");
    require(XTestQueryExtension(d, &event, &error, &major, &minor), "XTEST");
    require(XFixesQueryExtension(d, &event, &error), "XFIXES");
    require(XShapeQueryExtension(d, &event, &error), "SHAPE");
    require(XRRQueryExtension(d, &randrEventBase_, &error), "RANDR");
    int xkbOpcode = 0;
    major = XkbMajorVersion, minor = XkbMinorVersion;
    require(XkbQueryExtension(d, &xkbOpcode, &xkbEventBase_, &error, &major, &minor), "XKEYBOARD");
    findMasterDevices();
}

void Connection::findMasterDevices() {
    Display* d = display();
    int count = 0;
    XIDeviceInfo* devices = XIQueryDevice(d, XIAllMasterDevices, &count);
    // The first master pointer is the core pointer that every physical mouse drives.
    for (int i = 0; i < count && !pointerDevice_; ++i) {
        if (devices[i].use != XIMasterPointer) continue;
        pointerDevice_ = devices[i].deviceid;
        keyboardDevice_ = devices[i].attachment;
    }
    XIFreeDeviceInfo(devices);
    if (!pointerDevice_) throw SetupError("the X server has no master pointer");
}

Atom Connection::atom(const std::string& name) const {
    const auto found = atoms_.find(name);
    if (found != atoms_.end()) return found->second;
    const Atom atom = XInternAtom(display(), name.c_str(), False);
    atoms_.emplace(name, atom);
    return atom;
}

void Connection::removeHandler(EventHandler& handler) {
    std::erase(handlers_, &handler);
}

void Connection::dispatchPending() {
    Display* d = display();
    while (XPending(d)) {
        XEvent event;
        XNextEvent(d, &event);
        const bool generic = event.type == GenericEvent && XGetEventData(d, &event.xcookie);
        // A handler may add or remove handlers while it runs.
        const auto handlers = handlers_;
        for (EventHandler* handler : handlers)
            if (std::find(handlers_.begin(), handlers_.end(), handler) != handlers_.end()) handler->handle(event);
        if (generic) XFreeEventData(d, &event.xcookie);
    }
}

}  // namespace qm::x11
