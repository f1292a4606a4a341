#pragma once

#include <X11/Xlib.h>
#include <X11/extensions/XInput.h>

#include <memory>

#include "platform/run_loop.h"
#include "platform/services.h"
#include "platform/x11/x11_connection.h"

namespace qm::x11 {

// A master pointer of the program's own, through which it clicks the wheel
// and the middle button. Clicks through the user's pointer would come back to
// the program while it holds a grab, as it does all through a session; this
// pointer's clicks reach the window under it whatever the program holds.
// The program removes it when it ends; what a killed program left, the next
// start removes.
//
// A pointer over a window is seen by its application: it enters, moves and
// leaves, and a list row under it lights up as if the user pointed there. So
// the program holds this pointer in a grab of its own, which nobody else
// sees, and lets go of it from the first click it posts in a session to the
// session's end, so that the window at the anchor sees it enter once rather
// than at every wheel click; then it leaves that window again, a moment
// later after a click of another button than the wheel's.
//
// The server draws a cursor for every master pointer. This one shows none:
// the grab's cursor is empty, and before it moves onto a window, that window
// is given an empty cursor for this pointer alone, for the moments of a
// click. It has to be the deepest window under the point, whose own cursor
// would otherwise win; and since window identifiers are reused, it is given
// again at every move.
class SecondPointer {
public:
    // Throws SetupError when the server refuses the new pointer.
    SecondPointer(Connection& connection, platform::RunLoop& runLoop, platform::SystemLog& log);
    ~SecondPointer();
    SecondPointer(const SecondPointer&) = delete;
    SecondPointer& operator=(const SecondPointer&) = delete;

    // Moves the pointer to a point of the root window, cursor hidden there.
    void moveTo(int rootX, int rootY);
    void press(unsigned button);
    void release(unsigned button);
    // The clicks of a session come one after another; once it ends the pointer goes away.
    void setInSession(bool on);

private:
    Window deepestWindowAt(int rootX, int rootY);
    void hideCursorIn(Window window);
    void parkSoon();
    void park();
    void hold();
    void letGo();

    Connection& connection_;
    platform::RunLoop& runLoop_;
    int master_ = 0;
    XDevice* xtest_ = nullptr;
    Cursor blank_ = None;
    int x_ = -1, y_ = -1;
    // A window of the program's own, mapped only for the moment the pointer goes into it.
    Window parking_ = None;
    bool held_ = false;
    bool inSession_ = false;
    unsigned buttonsDown_ = 0;
    // Whether it has posted a click, other than the wheel's, since it was last held.
    bool clicked_ = false;
    std::unique_ptr<platform::Timer> parkLater_;
};

}  // namespace qm::x11
