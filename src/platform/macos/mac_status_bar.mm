#import <AppKit/AppKit.h>

#include "platform/macos/mac_status_bar.h"
#include "platform/macos/ns_string.h"

// Sends a menu item's action, by its selector name, to the program's target.
@interface QMMenuActionBridge : NSObject
- (instancetype)initWithSelector:(const std::string&)selector sender:(qm::platform::MenuItem*)sender;
- (void)setTarget:(qm::platform::ActionTarget*)target;
- (void)performAction:(id)sender;
@end

@implementation QMMenuActionBridge {
    std::string _selector;
    qm::platform::MenuItem* _sender;
    qm::platform::ActionTarget* _target;
}

- (instancetype)initWithSelector:(const std::string&)selector sender:(qm::platform::MenuItem*)sender {
    if ((self = [super init])) {
        _selector = selector;
        _sender = sender;
    }
    return self;
}

- (void)setTarget:(qm::platform::ActionTarget*)target {
    _target = target;
}

- (void)performAction:(id)sender {
    if (_target) _target->performAction(_selector, *_sender);
}

@end

@interface QMMenuDelegateAdapter : NSObject <NSMenuDelegate>
- (instancetype)initWithDelegate:(qm::platform::MenuDelegate*)delegate menu:(qm::platform::Menu*)menu;
@end

@implementation QMMenuDelegateAdapter {
    qm::platform::MenuDelegate* _delegate;
    qm::platform::Menu* _menu;
}

- (instancetype)initWithDelegate:(qm::platform::MenuDelegate*)delegate menu:(qm::platform::Menu*)menu {
    if ((self = [super init])) {
        _delegate = delegate;
        _menu = menu;
    }
    return self;
}

- (void)menuWillOpen:(NSMenu*)menu {
    _delegate->menuWillOpen(*_menu);
}

@end

namespace qm::macos {

void MacImage::setTemplate(bool isTemplate) {
    [image_ setTemplate:isTemplate];
}

void MacImage::setSize(double width, double height) {
    image_.size = NSMakeSize(width, height);
}

MacMenuItem::MacMenuItem(const std::string& title, const std::string& action, const std::string& keyEquivalent)
    : item_([[NSMenuItem alloc] initWithTitle:nsString(title)
                                       action:@selector(performAction:)
                                keyEquivalent:nsString(keyEquivalent)]),
      bridge_([[QMMenuActionBridge alloc] initWithSelector:action sender:this]) {
    item_.target = bridge_;
}

void MacMenuItem::setTitle(const std::string& title) {
    item_.title = nsString(title);
}

void MacMenuItem::setTarget(platform::ActionTarget* target) {
    [bridge_ setTarget:target];
}

void MacMenuItem::setState(platform::ControlState state) {
    item_.state = static_cast<NSControlStateValue>(state);
}

void MacMenuItem::setEnabled(bool enabled) {
    item_.enabled = enabled;
}

MacMenu::MacMenu() : menu_([[NSMenu alloc] initWithTitle:@""]) {}

platform::MenuItem& MacMenu::addItem(const std::string& title, const std::string& action,
                                     const std::string& keyEquivalent) {
    items_.push_back(std::make_unique<MacMenuItem>(title, action, keyEquivalent));
    [menu_ addItem:items_.back()->nsItem()];
    return *items_.back();
}

void MacMenu::addSeparator() {
    [menu_ addItem:[NSMenuItem separatorItem]];
}

void MacMenu::setDelegate(platform::MenuDelegate* delegate) {
    delegate_ = delegate ? [[QMMenuDelegateAdapter alloc] initWithDelegate:delegate menu:this] : nil;
    menu_.delegate = delegate_;
}

void MacMenu::setAutoenablesItems(bool autoenables) {
    menu_.autoenablesItems = autoenables;
}

void MacStatusBarButton::setImage(std::unique_ptr<platform::Image> image) {
    // Every image comes from MacStatusBar.
    image_.reset(static_cast<MacImage*>(image.release()));
    button_.image = image_ ? image_->nsImage() : nil;
}

MacStatusItem::MacStatusItem(NSStatusItem* item) : item_(item) {
    if (item_.button) button_.emplace(item_.button);
}

MacStatusItem::~MacStatusItem() {
    [NSStatusBar.systemStatusBar removeStatusItem:item_];
}

void MacStatusItem::setMenu(std::unique_ptr<platform::Menu> menu) {
    // Every menu comes from MacStatusBar::makeMenu.
    menu_.reset(static_cast<MacMenu*>(menu.release()));
    item_.menu = menu_ ? menu_->nsMenu() : nil;
}

std::unique_ptr<platform::StatusItem> MacStatusBar::statusItemWithLength(double length) {
    // AppKit's length is a floating constant, which no compile-time check can hold against the platform's.
    const CGFloat nsLength = length == platform::variableStatusItemLength ? NSVariableStatusItemLength : length;
    return std::make_unique<MacStatusItem>([NSStatusBar.systemStatusBar statusItemWithLength:nsLength]);
}

std::unique_ptr<platform::Menu> MacStatusBar::makeMenu() {
    return std::make_unique<MacMenu>();
}

std::unique_ptr<platform::Image> MacStatusBar::imageNamed(const std::string& name) {
    NSImage* image = [NSImage imageNamed:nsString(name)];
    return image ? std::make_unique<MacImage>(image) : nullptr;
}

std::unique_ptr<platform::Image> MacStatusBar::systemSymbolImage(const std::string& name,
                                                                 const std::string& accessibilityDescription) {
    NSImage* image = [NSImage imageWithSystemSymbolName:nsString(name)
                               accessibilityDescription:nsString(accessibilityDescription)];
    return image ? std::make_unique<MacImage>(image) : nullptr;
}

}  // namespace qm::macos
