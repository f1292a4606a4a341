#pragma once

#include <X11/Xlib.h>

#include <functional>

#include "platform/x11/x11_connection.h"

namespace qm::x11 {

// The program's claim on the display, as a selection that a window of its own
// owns: a later launch on the same display finds it owned, sends the owner a
// message to show itself and throws desktop::AlreadyRunning. It backs the
// session bus's name up where there is no bus, or a second launch has none.
// The server drops the claim when its owner goes, however it goes.
class InstanceSelection : public EventHandler {
public:
    InstanceSelection(Connection& connection, std::function<void()> onShowRequest);
    ~InstanceSelection() override;
    InstanceSelection(const InstanceSelection&) = delete;
    InstanceSelection& operator=(const InstanceSelection&) = delete;

    void handle(XEvent& event) override;

private:
    Connection& connection_;
    std::function<void()> onShowRequest_;
    Window window_ = None;
};

}  // namespace qm::x11
