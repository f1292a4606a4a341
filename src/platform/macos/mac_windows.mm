#import <AppKit/AppKit.h>

#include "platform/macos/mac_view_host.h"
#include "platform/macos/mac_windows.h"
#include "platform/macos/ns_string.h"

namespace qm::macos {

namespace {

NSRect nsRect(const platform::Rect& rect) {
    return NSMakeRect(rect.x, rect.y, rect.width, rect.height);
}

platform::Rect toRect(NSRect rect) {
    return {NSMinX(rect), NSMinY(rect), NSWidth(rect), NSHeight(rect)};
}

NSColor* nsColor(const platform::Color& color) {
    if (color.red == color.green && color.green == color.blue)
        return [NSColor colorWithWhite:color.red alpha:color.alpha];
    return [NSColor colorWithRed:color.red green:color.green blue:color.blue alpha:color.alpha];
}

NSBezierPath* nsPath(const platform::BezierPath& path) {
    using Kind = platform::BezierPath::Element::Kind;
    NSBezierPath* result = [NSBezierPath bezierPath];
    for (const auto& element : path.elements()) {
        switch (element.kind) {
            case Kind::oval: [result appendBezierPathWithOvalInRect:nsRect(element.oval)]; break;
            case Kind::moveTo: [result moveToPoint:NSMakePoint(element.point.x, element.point.y)]; break;
            case Kind::lineTo: [result lineToPoint:NSMakePoint(element.point.x, element.point.y)]; break;
        }
    }
    result.lineWidth = path.lineWidth();
    // The platform's cap and join styles have AppKit's raw values.
    result.lineCapStyle = static_cast<NSLineCapStyle>(path.lineCap());
    result.lineJoinStyle = static_cast<NSLineJoinStyle>(path.lineJoin());
    return result;
}

// Draws into the current AppKit graphics context.
class MacGraphics : public platform::Graphics {
public:
    void setFillColor(const platform::Color& color) override { [nsColor(color) setFill]; }
    void setStrokeColor(const platform::Color& color) override { [nsColor(color) setStroke]; }
    void fill(const platform::BezierPath& path) override { [nsPath(path) fill]; }
    void stroke(const platform::BezierPath& path) override { [nsPath(path) stroke]; }
};

}  // namespace

}  // namespace qm::macos

// An AppKit view that owns a platform view and lets it draw.
@interface QMDrawingView : NSView
- (instancetype)initWithView:(std::unique_ptr<qm::platform::View>&&)view;
@end

@implementation QMDrawingView {
    std::unique_ptr<qm::platform::View> _view;
}

- (instancetype)initWithView:(std::unique_ptr<qm::platform::View>&&)view {
    if ((self = [super initWithFrame:qm::macos::nsRect(view->frame())])) _view = std::move(view);
    return self;
}

// AppKit may ask while the view is being initialized, before it has its platform view.
- (BOOL)isFlipped {
    return _view && _view->isFlipped();
}

- (void)drawRect:(NSRect)dirtyRect {
    qm::macos::MacGraphics graphics;
    _view->draw(graphics, qm::macos::toRect(dirtyRect));
}

@end

// A window for a declarative view. An agent application has no main menu to
// map Command-W to closing, nor does a window without a cancel button close
// on Escape: both are done here.
@interface QMHostWindow : NSWindow
@end

@implementation QMHostWindow

- (void)cancelOperation:(id)sender {
    [self performClose:sender];
}

- (BOOL)performKeyEquivalent:(NSEvent*)event {
    const NSEventModifierFlags modifiers =
        event.modifierFlags & NSEventModifierFlagDeviceIndependentFlagsMask &
        ~(NSEventModifierFlagCapsLock | NSEventModifierFlagNumericPad | NSEventModifierFlagFunction);
    if (modifiers == NSEventModifierFlagCommand && [event.charactersIgnoringModifiers isEqualToString:@"w"]) {
        [self performClose:self];
        return YES;
    }
    return [super performKeyEquivalent:event];
}

@end

namespace qm::macos {

MacWindow::MacWindow(NSWindow* window, std::unique_ptr<MacViewHost> host) : window_(window), host_(std::move(host)) {
    // The reference held here owns the window; closing it must not release it a second time.
    window_.releasedWhenClosed = NO;
}

MacWindow::~MacWindow() {
    [window_ orderOut:nil];
    // The window may be dropped inside one of its own buttons' actions, and
    // AppKit goes on using it until that event is done.
    NSWindow* window = window_;
    dispatch_async(dispatch_get_main_queue(), ^{
      (void)window;
    });
}

void MacWindow::setOpaque(bool opaque) {
    window_.opaque = opaque;
}

void MacWindow::setBackgroundColor(const platform::Color& color) {
    window_.backgroundColor = nsColor(color);
}

void MacWindow::setHasShadow(bool shadow) {
    window_.hasShadow = shadow;
}

void MacWindow::setIgnoresMouseEvents(bool ignores) {
    window_.ignoresMouseEvents = ignores;
}

void MacWindow::setLevel(platform::WindowLevel level) {
    window_.level = level;
}

void MacWindow::setCollectionBehavior(platform::CollectionBehavior behavior) {
    window_.collectionBehavior = static_cast<NSWindowCollectionBehavior>(behavior);
}

void MacWindow::setContentView(std::unique_ptr<platform::View> view) {
    window_.contentView = [[QMDrawingView alloc] initWithView:std::move(view)];
}

void MacWindow::orderFrontRegardless() {
    [window_ orderFrontRegardless];
}

void MacWindow::orderOut() {
    [window_ orderOut:nil];
}

void MacWindow::setTitle(const std::string& title) {
    window_.title = nsString(title);
}

void MacWindow::setStyleMask(platform::WindowStyleMask style) {
    window_.styleMask = static_cast<NSWindowStyleMask>(style);
}

void MacWindow::setContentSize(double width, double height) {
    [window_ setContentSize:NSMakeSize(width, height)];
}

void MacWindow::setReleasedWhenClosed(bool released) {
    window_.releasedWhenClosed = released;
}

void MacWindow::center() {
    [window_ center];
}

void MacWindow::makeKeyAndOrderFront() {
    [window_ makeKeyAndOrderFront:nil];
}

void MacWindow::close() {
    [window_ close];
}

std::unique_ptr<platform::Window> MacWindowServer::createWindow(const platform::Rect& contentRect,
                                                                platform::WindowStyleMask style,
                                                                platform::BackingStore backing, bool defer) {
    NSWindow* window = [[NSWindow alloc] initWithContentRect:nsRect(contentRect)
                                                   styleMask:static_cast<NSWindowStyleMask>(style)
                                                     backing:static_cast<NSBackingStoreType>(backing)
                                                       defer:defer];
    return std::make_unique<MacWindow>(window);
}

platform::WindowLevel MacWindowServer::windowLevelForKey(platform::WindowLevelKey key) const {
    return CGWindowLevelForKey(static_cast<CGWindowLevelKey>(key));
}

std::unique_ptr<platform::Window> MacWindowServer::windowWithRootView(std::unique_ptr<platform::views::View> root) {
    auto host = std::make_unique<MacViewHost>(std::move(root));
    NSViewController* controller = [[NSViewController alloc] initWithNibName:nil bundle:nil];
    controller.view = host->view();
    return std::make_unique<MacWindow>([QMHostWindow windowWithContentViewController:controller], std::move(host));
}

}  // namespace qm::macos
