#import <AppKit/AppKit.h>

#include "platform/macos/mac_application.h"
#include "platform/macos/ns_string.h"

@interface QMApplicationDelegateAdapter : NSObject <NSApplicationDelegate>
- (instancetype)initWithDelegate:(qm::platform::ApplicationDelegate*)delegate;
@end

@implementation QMApplicationDelegateAdapter {
    qm::platform::ApplicationDelegate* _delegate;
}

- (instancetype)initWithDelegate:(qm::platform::ApplicationDelegate*)delegate {
    if ((self = [super init])) _delegate = delegate;
    return self;
}

- (void)applicationDidFinishLaunching:(NSNotification*)notification {
    _delegate->applicationDidFinishLaunching();
}

// Handled by the program, which shows a window of its own: the system is to do nothing more.
- (BOOL)applicationShouldHandleReopen:(NSApplication*)sender hasVisibleWindows:(BOOL)flag {
    _delegate->applicationReopened();
    return NO;
}

// A menu-bar application keeps running with no window open.
- (BOOL)applicationShouldTerminateAfterLastWindowClosed:(NSApplication*)sender {
    return NO;
}

@end

namespace qm::macos {

MacApplication::MacApplication() {
    // Windows, menus and the status item all need the shared application to exist first.
    [NSApplication sharedApplication];
}

void MacApplication::setDelegate(platform::ApplicationDelegate* delegate) {
    adapter_ = delegate ? [[QMApplicationDelegateAdapter alloc] initWithDelegate:delegate] : nil;
    NSApp.delegate = adapter_;
}

bool MacApplication::setActivationPolicy(platform::ActivationPolicy policy) {
    return [NSApp setActivationPolicy:static_cast<NSApplicationActivationPolicy>(policy)];
}

void MacApplication::run() {
    [NSApp run];
}

void MacApplication::activateIgnoringOtherApps(bool ignoring) {
    [NSApp activateIgnoringOtherApps:ignoring];
}

void MacApplication::terminate() {
    [NSApp terminate:nil];
}

platform::ModalResponse MacApplication::runModal(const platform::AlertContent& content) {
    NSAlert* alert = [[NSAlert alloc] init];
    alert.messageText = nsString(content.messageText);
    alert.informativeText = nsString(content.informativeText);
    alert.alertStyle = static_cast<NSAlertStyle>(content.style);
    for (const auto& title : content.buttons) [alert addButtonWithTitle:nsString(title)];
    return static_cast<platform::ModalResponse>([alert runModal]);
}

}  // namespace qm::macos
