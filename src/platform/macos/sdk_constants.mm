// The platform layer keeps the real API's numbers so that the backend passes
// them straight through. Each is held here against the SDK's own constant: a
// number that drifts stops the macOS build.

#import <AppKit/AppKit.h>
#include <ApplicationServices/ApplicationServices.h>

#include "platform/accessibility.h"
#include "platform/alerts.h"
#include "platform/application.h"
#include "platform/drawing.h"
#include "platform/events.h"
#include "platform/menus.h"
#include "platform/window_list.h"
#include "platform/windows.h"

namespace {

namespace p = qm::platform;

template <class E>
constexpr auto raw(E value) {
    return static_cast<std::underlying_type_t<E>>(value);
}

// Event types, and the mask bits made from them.
namespace et = p::event_type;
static_assert(et::leftMouseDown == kCGEventLeftMouseDown);
static_assert(et::leftMouseUp == kCGEventLeftMouseUp);
static_assert(et::rightMouseDown == kCGEventRightMouseDown);
static_assert(et::rightMouseUp == kCGEventRightMouseUp);
static_assert(et::mouseMoved == kCGEventMouseMoved);
static_assert(et::keyDown == kCGEventKeyDown);
static_assert(et::keyUp == kCGEventKeyUp);
static_assert(et::scrollWheel == kCGEventScrollWheel);
static_assert(et::otherMouseDown == kCGEventOtherMouseDown);
static_assert(et::otherMouseUp == kCGEventOtherMouseUp);
static_assert(et::tapDisabledByTimeout == kCGEventTapDisabledByTimeout);
static_assert(et::tapDisabledByUserInput == kCGEventTapDisabledByUserInput);
static_assert(std::is_same_v<p::EventMask, CGEventMask>);
static_assert(p::eventMaskBit(et::otherMouseUp) == CGEventMaskBit(kCGEventOtherMouseUp));
static_assert(p::eventMaskBit(et::keyDown) == CGEventMaskBit(kCGEventKeyDown));

// Event fields and flags.
namespace field = p::event_field;
static_assert(field::mouseButtonNumber == kCGMouseEventButtonNumber);
static_assert(field::keyboardKeycode == kCGKeyboardEventKeycode);
static_assert(field::scrollWheelDeltaAxis1 == kCGScrollWheelEventDeltaAxis1);
static_assert(field::scrollWheelDeltaAxis2 == kCGScrollWheelEventDeltaAxis2);
static_assert(field::sourceUserData == kCGEventSourceUserData);
static_assert(field::scrollWheelPointDeltaAxis1 == kCGScrollWheelEventPointDeltaAxis1);
static_assert(field::scrollWheelPointDeltaAxis2 == kCGScrollWheelEventPointDeltaAxis2);
static_assert(field::windowUnderMousePointer == kCGMouseEventWindowUnderMousePointer);
static_assert(field::windowUnderMousePointerThatCanHandleThisEvent ==
              kCGMouseEventWindowUnderMousePointerThatCanHandleThisEvent);
static_assert(std::is_same_v<p::EventFlags, CGEventFlags>);
static_assert(p::eventFlagMaskShift == kCGEventFlagMaskShift);
static_assert(p::eventFlagMaskCommand == kCGEventFlagMaskCommand);

// Buttons, taps, scroll units and event sources.
static_assert(p::mouse_button::left == kCGMouseButtonLeft);
static_assert(p::mouse_button::right == kCGMouseButtonRight);
static_assert(p::mouse_button::center == kCGMouseButtonCenter);
static_assert(raw(p::TapLocation::hid) == kCGHIDEventTap);
static_assert(raw(p::TapLocation::session) == kCGSessionEventTap);
static_assert(raw(p::TapLocation::annotatedSession) == kCGAnnotatedSessionEventTap);
static_assert(raw(p::TapPlacement::headInsert) == kCGHeadInsertEventTap);
static_assert(raw(p::TapPlacement::tailAppend) == kCGTailAppendEventTap);
static_assert(raw(p::TapOptions::defaultFilter) == kCGEventTapOptionDefault);
static_assert(raw(p::TapOptions::listenOnly) == kCGEventTapOptionListenOnly);
static_assert(raw(p::ScrollUnit::pixel) == kCGScrollEventUnitPixel);
static_assert(raw(p::ScrollUnit::line) == kCGScrollEventUnitLine);
static_assert(raw(p::EventSourceState::combinedSession) == kCGEventSourceStateCombinedSessionState);
static_assert(raw(p::EventSourceState::hidSystem) == kCGEventSourceStateHIDSystemState);

// Accessibility errors.
namespace ax = p::ax_error;
static_assert(ax::success == kAXErrorSuccess);
static_assert(ax::failure == kAXErrorFailure);
static_assert(ax::illegalArgument == kAXErrorIllegalArgument);
static_assert(ax::invalidUIElement == kAXErrorInvalidUIElement);
static_assert(ax::cannotComplete == kAXErrorCannotComplete);
static_assert(ax::attributeUnsupported == kAXErrorAttributeUnsupported);
static_assert(ax::apiDisabled == kAXErrorAPIDisabled);
static_assert(ax::noValue == kAXErrorNoValue);

// The window list's options; its keys are objects, mapped by the window list itself.
static_assert(p::windowListOptionOnScreenOnly == kCGWindowListOptionOnScreenOnly);
static_assert(p::windowListExcludeDesktopElements == kCGWindowListExcludeDesktopElements);
static_assert(p::nullWindowID == kCGNullWindowID);

// Windows: style masks, backing, collection behaviours and levels.
namespace style = p::window_style;
static_assert(style::borderless == NSWindowStyleMaskBorderless);
static_assert(style::titled == NSWindowStyleMaskTitled);
static_assert(style::closable == NSWindowStyleMaskClosable);
static_assert(style::miniaturizable == NSWindowStyleMaskMiniaturizable);
static_assert(style::resizable == NSWindowStyleMaskResizable);
static_assert(raw(p::BackingStore::buffered) == NSBackingStoreBuffered);
namespace behavior = p::collection_behavior;
static_assert(behavior::canJoinAllSpaces == NSWindowCollectionBehaviorCanJoinAllSpaces);
static_assert(behavior::stationary == NSWindowCollectionBehaviorStationary);
static_assert(behavior::ignoresCycle == NSWindowCollectionBehaviorIgnoresCycle);
static_assert(behavior::fullScreenAuxiliary == NSWindowCollectionBehaviorFullScreenAuxiliary);
static_assert(std::is_same_v<p::WindowLevel, CGWindowLevel>);
static_assert(p::cursorWindowLevelKey == kCGCursorWindowLevelKey);

// Drawing.
static_assert(raw(p::LineCap::butt) == NSLineCapStyleButt);
static_assert(raw(p::LineCap::round) == NSLineCapStyleRound);
static_assert(raw(p::LineCap::square) == NSLineCapStyleSquare);
static_assert(raw(p::LineJoin::miter) == NSLineJoinStyleMiter);
static_assert(raw(p::LineJoin::round) == NSLineJoinStyleRound);
static_assert(raw(p::LineJoin::bevel) == NSLineJoinStyleBevel);

// Menus, the application and alerts.
static_assert(raw(p::ControlState::off) == NSControlStateValueOff);
static_assert(raw(p::ControlState::on) == NSControlStateValueOn);
static_assert(raw(p::ActivationPolicy::regular) == NSApplicationActivationPolicyRegular);
static_assert(raw(p::ActivationPolicy::accessory) == NSApplicationActivationPolicyAccessory);
static_assert(raw(p::ActivationPolicy::prohibited) == NSApplicationActivationPolicyProhibited);
static_assert(raw(p::AlertStyle::warning) == NSAlertStyleWarning);
static_assert(raw(p::AlertStyle::informational) == NSAlertStyleInformational);
static_assert(raw(p::AlertStyle::critical) == NSAlertStyleCritical);
static_assert(p::alertFirstButtonReturn == NSAlertFirstButtonReturn);
static_assert(p::alertSecondButtonReturn == NSAlertSecondButtonReturn);
static_assert(p::modalResponseAbort == NSModalResponseAbort);

}  // namespace
