#include "platform/views/node.h"

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

void walk(const Node& node, const std::function<void(const Node&)>& visit) {
    visit(node);
    for (const Node& child : node.children) walk(child, visit);
}

}  // namespace qm::platform::views
