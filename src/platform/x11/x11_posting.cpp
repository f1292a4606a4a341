#include "platform/x11/x11_posting.h"

#include <glib.h>

#include <cmath>
#include <cstdlib>

namespace qm::x11 {

namespace et = platform::event_type;
namespace field = platform::event_field;

namespace {

constexpr unsigned wheelUp = 4, wheelDown = 5, wheelLeft = 6, wheelRight = 7;

}  // namespace

unsigned xButton(int64_t quartzButton) {
    if (quartzButton == 0) return 1;
    if (quartzButton == 1) return 3;
    if (quartzButton == 2) return 2;
    return static_cast<unsigned>(quartzButton + 5);
}

int64_t quartzButton(unsigned xButton) {
    if (xButton == 1) return 0;
    if (xButton == 3) return 1;
    if (xButton == 2) return 2;
    return static_cast<int64_t>(xButton) - 5;
}

Posting::Posting(SecondPointer& pointer, const X11Screens& screens, int pixelsPerClick)
    : pointer_(pointer), screens_(screens), vertical_(pixelsPerClick), horizontal_(pixelsPerClick) {}

void Posting::post(const X11Event& event) {
    switch (event.type()) {
        case et::scrollWheel: {
            const auto wheel1 = static_cast<int>(event.integerValueField(field::scrollWheelPointDeltaAxis1));
            const auto wheel2 = static_cast<int>(event.integerValueField(field::scrollWheelPointDeltaAxis2));
            g_debug("wheel %d %d", wheel1, wheel2);
            // Positive amounts move the content down and right: the wheel turned up and left.
            const int up = vertical_.add(wheel1), left = horizontal_.add(wheel2);
            if (up == 0 && left == 0) return;
            moveTo(event.location());
            click(up > 0 ? wheelUp : wheelDown, std::abs(up));
            click(left > 0 ? wheelLeft : wheelRight, std::abs(left));
            return;
        }
        case et::leftMouseDown:
        case et::rightMouseDown:
        case et::otherMouseDown:
        case et::leftMouseUp:
        case et::rightMouseUp:
        case et::otherMouseUp: {
            moveTo(event.location());
            const unsigned button = xButton(event.integerValueField(field::mouseButtonNumber));
            const bool down = event.type() == et::leftMouseDown || event.type() == et::rightMouseDown ||
                              event.type() == et::otherMouseDown;
            if (down)
                pointer_.press(button);
            else
                pointer_.release(button);
            return;
        }
        default: return;
    }
}

void Posting::moveTo(platform::Point quartz) {
    const platform::Point root = screens_.toRoot(quartz);
    pointer_.moveTo(static_cast<int>(std::floor(root.x)), static_cast<int>(std::floor(root.y)));
}

void Posting::click(unsigned button, int count) {
    for (int i = 0; i < count; ++i) {
        pointer_.press(button);
        pointer_.release(button);
    }
}

}  // namespace qm::x11
