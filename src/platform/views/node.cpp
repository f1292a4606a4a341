#include "platform/views/node.h"

#include <algorithm>
#include <cmath>

namespace qm::platform::views {

namespace {

Node make(Node::Kind kind) {
    return Node{.kind = kind};
}

Node stack(Node::Kind kind, Alignment alignment, std::optional<double> spacing, std::vector<Node> children) {
    Node node = make(kind);
    node.alignment = alignment;
    node.spacing = spacing;
    node.children = std::move(children);
    return node;
}

}  // namespace

Node&& Node::frame(std::optional<double> width, std::optional<double> height, Alignment alignment) && {
    return std::move(*this).frame(modifier::Frame{width, height, std::nullopt, std::nullopt, alignment});
}

Node&& Node::frame(modifier::Frame frame) && {
    modifiers.emplace_back(frame);
    return std::move(*this);
}

Node&& Node::padding(Edges edges, double length) && {
    modifiers.emplace_back(modifier::Padding{edges, length});
    return std::move(*this);
}

Node&& Node::font(Font font) && {
    modifiers.emplace_back(modifier::SetFont{font});
    return std::move(*this);
}

Node&& Node::foregroundStyle(ShapeStyle style) && {
    modifiers.emplace_back(modifier::Foreground{style});
    return std::move(*this);
}

Node&& Node::fill(ShapeStyle style) && {
    modifiers.emplace_back(modifier::Fill{style});
    return std::move(*this);
}

Node&& Node::opacity(double value) && {
    modifiers.emplace_back(modifier::Opacity{value});
    return std::move(*this);
}

Node&& Node::fixedSize(bool horizontal, bool vertical) && {
    modifiers.emplace_back(modifier::FixedSize{horizontal, vertical});
    return std::move(*this);
}

Node&& Node::controlSize(ControlSize size) && {
    modifiers.emplace_back(modifier::SetControlSize{size});
    return std::move(*this);
}

Node&& Node::keyboardShortcut(KeyboardShortcut shortcut) && {
    modifiers.emplace_back(modifier::Shortcut{shortcut});
    return std::move(*this);
}

Node&& Node::symbolRenderingMode(SymbolRenderingMode mode) && {
    modifiers.emplace_back(modifier::SymbolRendering{mode});
    return std::move(*this);
}

Node&& Node::identified(std::string id) && {
    identifier = std::move(id);
    return std::move(*this);
}

Node VStack(HorizontalAlignment alignment, std::optional<double> spacing, std::vector<Node> children) {
    return stack(Node::Kind::vstack, {alignment, VerticalAlignment::center}, spacing, std::move(children));
}

Node HStack(VerticalAlignment alignment, std::optional<double> spacing, std::vector<Node> children) {
    return stack(Node::Kind::hstack, {HorizontalAlignment::center, alignment}, spacing, std::move(children));
}

Node ZStack(Alignment alignment, std::vector<Node> children) {
    return stack(Node::Kind::zstack, alignment, std::nullopt, std::move(children));
}

Node Text(std::string text) {
    Node node = make(Node::Kind::text);
    node.text = std::move(text);
    return node;
}

Node Image(std::string systemName) {
    Node node = make(Node::Kind::image);
    node.text = std::move(systemName);
    return node;
}

Node Label(std::string title, std::string systemImage) {
    Node node = make(Node::Kind::label);
    node.text = std::move(title);
    node.symbol = std::move(systemImage);
    return node;
}

Node Button(std::string title, std::function<void()> action) {
    Node node = make(Node::Kind::button);
    node.text = std::move(title);
    node.action = std::move(action);
    return node;
}

Node Divider() {
    return make(Node::Kind::divider);
}

Node Spacer(std::optional<double> minLength) {
    Node node = make(Node::Kind::spacer);
    node.spacing = minLength;
    return node;
}

Node Circle() {
    return make(Node::Kind::circle);
}

Node RoundedRectangle(double cornerRadius) {
    Node node = make(Node::Kind::roundedRectangle);
    node.cornerRadius = cornerRadius;
    return node;
}

Node ForEach(std::vector<int> ids, const std::function<Node(int)>& content) {
    Node node = make(Node::Kind::forEach);
    for (int id : ids) node.children.push_back(content(id));
    node.ids = std::move(ids);
    return node;
}

Node Slider(double value, SliderRange range, std::function<void(double)> onChange) {
    Node node = make(Node::Kind::slider);
    node.value = value;
    node.range = range;
    node.onChange = std::move(onChange);
    return node;
}

Node Toggle(std::string title, bool isOn, std::function<void(bool)> onChange) {
    Node node = make(Node::Kind::toggle);
    node.text = std::move(title);
    node.value = isOn ? 1 : 0;
    node.onChange = [onChange = std::move(onChange)](double value) { onChange(value != 0); };
    return node;
}

Node Picker(std::vector<Option> options, int chosen, std::function<void(int)> onChange) {
    Node node = make(Node::Kind::picker);
    node.options = std::move(options);
    node.value = chosen;
    node.onChange = [onChange = std::move(onChange)](double tag) { onChange(static_cast<int>(tag)); };
    return node;
}

Node List(std::vector<Node> rows) {
    Node node = make(Node::Kind::list);
    node.children = std::move(rows);
    return node;
}

Node LazyRows(std::size_t count, std::function<Node(std::size_t)> row) {
    Node node = make(Node::Kind::lazyRows);
    node.rowCount = count;
    node.row = std::move(row);
    return node;
}

double trackFraction(const SliderRange& range, double value) {
    const auto scaled = [&range](double v) { return range.logarithmic ? std::log(v) : v; };
    const double span = scaled(range.maximum) - scaled(range.minimum);
    if (!(span > 0)) return 0;
    return std::clamp((scaled(value) - scaled(range.minimum)) / span, 0.0, 1.0);
}

double valueAtFraction(const SliderRange& range, double fraction) {
    fraction = std::clamp(fraction, 0.0, 1.0);
    if (!range.logarithmic) return range.minimum + (range.maximum - range.minimum) * fraction;
    return std::exp(std::log(range.minimum) + (std::log(range.maximum) - std::log(range.minimum)) * fraction);
}

std::optional<Axis> stackAxis(const Node& node) {
    if (node.kind == Node::Kind::hstack) return Axis::horizontal;
    if (node.kind == Node::Kind::vstack || node.kind == Node::Kind::forEach) return Axis::vertical;
    return std::nullopt;
}

std::vector<const Node*> arrangedChildren(const Node& node) {
    std::vector<const Node*> children;
    for (const Node& child : node.children) {
        if (child.kind != Node::Kind::forEach) {
            children.push_back(&child);
            continue;
        }
        const auto inner = arrangedChildren(child);
        children.insert(children.end(), inner.begin(), inner.end());
    }
    return children;
}

namespace {

std::optional<bool> frameFills(const Node& node, Axis axis) {
    for (auto it = node.modifiers.rbegin(); it != node.modifiers.rend(); ++it) {
        const auto* frame = std::get_if<modifier::Frame>(&*it);
        if (!frame) continue;
        const auto fixed = axis == Axis::horizontal ? frame->width : frame->height;
        const auto maximum = axis == Axis::horizontal ? frame->maxWidth : frame->maxHeight;
        if (fixed) return false;
        if (maximum == infinity) return true;
    }
    return std::nullopt;
}

}  // namespace

bool fills(const Node& node, Axis axis, std::optional<Axis> parentAxis) {
    if (const auto decided = frameFills(node, axis)) return *decided;
    switch (node.kind) {
        case Node::Kind::spacer: return parentAxis == axis;
        case Node::Kind::divider: return parentAxis && *parentAxis != axis;
        case Node::Kind::slider: return axis == Axis::horizontal;
        case Node::Kind::circle:
        case Node::Kind::roundedRectangle:
        case Node::Kind::list: return true;
        case Node::Kind::vstack:
        case Node::Kind::hstack:
        case Node::Kind::zstack:
        case Node::Kind::forEach: {
            const auto children = arrangedChildren(node);
            return std::any_of(children.begin(), children.end(),
                               [&](const Node* child) { return fills(*child, axis, stackAxis(node)); });
        }
        default: return false;
    }
}

void walk(const Node& node, const std::function<void(const Node&)>& visit) {
    visit(node);
    for (const Node& child : node.children) walk(child, visit);
}

bool search(const Node& node, const std::function<bool(const Node&)>& found) {
    if (found(node)) return true;
    for (const Node& child : node.children)
        if (search(child, found)) return true;
    for (std::size_t i = 0; i < node.rowCount; ++i)
        if (search(node.row(i), found)) return true;
    return false;
}

std::vector<Node> listRows(const Node& list) {
    std::vector<Node> rows;
    for (const Node& child : list.children) {
        if (child.kind != Node::Kind::lazyRows) {
            rows.push_back(child);
            continue;
        }
        for (std::size_t i = 0; i < child.rowCount; ++i) rows.push_back(child.row(i));
    }
    return rows;
}

}  // namespace qm::platform::views
