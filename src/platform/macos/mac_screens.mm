#include "platform/macos/mac_screens.h"

#import <AppKit/AppKit.h>

namespace qm::macos {

namespace {

platform::Rect rect(CGRect r) {
    return {r.origin.x, r.origin.y, r.size.width, r.size.height};
}

}  // namespace

std::vector<platform::Rect> MacScreens::screens() const {
    std::vector<platform::Rect> frames;
    for (NSScreen* screen in NSScreen.screens) frames.push_back(rect(screen.frame));
    return frames;
}

std::optional<platform::Rect> MacScreens::mainScreen() const {
    NSScreen* screen = NSScreen.mainScreen;
    if (!screen) return std::nullopt;
    return rect(screen.frame);
}

platform::Rect MacScreens::mainDisplayBounds() const {
    return rect(CGDisplayBounds(CGMainDisplayID()));
}

}  // namespace qm::macos
