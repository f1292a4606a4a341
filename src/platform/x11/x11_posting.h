#pragma once

#include "platform/x11/x11_event.h"
#include "platform/x11/x11_screens.h"
#include "platform/x11/x11_second_pointer.h"
#include "platform/x11/x11_wheel_clicks.h"

namespace qm::x11 {

// What the program posts, carried out through the second pointer at the
// event's location: scroll-wheel events as wheel clicks (buttons 4 to 7),
// mouse-button events as presses and releases. There is no posting to one
// process on X11; a scroll addressed to the target at the anchor goes to
// whatever window lies there, which is the target's.
class Posting {
public:
    Posting(SecondPointer& pointer, const X11Screens& screens, int pixelsPerClick);

    void post(const X11Event& event);
    // Whether a session holds the user's pointer, and so may post more.
    void setSessionOn(bool on) { pointer_.setInSession(on); }

private:
    void moveTo(platform::Point quartz);
    void click(unsigned button, int count);

    SecondPointer& pointer_;
    const X11Screens& screens_;
    WheelClicks vertical_;
    WheelClicks horizontal_;
};

// The X button of a Quartz mouse-button number, and back: 0 left, 1 right,
// 2 middle, then the side buttons, which X numbers from 8 after the wheel's four.
unsigned xButton(int64_t quartzButton);
int64_t quartzButton(unsigned xButton);

}  // namespace qm::x11
