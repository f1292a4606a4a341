#include "platform/x11/x11_second_pointer.h"

#include <X11/extensions/XInput2.h>
#include <X11/extensions/XTest.h>

#include <string>

#include "platform/x11/x11_device_owners.h"
#include "platform/x11/x11_error_trap.h"

namespace qm::x11 {

namespace {

int deviceNamed(Display* display, const std::string& name) {
    int count = 0, id = 0;
    XIDeviceInfo* devices = XIQueryDevice(display, XIAllDevices, &count);
    for (int i = 0; i < count; ++i)
        if (name == devices[i].name) id = devices[i].deviceid;
    XIFreeDeviceInfo(devices);
    return id;
}

Cursor emptyCursor(Display* display, Window root) {
    const char bits[1] = {0};
    const Pixmap pixmap = XCreateBitmapFromData(display, root, bits, 1, 1);
    XColor black{};
    const Cursor cursor = XCreatePixmapCursor(display, pixmap, pixmap, &black, &black, 0, 0);
    XFreePixmap(display, pixmap);
    return cursor;
}

// How long a click the program posts keeps the pointer where it clicked.
constexpr double clickLinger = 1;

bool isWheel(unsigned button) {
    return button >= 4 && button <= 7;
}

}  // namespace

SecondPointer::SecondPointer(Connection& connection, platform::RunLoop& runLoop, platform::SystemLog& log)
    : connection_(connection), runLoop_(runLoop) {
    Display* d = connection.display();
    removeLeftoverDevices(connection, log);
    const std::string name = ownDeviceName();
    XIAddMasterInfo add{XIAddMaster, const_cast<char*>(name.c_str()), True, True};
    {
        ErrorTrap trap(d);
        XIChangeHierarchy(d, reinterpret_cast<XIAnyHierarchyChangeInfo*>(&add), 1);
        if (trap.sync() != Success) throw SetupError("the X server refused a second master pointer");
    }
    master_ = deviceNamed(d, name + " pointer");
    const int xtest = deviceNamed(d, name + " XTEST pointer");
    if (!master_ || !xtest) throw SetupError("the X server made no second master pointer");
    xtest_ = XOpenDevice(d, static_cast<XID>(xtest));
    if (!xtest_) throw SetupError("cannot open the second pointer's XTEST device");
    blank_ = emptyCursor(d, connection.root());
    XIDefineCursor(d, master_, connection.root(), blank_);
    XSetWindowAttributes attributes{};
    attributes.override_redirect = True;
    parking_ = XCreateWindow(d, connection.root(), 0, 0, 1, 1, 0, 0, InputOnly, CopyFromParent, CWOverrideRedirect,
                             &attributes);
    // It appears over whatever window is at the screen's centre, but does not
    // enter it before it moves; held from the first moment, it never does.
    // It waits in the corner where parking puts it: should the program be
    // killed, the grab goes, and only the window there sees the pointer.
    hold();
    XIWarpPointer(d, master_, None, connection.root(), 0, 0, 0, 0, 0, 0);
    x_ = y_ = 0;
}

SecondPointer::~SecondPointer() {
    Display* d = connection_.display();
    // Removed while over a window, it would never leave it.
    if (!held_) park();
    XCloseDevice(d, xtest_);
    XIRemoveMasterInfo remove{XIRemoveMaster, master_, XIFloating, 0, 0};
    ErrorTrap trap(d);
    XIChangeHierarchy(d, reinterpret_cast<XIAnyHierarchyChangeInfo*>(&remove), 1);
    XDestroyWindow(d, parking_);
    XFreeCursor(d, blank_);
}

void SecondPointer::moveTo(int rootX, int rootY) {
    if (rootX == x_ && rootY == y_) return;
    hideCursorIn(deepestWindowAt(rootX, rootY));
    x_ = rootX;
    y_ = rootY;
    // Held, it goes there once let go, so that the window there sees it come.
    if (!held_) XIWarpPointer(connection_.display(), master_, None, connection_.root(), 0, 0, 0, 0, rootX, rootY);
}

void SecondPointer::press(unsigned button) {
    if (button < 32) buttonsDown_ |= 1u << button;
    parkLater_.reset();
    letGo();
    XTestFakeDeviceButtonEvent(connection_.display(), xtest_, button, True, nullptr, 0, CurrentTime);
}

void SecondPointer::release(unsigned button) {
    XTestFakeDeviceButtonEvent(connection_.display(), xtest_, button, False, nullptr, 0, CurrentTime);
    if (button < 32) buttonsDown_ &= ~(1u << button);
    clicked_ = clicked_ || !isWheel(button);
    if (!buttonsDown_ && !inSession_) parkSoon();
}

void SecondPointer::setInSession(bool on) {
    inSession_ = on;
    parkLater_.reset();
    if (!on && !buttonsDown_) parkSoon();
}

// A browser that finds the pointer gone by the time it reads a click drops
// the click: after one, the pointer stays a moment before it goes. Wheel
// clicks need no such wait.
void SecondPointer::parkSoon() {
    if (!clicked_) {
        park();
        return;
    }
    parkLater_ = runLoop_.makeTimer(clickLinger, false, [this] {
        clicked_ = false;
        if (!buttonsDown_ && !inSession_) park();
    });
    runLoop_.addTimer(*parkLater_, platform::RunLoopMode::common);
}

// Applications take no notice of a pointer leaving their window for a grab,
// nor of one that a grab lets go of over it, the way they take notice of a
// pointer that comes and goes. So it is held and let go inside a window of the
// program's own, mapped for the moment, and goes from there to the point, or
// comes there from the point, as any pointer would.
void SecondPointer::park() {
    if (held_) return;
    Display* d = connection_.display();
    XMapRaised(d, parking_);
    XIWarpPointer(d, master_, None, parking_, 0, 0, 0, 0, 0, 0);
    x_ = y_ = 0;
    hold();
    XUnmapWindow(d, parking_);
    XFlush(d);
}

// The server reports a held pointer's crossings and motion to nobody but the
// program, which asks for none of them.
void SecondPointer::hold() {
    unsigned char bits[XIMaskLen(XI_LASTEVENT)] = {};
    XIEventMask nothing{master_, sizeof bits, bits};
    held_ = XIGrabDevice(connection_.display(), master_, connection_.root(), CurrentTime, blank_, XIGrabModeAsync,
                         XIGrabModeAsync, False, &nothing) == GrabSuccess;
}

void SecondPointer::letGo() {
    if (!held_) return;
    Display* d = connection_.display();
    XMapRaised(d, parking_);
    XIWarpPointer(d, master_, None, parking_, 0, 0, 0, 0, 0, 0);
    XIUngrabDevice(d, master_, CurrentTime);
    held_ = false;
    XIWarpPointer(d, master_, None, connection_.root(), 0, 0, 0, 0, x_, y_);
    XUnmapWindow(d, parking_);
}

Window SecondPointer::deepestWindowAt(int rootX, int rootY) {
    Display* d = connection_.display();
    ErrorTrap trap(d);
    Window window = connection_.root();
    // Windows may vanish on the way down; the last one found still does.
    for (int depth = 0; depth < 64; ++depth) {
        Window child = None;
        int x, y;
        if (!XTranslateCoordinates(d, connection_.root(), window, rootX, rootY, &x, &y, &child) || child == None) break;
        window = child;
    }
    return window;
}

void SecondPointer::hideCursorIn(Window window) {
    ErrorTrap trap(connection_.display());
    XIDefineCursor(connection_.display(), master_, window, blank_);
}

}  // namespace qm::x11
