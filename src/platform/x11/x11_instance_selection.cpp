#include "platform/x11/x11_instance_selection.h"

#include "platform/linux/single_instance.h"
#include "platform/x11/x11_error_trap.h"

namespace qm::x11 {

namespace {

constexpr const char* selectionName = "_QUILLMERE_INSTANCE";
constexpr const char* showMessage = "_QUILLMERE_SHOW";

}  // namespace

InstanceSelection::InstanceSelection(Connection& connection, std::function<void()> onShowRequest)
    : connection_(connection), onShowRequest_(std::move(onShowRequest)) {
    Display* d = connection.display();
    const Atom selection = connection.atom(selectionName);
    // Two launches at once: the server lets one look and claim at a time.
    XGrabServer(d);
    const Window owner = XGetSelectionOwner(d, selection);
    if (owner == None) {
        window_ = XCreateSimpleWindow(d, connection.root(), -1, -1, 1, 1, 0, 0, 0);
        XSetSelectionOwner(d, selection, window_, CurrentTime);
    }
    XUngrabServer(d);
    if (owner == None) {
        XSync(d, False);
        connection.addHandler(*this);
        return;
    }
    XEvent message{};
    message.xclient.type = ClientMessage;
    message.xclient.window = owner;
    message.xclient.message_type = connection.atom(showMessage);
    message.xclient.format = 32;
    // An owner that has just gone takes its claim with it; the message is lost then.
    ErrorTrap trap(d);
    XSendEvent(d, owner, False, NoEventMask, &message);
    trap.sync();
    throw desktop::AlreadyRunning();
}

InstanceSelection::~InstanceSelection() {
    connection_.removeHandler(*this);
    XDestroyWindow(connection_.display(), window_);
}

void InstanceSelection::handle(XEvent& event) {
    if (event.type == ClientMessage && event.xclient.window == window_ &&
        event.xclient.message_type == connection_.atom(showMessage))
        onShowRequest_();
}

}  // namespace qm::x11
