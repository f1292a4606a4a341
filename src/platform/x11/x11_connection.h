#pragma once

#include <X11/Xlib.h>

#include <memory>
#include <stdexcept>
#include <string>
#include <unordered_map>
#include <vector>

namespace qm::x11 {

// A desktop the program cannot run on: no display, or one that lacks an
// extension the program needs. The message says which, for the user.
class SetupError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Something that wants some of the events the connection reads.
class EventHandler {
public:
    virtual ~EventHandler() = default;
    // Generic (XInput 2) events come with their data already fetched.
    virtual void handle(XEvent& event) = 0;
};

// The program's own connection to the X server, with what it learnt about the
// server at opening: the extensions it needs, the user's master pointer and
// keyboard, and the atoms it has asked for.
class Connection {
public:
    // Opens the display named by $DISPLAY; throws SetupError when it cannot.
    Connection();
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    Display* display() const { return display_.get(); }
    Window root() const { return root_; }
    int xinputOpcode() const { return xinputOpcode_; }
    int randrEventBase() const { return randrEventBase_; }
    int xkbEventBase() const { return xkbEventBase_; }
    // The master pointer and keyboard the user's devices drive.
    int pointerDevice() const { return pointerDevice_; }
    int keyboardDevice() const { return keyboardDevice_; }

    Atom atom(const std::string& name) const;

    void addHandler(EventHandler& handler) { handlers_.push_back(&handler); }
    void removeHandler(EventHandler& handler);
    // Reads and hands out every event the server has sent; never waits.
    void dispatchPending();

private:
    struct CloseDisplay {
        void operator()(Display* display) const { XCloseDisplay(display); }
    };

    void findMasterDevices();

    std::unique_ptr<Display, CloseDisplay> display_;
    Window root_ = 0;
    int xinputOpcode_ = 0;
    int randrEventBase_ = 0;
    int xkbEventBase_ = 0;
    int pointerDevice_ = 0;
    int keyboardDevice_ = 0;
    mutable std::unordered_map<std::string, Atom> atoms_;
    std::vector<EventHandler*> handlers_;
};

}  // namespace qm::x11
