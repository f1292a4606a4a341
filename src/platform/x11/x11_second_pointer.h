#pragma once

#include <X11/Xlib.h>
#include <X11/extensions/XInput.h>

#include "platform/x11/x11_connection.h"

namespace qm::x11 {

// A master pointer of the program's own, through which it clicks the wheel
// and the middle button. Clicks through the user's pointer would come back to
// the program while it holds a grab, as it does all through a session; this
// pointer's clicks reach the window under it whatever the program holds. The
// server removes it with the program's connection, also when the program is
// killed.
//
// The server draws a cursor for every master pointer. This one shows none:
// before it moves onto a window, that window is given an empty cursor for
// this pointer alone. It has to be the deepest window under the point, whose
// own cursor would otherwise win; and since window identifiers are reused,
// it is given again at every move.
class SecondPointer {
public:
    // Throws SetupError when the server refuses the new pointer.
    explicit SecondPointer(Connection& connection);
    ~SecondPointer();
    SecondPointer(const SecondPointer&) = delete;
    SecondPointer& operator=(const SecondPointer&) = delete;

    // Moves the pointer to a point of the root window, cursor hidden there.
    void moveTo(int rootX, int rootY);
    void press(unsigned button);
    void release(unsigned button);

private:
    Window deepestWindowAt(int rootX, int rootY);
    void hideCursorIn(Window window);

    Connection& connection_;
    int master_ = 0;
    XDevice* xtest_ = nullptr;
    Cursor blank_ = None;
    int x_ = -1, y_ = -1;
};

}  // namespace qm::x11
