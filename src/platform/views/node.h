#pragma once

#include <functional>
#include <limits>
#include <optional>
#include <string>
#include <variant>
#include <vector>

// A small declarative view layer: a view describes its content as a tree of
// value nodes, rebuilt from its state at every evaluation; a host lays the tree
// out, shows it and performs its buttons' actions.
namespace qm::platform::views {

enum class HorizontalAlignment { leading, center, trailing };
enum class VerticalAlignment { top, center, bottom };

struct Alignment {
    HorizontalAlignment horizontal = HorizontalAlignment::center;
    VerticalAlignment vertical = VerticalAlignment::center;
    static constexpr Alignment center() { return {}; }
    static constexpr Alignment leading() { return {HorizontalAlignment::leading, VerticalAlignment::center}; }
};

inline constexpr double infinity = std::numeric_limits<double>::infinity();

enum class FontWeight { regular, semibold };
enum class TextStyle { body, callout };

struct Font {
    std::optional<double> size;  // a system font of this size; otherwise the text style's
    FontWeight weight = FontWeight::regular;
    TextStyle style = TextStyle::body;
    static Font system(double size, FontWeight weight = FontWeight::regular) { return {size, weight, TextStyle::body}; }
    static Font callout() { return {std::nullopt, FontWeight::regular, TextStyle::callout}; }
};

// The system's semantic colours, and the tint of the control or window.
enum class SemanticColor { primary, secondary, accent, tint, orange, windowBackground };

struct ShapeStyle {
    SemanticColor color = SemanticColor::primary;
    double opacity = 1;
    ShapeStyle withOpacity(double o) const { return {color, opacity * o}; }
};

enum class ControlSize { regular, large };
enum class KeyboardShortcut { defaultAction };
enum class SymbolRenderingMode { monochrome, hierarchical };

using Edges = unsigned;
namespace edge {
inline constexpr Edges top = 1, leading = 2, bottom = 4, trailing = 8;
inline constexpr Edges horizontal = leading | trailing, vertical = top | bottom, all = horizontal | vertical;
}  // namespace edge

namespace modifier {
struct Frame {
    std::optional<double> width{}, height{}, maxWidth{}, maxHeight{};
    Alignment alignment{};
};
struct Padding {
    Edges edges;
    double length;
};
struct SetFont {
    Font font;
};
struct Foreground {
    ShapeStyle style;
};
struct Fill {
    ShapeStyle style;
};
struct Opacity {
    double value;
};
struct FixedSize {
    bool horizontal, vertical;
};
struct SetControlSize {
    ControlSize size;
};
struct Shortcut {
    KeyboardShortcut shortcut;
};
struct SymbolRendering {
    SymbolRenderingMode mode;
};
}  // namespace modifier

// A slider's range of values, and how they are laid along its track: evenly,
// or by their logarithm, so that doubling is the same distance everywhere.
struct SliderRange {
    double minimum = 0;
    double maximum = 1;
    bool logarithmic = false;
    int tickMarks = 0;  // evenly spaced along the track, both ends included
};

// Where value lies along the track, from 0 to 1; and the value at a place.
double trackFraction(const SliderRange& range, double value);
double valueAtFraction(const SliderRange& range, double fraction);

// One choice of a pop-up: the tag that names it, and its title.
struct Option {
    int tag;
    std::string title;
};

using Modifier = std::variant<modifier::Frame, modifier::Padding, modifier::SetFont, modifier::Foreground,
                              modifier::Fill, modifier::Opacity, modifier::FixedSize, modifier::SetControlSize,
                              modifier::Shortcut, modifier::SymbolRendering>;

struct Node {
    enum class Kind {
        vstack,
        hstack,
        zstack,
        text,
        image,
        label,
        button,
        divider,
        spacer,
        circle,
        roundedRectangle,
        forEach,
        slider,   // a value dragged along a track
        toggle,   // a checkbox with its title
        picker,   // a pop-up button choosing one of its options
        list,     // rows in a column that scrolls within the list's frame
        lazyRows  // a list's rows built from their index only when they are shown
    };

    Kind kind = Kind::vstack;
    std::string text{};               // a text's string, an image's symbol, a label's, button's or toggle's title
    std::string symbol{};             // a label's icon
    std::string identifier{};         // names a control for whoever works it from outside
    Alignment alignment{};            // stacks: the cross axis; a z-stack: both
    std::optional<double> spacing{};  // stacks; a spacer's minimum length
    double cornerRadius = 0;
    std::vector<int> ids{};  // a for-each's identities, one per child
    std::vector<Node> children{};
    std::vector<Modifier> modifiers{};  // innermost first
    std::function<void()> action{};
    double value = 0;  // a slider's value, a toggle's state (1 on, 0 off), a picker's chosen tag
    SliderRange range{};
    std::vector<Option> options{};
    // What a slider, toggle or picker does when the user changes it, given the new value.
    std::function<void(double)> onChange{};
    std::size_t rowCount = 0;                // lazy rows: how many
    std::function<Node(std::size_t)> row{};  // lazy rows: the one at an index, from 0

    Node&& frame(std::optional<double> width, std::optional<double> height, Alignment alignment = {}) &&;
    Node&& frame(modifier::Frame frame) &&;
    Node&& padding(Edges edges, double length) &&;
    Node&& font(Font font) &&;
    Node&& foregroundStyle(ShapeStyle style) &&;
    Node&& fill(ShapeStyle style) &&;
    Node&& opacity(double value) &&;
    Node&& fixedSize(bool horizontal, bool vertical) &&;
    Node&& controlSize(ControlSize size) &&;
    Node&& keyboardShortcut(KeyboardShortcut shortcut) &&;
    Node&& symbolRenderingMode(SymbolRenderingMode mode) &&;
    Node&& identified(std::string id) &&;

    // The modifier of type M nearest the content, if any.
    template <class M>
    const M* find() const {
        for (const auto& m : modifiers)
            if (const auto* found = std::get_if<M>(&m)) return found;
        return nullptr;
    }
};

Node VStack(HorizontalAlignment alignment, std::optional<double> spacing, std::vector<Node> children);
Node HStack(VerticalAlignment alignment, std::optional<double> spacing, std::vector<Node> children);
Node ZStack(Alignment alignment, std::vector<Node> children);
Node Text(std::string text);
Node Image(std::string systemName);
Node Label(std::string title, std::string systemImage);
Node Button(std::string title, std::function<void()> action);
Node Divider();
Node Spacer(std::optional<double> minLength = std::nullopt);
Node Circle();
Node RoundedRectangle(double cornerRadius);
Node ForEach(std::vector<int> ids, const std::function<Node(int)>& content);
Node Slider(double value, SliderRange range, std::function<void(double)> onChange);
Node Toggle(std::string title, bool isOn, std::function<void(bool)> onChange);
Node Picker(std::vector<Option> options, int chosen, std::function<void(int)> onChange);
Node List(std::vector<Node> rows);
// Rows of a list, count of them, each built by row from its index only when a
// host shows it or looks for something in it: a list of thousands costs what
// the rows in sight cost. Each is as high as the first, and what does not fit
// in that height is cut: for rows alike, one line of text and the same
// controls. Each row is built from what the view holds when it is shown,
// which is what its evaluation saw.
Node LazyRows(std::size_t count, std::function<Node(std::size_t)> row);

enum class Axis { horizontal, vertical };

// The axis a stack lays its children along; nothing for other nodes.
std::optional<Axis> stackAxis(const Node& node);

// A stack's children, with those of its for-each nodes in their place.
std::vector<const Node*> arrangedChildren(const Node& node);

// Whether a node takes all the length its parent offers along axis: the
// outermost frame that sizes it decides, otherwise a spacer does along its
// stack, a divider across it, a slider across its width, a shape and a list
// always, and a stack when a child does.
bool fills(const Node& node, Axis axis, std::optional<Axis> parentAxis);

// Calls visit on node and on everything below it, depth first. Lazy rows are
// not built: they are not part of the tree until something shows them.
void walk(const Node& node, const std::function<void(const Node&)>& visit);

// Like walk, with lazy rows built one at a time in their place, until found
// answers true; whether it did.
bool search(const Node& node, const std::function<bool(const Node&)>& found);

// Every row of a list, its lazy rows built: for a host that shows them all.
std::vector<Node> listRows(const Node& list);

}  // namespace qm::platform::views
