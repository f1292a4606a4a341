#import <AppKit/AppKit.h>
#import <objc/runtime.h>

#include <algorithm>
#include <optional>
#include <string>
#include <vector>

#include "platform/macos/mac_view_host.h"
#include "platform/macos/ns_string.h"

namespace views = qm::platform::views;

// Presses its node in the host. It is its own target, so the target lives
// exactly as long as the button, also through an action that replaces the page.
@interface QMHostButton : NSButton
- (instancetype)initWithHost:(views::ViewHost*)host identifier:(const std::string&)identifier;
@end

@implementation QMHostButton {
    views::ViewHost* _host;
    std::string _identifier;
}

- (instancetype)initWithHost:(views::ViewHost*)host identifier:(const std::string&)identifier {
    if ((self = [super initWithFrame:NSZeroRect])) {
        _host = host;
        _identifier = identifier;
        self.target = self;
        self.action = @selector(press:);
    }
    return self;
}

// The press may end the host; nothing of it is touched afterwards.
- (void)press:(id)sender {
    _host->press(_identifier);
}

@end

// Sets its control's node in the host when the user changes the control. The
// control holds it (a control does not hold its target), so it lives exactly
// as long as the control.
@interface QMControlTarget : NSObject
+ (void)attachTo:(NSControl*)control
            host:(views::ViewHost*)host
      identifier:(const std::string&)identifier
           range:(views::SliderRange)range;
- (void)changed:(NSControl*)sender;
@end

@implementation QMControlTarget {
    views::ViewHost* _host;
    std::string _identifier;
    views::SliderRange _range;
}

static char controlTargetKey;

+ (void)attachTo:(NSControl*)control
            host:(views::ViewHost*)host
      identifier:(const std::string&)identifier
           range:(views::SliderRange)range {
    QMControlTarget* target = [[QMControlTarget alloc] init];
    target->_host = host;
    target->_identifier = identifier;
    target->_range = range;
    objc_setAssociatedObject(control, &controlTargetKey, target, OBJC_ASSOCIATION_RETAIN_NONATOMIC);
    control.target = target;
    control.action = @selector(changed:);
}

// The change may replace the page; nothing of it is touched afterwards.
- (void)changed:(NSControl*)sender {
    double value = 0;
    if ([sender isKindOfClass:NSSlider.class])
        value = views::valueAtFraction(_range, sender.doubleValue);
    else if ([sender isKindOfClass:NSPopUpButton.class])
        value = ((NSPopUpButton*)sender).selectedTag;
    else
        value = ((NSButton*)sender).state == NSControlStateValueOn ? 1 : 0;
    _host->change(_identifier, value);
}

@end

// A list's rows start at its top and scroll down.
@interface QMFlippedView : NSView
@end

@implementation QMFlippedView

- (BOOL)isFlipped {
    return YES;
}

@end

// A label whose height is measured at the width the layout gives it, so that
// it wraps inside its container instead of widening it.
@interface QMWrappingLabel : NSTextField
@end

@implementation QMWrappingLabel

- (void)setFrameSize:(NSSize)size {
    [super setFrameSize:size];
    if (self.preferredMaxLayoutWidth == size.width) return;
    self.preferredMaxLayoutWidth = size.width;
    [self invalidateIntrinsicContentSize];
}

@end

// A filled circle or rounded rectangle.
@interface QMShapeView : NSView
- (instancetype)initWithColor:(NSColor*)color cornerRadius:(CGFloat)cornerRadius circle:(BOOL)circle;
@end

@implementation QMShapeView {
    NSColor* _color;
    CGFloat _cornerRadius;
    BOOL _circle;
}

- (instancetype)initWithColor:(NSColor*)color cornerRadius:(CGFloat)cornerRadius circle:(BOOL)circle {
    if ((self = [super initWithFrame:NSZeroRect])) {
        _color = color;
        _cornerRadius = cornerRadius;
        _circle = circle;
        self.wantsLayer = YES;
        self.layerContentsRedrawPolicy = NSViewLayerContentsRedrawOnSetNeedsDisplay;
    }
    return self;
}

- (BOOL)wantsUpdateLayer {
    return YES;
}

// Semantic colours resolve here against the view's appearance, so they follow light and dark mode.
- (void)updateLayer {
    const NSSize size = self.bounds.size;
    self.layer.backgroundColor = _color.CGColor;
    self.layer.cornerRadius = _circle ? std::min(size.width, size.height) / 2 : _cornerRadius;
}

// A circle's radius follows its size.
- (void)setFrameSize:(NSSize)size {
    [super setFrameSize:size];
    self.needsDisplay = YES;
}

@end

namespace qm::macos {

namespace {

using views::Node;
using Kind = views::Node::Kind;
namespace modifier = views::modifier;

constexpr CGFloat defaultSpacing = 8;
constexpr CGFloat labelSpacing = 6;
constexpr CGFloat calloutSize = 12;

using views::Axis;
using views::fills;
using views::stackAxis;

// What a node passes down to everything inside it.
struct Environment {
    views::Font font{};
    std::optional<views::ShapeStyle> foreground{};
    views::ControlSize controlSize = views::ControlSize::regular;
    views::SymbolRenderingMode symbolRendering = views::SymbolRenderingMode::monochrome;
};

Environment inherit(Environment environment, const Node& node) {
    if (const auto* font = node.find<modifier::SetFont>()) environment.font = font->font;
    if (const auto* foreground = node.find<modifier::Foreground>()) environment.foreground = foreground->style;
    if (const auto* size = node.find<modifier::SetControlSize>()) environment.controlSize = size->size;
    if (const auto* rendering = node.find<modifier::SymbolRendering>()) environment.symbolRendering = rendering->mode;
    return environment;
}

NSColor* semanticColor(views::SemanticColor color) {
    switch (color) {
        case views::SemanticColor::primary: return NSColor.labelColor;
        case views::SemanticColor::secondary: return NSColor.secondaryLabelColor;
        case views::SemanticColor::accent:
        case views::SemanticColor::tint: return NSColor.controlAccentColor;
        case views::SemanticColor::orange: return NSColor.systemOrangeColor;
        case views::SemanticColor::windowBackground: return NSColor.windowBackgroundColor;
    }
    return NSColor.labelColor;
}

NSColor* nsColor(const views::ShapeStyle& style) {
    NSColor* color = semanticColor(style.color);
    return style.opacity == 1 ? color : [color colorWithAlphaComponent:style.opacity];
}

NSColor* foregroundColor(const Environment& environment) {
    return nsColor(environment.foreground.value_or(views::ShapeStyle{}));
}

CGFloat pointSize(const views::Font& font) {
    return font.size.value_or(font.style == views::TextStyle::callout ? calloutSize : NSFont.systemFontSize);
}

NSFontWeight fontWeight(const views::Font& font) {
    return font.weight == views::FontWeight::semibold ? NSFontWeightSemibold : NSFontWeightRegular;
}

NSLayoutConstraintOrientation orientation(Axis axis) {
    return axis == Axis::horizontal ? NSLayoutConstraintOrientationHorizontal : NSLayoutConstraintOrientationVertical;
}

Axis across(Axis axis) {
    return axis == Axis::horizontal ? Axis::vertical : Axis::horizontal;
}

NSLayoutDimension* length(NSView* view, Axis axis) {
    return axis == Axis::horizontal ? view.widthAnchor : view.heightAnchor;
}

void activate(NSLayoutConstraint* constraint, NSLayoutPriority priority = NSLayoutPriorityRequired) {
    constraint.priority = priority;
    constraint.active = YES;
}

template <class V>
V* unmasked(V* view) {
    view.translatesAutoresizingMaskIntoConstraints = NO;
    return view;
}

NSView* plainView() {
    return unmasked([[NSView alloc] initWithFrame:NSZeroRect]);
}

void pinEdges(NSView* content, NSView* container, NSEdgeInsets insets) {
    [NSLayoutConstraint activateConstraints:@[
        [content.topAnchor constraintEqualToAnchor:container.topAnchor constant:insets.top],
        [content.leadingAnchor constraintEqualToAnchor:container.leadingAnchor constant:insets.left],
        [container.bottomAnchor constraintEqualToAnchor:content.bottomAnchor constant:insets.bottom],
        [container.trailingAnchor constraintEqualToAnchor:content.trailingAnchor constant:insets.right],
    ]];
}

// A for-each's children belong to the stack around it.

NSLayoutAttribute crossAlignment(views::HorizontalAlignment alignment) {
    switch (alignment) {
        case views::HorizontalAlignment::leading: return NSLayoutAttributeLeading;
        case views::HorizontalAlignment::center: return NSLayoutAttributeCenterX;
        case views::HorizontalAlignment::trailing: return NSLayoutAttributeTrailing;
    }
    return NSLayoutAttributeCenterX;
}

NSLayoutAttribute crossAlignment(views::VerticalAlignment alignment) {
    switch (alignment) {
        case views::VerticalAlignment::top: return NSLayoutAttributeTop;
        case views::VerticalAlignment::center: return NSLayoutAttributeCenterY;
        case views::VerticalAlignment::bottom: return NSLayoutAttributeBottom;
    }
    return NSLayoutAttributeCenterY;
}

NSLayoutConstraint* alignHorizontally(NSView* child, NSView* container, views::HorizontalAlignment alignment) {
    switch (alignment) {
        case views::HorizontalAlignment::leading:
            return [child.leadingAnchor constraintEqualToAnchor:container.leadingAnchor];
        case views::HorizontalAlignment::center:
            return [child.centerXAnchor constraintEqualToAnchor:container.centerXAnchor];
        case views::HorizontalAlignment::trailing:
            return [child.trailingAnchor constraintEqualToAnchor:container.trailingAnchor];
    }
    return [child.centerXAnchor constraintEqualToAnchor:container.centerXAnchor];
}

NSLayoutConstraint* alignVertically(NSView* child, NSView* container, views::VerticalAlignment alignment) {
    switch (alignment) {
        case views::VerticalAlignment::top: return [child.topAnchor constraintEqualToAnchor:container.topAnchor];
        case views::VerticalAlignment::center:
            return [child.centerYAnchor constraintEqualToAnchor:container.centerYAnchor];
        case views::VerticalAlignment::bottom:
            return [child.bottomAnchor constraintEqualToAnchor:container.bottomAnchor];
    }
    return [child.centerYAnchor constraintEqualToAnchor:container.centerYAnchor];
}

// A child along one axis of its container: as long as the container when it
// fills, otherwise no longer.
void fit(NSView* child, NSView* container, Axis axis, bool fill) {
    NSLayoutDimension* available = length(container, axis);
    activate(fill ? [length(child, axis) constraintEqualToAnchor:available]
                  : [length(child, axis) constraintLessThanOrEqualToAnchor:available]);
}

// A container no larger than its child, unless something else asks for more.
void hug(NSView* container, NSView* child, Axis axis) {
    activate([length(container, axis) constraintEqualToAnchor:length(child, axis)], NSLayoutPriorityDefaultLow);
}

// A spacer takes the stack's spare length, from its minimum up, and no room across.
void holdSpace(NSView* spacer, const Node& node, Axis axis) {
    activate([length(spacer, axis) constraintGreaterThanOrEqualToConstant:node.spacing.value_or(defaultSpacing)]);
    activate([length(spacer, across(axis)) constraintEqualToConstant:0], NSLayoutPriorityDefaultLow);
}

// A frame sizes the view itself; what is inside is placed by the view's own alignment.
void applyFrame(NSView* view, const modifier::Frame& frame) {
    const auto apply = [view](Axis axis, std::optional<double> fixed, std::optional<double> maximum) {
        if (fixed) activate([length(view, axis) constraintEqualToConstant:*fixed]);
        // Below its neighbours' default hugging, so that this is the view that grows.
        if (maximum == views::infinity)
            [view setContentHuggingPriority:NSLayoutPriorityDefaultLow - 1 forOrientation:orientation(axis)];
        else if (maximum)
            activate([length(view, axis) constraintLessThanOrEqualToConstant:*maximum]);
    };
    apply(Axis::horizontal, frame.width, frame.maxWidth);
    apply(Axis::vertical, frame.height, frame.maxHeight);
}

NSView* padded(NSView* content, const modifier::Padding& padding) {
    const auto inset = [&padding](views::Edges edge) { return (padding.edges & edge) ? padding.length : 0.0; };
    NSView* wrapper = plainView();
    [wrapper addSubview:content];
    pinEdges(content, wrapper,
             NSEdgeInsetsMake(inset(views::edge::top), inset(views::edge::leading), inset(views::edge::bottom),
                              inset(views::edge::trailing)));
    return wrapper;
}

NSTextField* textLabel(const std::string& text, const Environment& environment, const modifier::FixedSize* fixed) {
    NSTextField* label = unmasked([QMWrappingLabel wrappingLabelWithString:qm::macos::nsString(text)]);
    label.selectable = NO;
    label.font = [NSFont systemFontOfSize:pointSize(environment.font) weight:fontWeight(environment.font)];
    if (environment.foreground) label.textColor = foregroundColor(environment);
    const bool fixedWidth = fixed && fixed->horizontal;
    const bool fixedHeight = fixed && fixed->vertical;
    [label setContentCompressionResistancePriority:fixedWidth ? NSLayoutPriorityRequired : NSLayoutPriorityDefaultLow
                                    forOrientation:NSLayoutConstraintOrientationHorizontal];
    if (fixedHeight)
        [label setContentCompressionResistancePriority:NSLayoutPriorityRequired
                                        forOrientation:NSLayoutConstraintOrientationVertical];
    return label;
}

NSImageSymbolConfiguration* symbolConfiguration(const Environment& environment) {
    NSImageSymbolConfiguration* size =
        [NSImageSymbolConfiguration configurationWithPointSize:pointSize(environment.font)
                                                        weight:fontWeight(environment.font)];
    if (environment.symbolRendering != views::SymbolRenderingMode::hierarchical) return size;
    NSImageSymbolConfiguration* hierarchical =
        [NSImageSymbolConfiguration configurationWithHierarchicalColor:foregroundColor(environment)];
    return [size configurationByApplyingConfiguration:hierarchical];
}

NSImageView* symbolView(const std::string& symbol, const Environment& environment) {
    NSImage* image = [NSImage imageWithSystemSymbolName:qm::macos::nsString(symbol) accessibilityDescription:nil];
    NSImageView* view = unmasked([[NSImageView alloc] initWithFrame:NSZeroRect]);
    view.image = [image imageWithSymbolConfiguration:symbolConfiguration(environment)];
    // A frame larger than the symbol leaves it at its point size, centred.
    view.imageScaling = NSImageScaleNone;
    if (environment.foreground) view.contentTintColor = foregroundColor(environment);
    return view;
}

NSStackView* stackView(Axis axis, CGFloat spacing) {
    NSStackView* stack = unmasked([[NSStackView alloc] initWithFrame:NSZeroRect]);
    stack.orientation = axis == Axis::horizontal ? NSUserInterfaceLayoutOrientationHorizontal
                                                 : NSUserInterfaceLayoutOrientationVertical;
    stack.distribution = NSStackViewDistributionFill;
    stack.spacing = spacing;
    return stack;
}

NSView* labelView(const Node& node, const Environment& environment) {
    NSStackView* stack = stackView(Axis::horizontal, labelSpacing);
    stack.alignment = NSLayoutAttributeFirstBaseline;
    [stack addArrangedSubview:symbolView(node.symbol, environment)];
    [stack addArrangedSubview:textLabel(node.text, environment, node.find<modifier::FixedSize>())];
    return stack;
}

NSView* dividerView(std::optional<Axis> parentAxis) {
    const bool vertical = parentAxis == Axis::horizontal;
    NSBox* box = unmasked([[NSBox alloc] initWithFrame:vertical ? NSMakeRect(0, 0, 1, 10) : NSMakeRect(0, 0, 10, 1)]);
    box.boxType = NSBoxSeparator;
    activate([length(box, vertical ? Axis::horizontal : Axis::vertical) constraintEqualToConstant:1]);
    return box;
}

NSView* shapeView(const Node& node, const Environment& environment) {
    const auto* fill = node.find<modifier::Fill>();
    NSColor* color = fill ? nsColor(fill->style) : foregroundColor(environment);
    return unmasked([[QMShapeView alloc] initWithColor:color
                                          cornerRadius:node.cornerRadius
                                                circle:node.kind == Kind::circle]);
}

// Turns an evaluated tree into AppKit views; its buttons press in the host.
class PageBuilder {
public:
    explicit PageBuilder(views::ViewHost& host) : host_(host) {}

    NSView* build(const Node& node, const Environment& inherited, std::optional<Axis> parentAxis) {
        const Environment environment = inherit(inherited, node);
        NSView* view = content(node, environment, parentAxis);
        for (const auto& m : node.modifiers) {
            if (const auto* frame = std::get_if<modifier::Frame>(&m)) applyFrame(view, *frame);
            if (const auto* padding = std::get_if<modifier::Padding>(&m)) view = padded(view, *padding);
            if (const auto* opacity = std::get_if<modifier::Opacity>(&m)) view.alphaValue *= opacity->value;
        }
        return view;
    }

private:
    NSView* content(const Node& node, const Environment& environment, std::optional<Axis> parentAxis) {
        switch (node.kind) {
            case Kind::vstack:
            case Kind::forEach: return stack(node, environment, Axis::vertical);
            case Kind::hstack: return stack(node, environment, Axis::horizontal);
            case Kind::zstack: return overlay(node, environment);
            case Kind::text: return textLabel(node.text, environment, node.find<modifier::FixedSize>());
            case Kind::image: return symbolView(node.text, environment);
            case Kind::label: return labelView(node, environment);
            case Kind::button: return button(node, environment);
            case Kind::divider: return dividerView(parentAxis);
            case Kind::spacer: return plainView();
            case Kind::circle:
            case Kind::roundedRectangle: return shapeView(node, environment);
            case Kind::slider: return slider(node);
            case Kind::toggle: return checkbox(node);
            case Kind::picker: return popUp(node);
            case Kind::list: return list(node, environment);
            // Only a list shows its lazy rows, each in its place.
            case Kind::lazyRows: return plainView();
        }
        return plainView();
    }

    // Slides over fractions of its track, so that a logarithmic range is laid
    // out as the simulator draws it; the change is sent when the knob is let go.
    NSView* slider(const Node& node) {
        NSSlider* slider = unmasked([[NSSlider alloc] initWithFrame:NSZeroRect]);
        slider.minValue = 0;
        slider.maxValue = 1;
        slider.doubleValue = views::trackFraction(node.range, node.value);
        slider.numberOfTickMarks = node.range.tickMarks;
        slider.continuous = NO;
        [QMControlTarget attachTo:slider host:&host_ identifier:node.identifier range:node.range];
        return slider;
    }

    NSView* checkbox(const Node& node) {
        NSButton* box = unmasked([NSButton checkboxWithTitle:nsString(node.text) target:nil action:nil]);
        box.state = node.value != 0 ? NSControlStateValueOn : NSControlStateValueOff;
        [QMControlTarget attachTo:box host:&host_ identifier:node.identifier range:{}];
        return box;
    }

    NSView* popUp(const Node& node) {
        NSPopUpButton* button = unmasked([[NSPopUpButton alloc] initWithFrame:NSZeroRect pullsDown:NO]);
        // Through the menu, so that two options of the same title both stay.
        for (const auto& option : node.options)
            [button.menu addItemWithTitle:nsString(option.title) action:nil keyEquivalent:@""].tag = option.tag;
        [button selectItemWithTag:static_cast<NSInteger>(node.value)];
        [QMControlTarget attachTo:button host:&host_ identifier:node.identifier range:{}];
        return button;
    }

    // Rows as full-width stack rows in a scroll view; the list's frame sets its
    // height. Every row is built, lazy ones too: AppKit lays out what it is given.
    NSView* list(const Node& node, const Environment& environment) {
        NSStackView* rows = stackView(Axis::vertical, 0);
        rows.alignment = NSLayoutAttributeLeading;
        for (const Node& row : views::listRows(node)) {
            NSView* view = build(row, environment, Axis::vertical);
            [rows addArrangedSubview:view];
            fit(view, rows, Axis::horizontal, true);
        }
        NSView* document = unmasked([[QMFlippedView alloc] initWithFrame:NSZeroRect]);
        [document addSubview:rows];
        pinEdges(rows, document, NSEdgeInsetsZero);
        NSScrollView* scroll = unmasked([[NSScrollView alloc] initWithFrame:NSZeroRect]);
        scroll.hasVerticalScroller = YES;
        scroll.borderType = NSBezelBorder;
        scroll.drawsBackground = YES;
        scroll.backgroundColor = NSColor.controlBackgroundColor;
        scroll.documentView = document;
        NSClipView* clip = scroll.contentView;
        [NSLayoutConstraint activateConstraints:@[
            [document.topAnchor constraintEqualToAnchor:clip.topAnchor],
            [document.leadingAnchor constraintEqualToAnchor:clip.leadingAnchor],
            [document.widthAnchor constraintEqualToAnchor:clip.widthAnchor],
        ]];
        return scroll;
    }

    NSView* stack(const Node& node, const Environment& environment, Axis axis) {
        NSStackView* stack = stackView(axis, node.spacing.value_or(defaultSpacing));
        stack.alignment = axis == Axis::vertical ? crossAlignment(node.alignment.horizontal)
                                                 : crossAlignment(node.alignment.vertical);
        for (const Node* child : views::arrangedChildren(node)) {
            NSView* view = build(*child, environment, axis);
            [stack addArrangedSubview:view];
            fit(view, stack, across(axis), fills(*child, across(axis), axis));
            if (child->kind == Kind::spacer) holdSpace(view, *child, axis);
        }
        return stack;
    }

    // The children centred on top of each other, or placed by the alignment.
    NSView* overlay(const Node& node, const Environment& environment) {
        NSView* container = plainView();
        for (const Node* child : views::arrangedChildren(node)) {
            NSView* view = build(*child, environment, std::nullopt);
            [container addSubview:view];
            for (const Axis axis : {Axis::horizontal, Axis::vertical}) {
                const bool fill = fills(*child, axis, std::nullopt);
                fit(view, container, axis, fill);
                if (!fill) hug(container, view, axis);
            }
            activate(alignHorizontally(view, container, node.alignment.horizontal));
            activate(alignVertically(view, container, node.alignment.vertical));
        }
        return container;
    }

    NSView* button(const Node& node, const Environment& environment) {
        QMHostButton* button = unmasked([[QMHostButton alloc] initWithHost:&host_ identifier:node.identifier]);
        button.title = qm::macos::nsString(node.text);
        button.bezelStyle = NSBezelStyleRounded;
        [button setButtonType:NSButtonTypeMomentaryPushIn];
        if (environment.controlSize == views::ControlSize::large) {
            button.controlSize = NSControlSizeLarge;
            button.font = [NSFont systemFontOfSize:[NSFont systemFontSizeForControlSize:NSControlSizeLarge]];
        }
        if (node.find<modifier::Shortcut>()) button.keyEquivalent = @"\r";
        return button;
    }

    views::ViewHost& host_;
};

}  // namespace

MacViewHost::MacViewHost(std::unique_ptr<platform::views::View> root)
    : host_(std::move(root)), view_([[NSView alloc] initWithFrame:NSZeroRect]) {
    host_.setOnChange([this] { rebuild(); });
    rebuild();
    [view_ setFrameSize:view_.fittingSize];
}

void MacViewHost::rebuild() {
    NSView* old = page_;
    page_ = PageBuilder(host_).build(host_.tree(), {}, std::nullopt);
    [view_ addSubview:page_];
    pinEdges(page_, view_, NSEdgeInsetsZero);
    if (!old) return;
    [old removeFromSuperview];
    // The old page holds the button whose action is running; it lives until that event is done.
    dispatch_async(dispatch_get_main_queue(), ^{
      (void)old;
    });
}

}  // namespace qm::macos
