#include "platform/cairo/view_layout.h"

#include <algorithm>
#include <cmath>

#include "platform/overloaded.h"

namespace qm::cairo {

using platform::Rect;
using views::Node;
namespace m = views::modifier;

namespace {

constexpr double defaultSpacing = 8;
constexpr double labelGap = 6;
constexpr double checkboxSide = 14;
constexpr double controlHeight = 22;
constexpr double sliderHeight = 20;
constexpr double tickLength = 6;

std::optional<views::Axis> viewsAxis(Axis axis) {
    if (axis == Axis::horizontal) return views::Axis::horizontal;
    if (axis == Axis::vertical) return views::Axis::vertical;
    return std::nullopt;
}

Axis axisOf(const Node& node) {
    if (node.kind == Node::Kind::vstack) return Axis::vertical;
    if (node.kind == Node::Kind::hstack) return Axis::horizontal;
    return Axis::none;
}

// Whether a child takes whatever length its stack offers along the stack's axis.
bool isFlexible(const Node& node, Axis axis) {
    return views::fills(node, *viewsAxis(axis), viewsAxis(axis));
}

// Whether a node gets narrower when it must: text wraps, a button's or a pop-up's title is shortened.
bool isCompressible(const Node& node) {
    if (node.kind == Node::Kind::text || node.kind == Node::Kind::label || node.kind == Node::Kind::button ||
        node.kind == Node::Kind::toggle || node.kind == Node::Kind::picker)
        return true;
    return std::any_of(node.children.begin(), node.children.end(), isCompressible);
}

Environment applied(const views::Modifier& modifier, Environment environment) {
    std::visit(Overloaded{
                   [&](const m::SetFont& f) { environment.font = f.font; },
                   [&](const m::Foreground& f) { environment.foreground = f.style; },
                   [&](const m::Fill& f) { environment.fill = f.style; },
                   [&](const m::Opacity& o) { environment.opacity *= o.value; },
                   [&](const m::SetControlSize& c) { environment.controlSize = c.size; },
                   [&](const m::Shortcut&) { environment.isDefaultButton = true; },
                   [](const auto&) {},
               },
               modifier);
    return environment;
}

double placement(views::HorizontalAlignment alignment) {
    return alignment == views::HorizontalAlignment::leading  ? 0
           : alignment == views::HorizontalAlignment::center ? 0.5
                                                             : 1;
}

double placement(views::VerticalAlignment alignment) {
    return alignment == views::VerticalAlignment::top ? 0 : alignment == views::VerticalAlignment::center ? 0.5 : 1;
}

std::optional<double> shrunk(std::optional<double> length, double by) {
    if (!length) return std::nullopt;
    return std::max(0.0, *length - by);
}

}  // namespace

double Layout::fontSize(const views::Font& font) {
    if (font.size) return *font.size;
    return font.style == views::TextStyle::callout ? 12 : 13;
}

Size Layout::sizeThatFits(const Node& node, Proposal proposal) const {
    return sizeOf(node, node.modifiers.size(), proposal, Environment{});
}

Placed Layout::place(const Node& root, Size page) const {
    Placed placed;
    put(root, root.modifiers.size(), {0, 0, page.width, page.height}, Environment{}, placed);
    return placed;
}

Size Layout::sizeOf(const Node& node, std::size_t level, Proposal proposal, Environment environment) const {
    if (level == 0) return contentSize(node, proposal, environment);
    const views::Modifier& modifier = node.modifiers[level - 1];
    if (const auto* frame = std::get_if<m::Frame>(&modifier)) {
        const Proposal inner{frame->width ? frame->width : proposal.width,
                             frame->height ? frame->height : proposal.height};
        const Size child = sizeOf(node, level - 1, inner, environment);
        const auto extent = [](std::optional<double> fixed, std::optional<double> most, std::optional<double> offered,
                               double content) {
            if (fixed) return *fixed;
            if (most && offered) return std::min(*most, *offered);
            return content;
        };
        return {extent(frame->width, frame->maxWidth, proposal.width, child.width),
                extent(frame->height, frame->maxHeight, proposal.height, child.height)};
    }
    if (const auto* padding = std::get_if<m::Padding>(&modifier)) {
        const double h = ((padding->edges & views::edge::leading) ? padding->length : 0) +
                         ((padding->edges & views::edge::trailing) ? padding->length : 0);
        const double v = ((padding->edges & views::edge::top) ? padding->length : 0) +
                         ((padding->edges & views::edge::bottom) ? padding->length : 0);
        const Size child =
            sizeOf(node, level - 1, {shrunk(proposal.width, h), shrunk(proposal.height, v)}, environment);
        return {child.width + h, child.height + v};
    }
    if (const auto* fixed = std::get_if<m::FixedSize>(&modifier)) {
        return sizeOf(
            node, level - 1,
            {fixed->horizontal ? std::nullopt : proposal.width, fixed->vertical ? std::nullopt : proposal.height},
            environment);
    }
    return sizeOf(node, level - 1, proposal, applied(modifier, environment));
}

Size Layout::contentSize(const Node& node, Proposal proposal, const Environment& environment) const {
    const double font = fontSize(environment.font);
    switch (node.kind) {
        case Node::Kind::text: return measure_.measure(node.text, environment.font, proposal.width);
        case Node::Kind::image: return {font, font};
        case Node::Kind::label: {
            const Size title = measure_.measure(node.text, environment.font, shrunk(proposal.width, font + labelGap));
            return {font + labelGap + title.width, std::max(font, title.height)};
        }
        case Node::Kind::button: {
            // One line, shortened when the width offered is less than it needs.
            const Size title = measure_.measure(node.text, views::Font::system(13), std::nullopt);
            const bool large = environment.controlSize == views::ControlSize::large;
            const double ideal = title.width + (large ? 32 : 24);
            return {proposal.width ? std::min(ideal, *proposal.width) : ideal,
                    std::max(title.height + (large ? 12 : 6), large ? 30.0 : 22.0)};
        }
        case Node::Kind::divider:
            if (environment.stackAxis == Axis::horizontal) return {1, proposal.height.value_or(1)};
            return {proposal.width.value_or(1), 1};
        case Node::Kind::spacer: {
            const double least = node.spacing.value_or(defaultSpacing);
            if (environment.stackAxis == Axis::vertical) return {0, std::max(least, proposal.height.value_or(least))};
            if (environment.stackAxis == Axis::horizontal) return {std::max(least, proposal.width.value_or(least)), 0};
            return {0, 0};
        }
        case Node::Kind::circle:
        case Node::Kind::roundedRectangle: return {proposal.width.value_or(10), proposal.height.value_or(10)};
        case Node::Kind::slider:
            return {proposal.width.value_or(160), sliderHeight + (node.range.tickMarks > 0 ? tickLength : 0)};
        case Node::Kind::toggle: {
            const Size title =
                measure_.measure(node.text, environment.font, shrunk(proposal.width, checkboxSide + labelGap));
            return {checkboxSide + labelGap + title.width, std::max(checkboxSide + 2, title.height)};
        }
        case Node::Kind::picker: {
            // As wide as its longest title, with room for the arrows.
            double widest = 0;
            for (const auto& option : node.options)
                widest = std::max(widest, measure_.measure(option.title, views::Font::system(13), std::nullopt).width);
            const double ideal = widest + 40;
            return {proposal.width ? std::min(ideal, *proposal.width) : ideal, controlHeight};
        }
        case Node::Kind::list: {
            // Given a height, the rows are not measured: a list of thousands costs no more than a short one.
            if (proposal.height) return {proposal.width.value_or(240), *proposal.height};
            double rows = 0;
            for (const Node& row : node.children)
                rows += row.kind == Node::Kind::lazyRows
                            ? lazyRowHeight(row, proposal.width, environment) * static_cast<double>(row.rowCount)
                            : sizeOf(row, row.modifiers.size(), {proposal.width, std::nullopt}, environment).height;
            return {proposal.width.value_or(240), rows};
        }
        default: return stackSize(node, proposal, environment, nullptr);
    }
}

Size Layout::stackSize(const Node& node, Proposal proposal, const Environment& environment,
                       std::vector<Size>* childSizes) const {
    const auto children = views::arrangedChildren(node);
    const Axis axis = axisOf(node);
    Environment inner = environment;
    inner.stackAxis = axis;
    std::vector<Size> sizes(children.size());
    const auto size = [&](std::size_t i, Proposal offered) {
        sizes[i] = sizeOf(*children[i], children[i]->modifiers.size(), offered, inner);
    };

    if (axis == Axis::none) {
        for (std::size_t i = 0; i < children.size(); ++i) size(i, proposal);
    } else {
        const bool vertical = axis == Axis::vertical;
        const double gaps = node.spacing.value_or(defaultSpacing) * (children.empty() ? 0 : children.size() - 1);
        const auto offered = vertical ? proposal.height : proposal.width;
        const auto along = [&](const Size& s) { return vertical ? s.height : s.width; };
        const auto propose = [&](std::optional<double> length) {
            return vertical ? Proposal{proposal.width, length} : Proposal{length, proposal.height};
        };
        // The least flexible first: fixed children, then text, then whatever fills.
        const auto rank = [&](const Node& child) {
            if (isFlexible(child, axis)) return 2;
            return !vertical && isCompressible(child) ? 1 : 0;
        };
        double used = gaps;
        // What fills must keep at least its minimum, whatever the others take first.
        double reserved = 0;
        for (const Node* child : children)
            if (child->kind == Node::Kind::spacer && isFlexible(*child, axis))
                reserved += child->spacing.value_or(defaultSpacing);
        for (int pass = 0; pass < 3; ++pass) {
            if (pass == 2) reserved = 0;
            std::vector<std::size_t> group;
            for (std::size_t i = 0; i < children.size(); ++i)
                if (rank(*children[i]) == pass) group.push_back(i);
            for (std::size_t i : group) {
                const std::optional<double> share =
                    pass == 0 || !offered
                        ? std::optional<double>()
                        : std::max(0.0, (*offered - used - reserved) / static_cast<double>(group.size()));
                size(i, propose(pass == 0 && !vertical ? std::nullopt : share));
            }
            for (std::size_t i : group) used += along(sizes[i]);
        }
    }

    Size total;
    for (const Size& s : sizes) {
        if (axis == Axis::vertical) {
            total.width = std::max(total.width, s.width);
            total.height += s.height;
        } else if (axis == Axis::horizontal) {
            total.width += s.width;
            total.height = std::max(total.height, s.height);
        } else {
            total.width = std::max(total.width, s.width);
            total.height = std::max(total.height, s.height);
        }
    }
    if (axis != Axis::none && !children.empty()) {
        const double gaps = node.spacing.value_or(defaultSpacing) * static_cast<double>(children.size() - 1);
        (axis == Axis::vertical ? total.height : total.width) += gaps;
    }
    if (childSizes) *childSizes = std::move(sizes);
    return total;
}

void Layout::put(const Node& node, std::size_t level, Rect rect, Environment environment, Placed& out) const {
    if (level == 0) return putContent(node, rect, environment, out);
    const views::Modifier& modifier = node.modifiers[level - 1];
    if (const auto* frame = std::get_if<m::Frame>(&modifier)) {
        const Size child = sizeOf(node, level - 1, {rect.width, rect.height}, environment);
        const double x = rect.x + (rect.width - child.width) * placement(frame->alignment.horizontal);
        const double y = rect.y + (rect.height - child.height) * placement(frame->alignment.vertical);
        return put(node, level - 1, {x, y, child.width, child.height}, environment, out);
    }
    if (const auto* padding = std::get_if<m::Padding>(&modifier)) {
        const double l = (padding->edges & views::edge::leading) ? padding->length : 0;
        const double r = (padding->edges & views::edge::trailing) ? padding->length : 0;
        const double t = (padding->edges & views::edge::top) ? padding->length : 0;
        const double b = (padding->edges & views::edge::bottom) ? padding->length : 0;
        return put(node, level - 1,
                   {rect.x + l, rect.y + t, std::max(0.0, rect.width - l - r), std::max(0.0, rect.height - t - b)},
                   environment, out);
    }
    if (const auto* fixed = std::get_if<m::FixedSize>(&modifier)) {
        // The ideal length even where less was offered: the content overflows rather than being cut.
        const Size ideal = sizeOf(node, level - 1,
                                  {fixed->horizontal ? std::nullopt : std::optional(rect.width),
                                   fixed->vertical ? std::nullopt : std::optional(rect.height)},
                                  environment);
        return put(node, level - 1,
                   {rect.x, rect.y, fixed->horizontal ? ideal.width : rect.width,
                    fixed->vertical ? ideal.height : rect.height},
                   environment, out);
    }
    put(node, level - 1, rect, applied(modifier, environment), out);
}

void Layout::putContent(const Node& node, Rect rect, const Environment& environment, Placed& out) const {
    out.node = &node;
    out.frame = rect;
    out.environment = environment;
    if (node.kind == Node::Kind::list) return putRows(out);
    if (node.kind != Node::Kind::vstack && node.kind != Node::Kind::hstack && node.kind != Node::Kind::zstack) return;

    std::vector<Size> sizes;
    stackSize(node, {rect.width, rect.height}, environment, &sizes);
    const auto children = views::arrangedChildren(node);
    const Axis axis = axisOf(node);
    Environment inner = environment;
    inner.stackAxis = axis;
    const double spacing = node.spacing.value_or(defaultSpacing);
    double cursor = axis == Axis::vertical ? rect.y : rect.x;
    for (std::size_t i = 0; i < children.size(); ++i) {
        const Size s = sizes[i];
        Rect child{0, 0, s.width, s.height};
        if (axis == Axis::vertical) {
            child.x = rect.x + (rect.width - s.width) * placement(node.alignment.horizontal);
            child.y = cursor;
            cursor += s.height + spacing;
        } else if (axis == Axis::horizontal) {
            child.x = cursor;
            child.y = rect.y + (rect.height - s.height) * placement(node.alignment.vertical);
            cursor += s.width + spacing;
        } else {
            child.x = rect.x + (rect.width - s.width) * placement(node.alignment.horizontal);
            child.y = rect.y + (rect.height - s.height) * placement(node.alignment.vertical);
        }
        out.children.emplace_back();
        put(*children[i], children[i]->modifiers.size(), child, inner, out.children.back());
    }
}

void Layout::scroll(Placed& list, double offset) const {
    list.scrolled = offset;
    putRows(list);
}

// The rows top down from the list's top, moved up by how far it is scrolled.
// Of lazy rows only those that reach into the frame, and the one above for
// the line between them, are built and placed: all are as high as the first,
// so finding them costs nothing.
void Layout::putRows(Placed& list) const {
    const Rect& frame = list.frame;
    Environment inner = list.environment;
    inner.stackAxis = Axis::vertical;
    const auto putRow = [&](const Node& row, double y, double height, Placed& placed) {
        put(row, row.modifiers.size(), {frame.x, y, frame.width, height}, inner, placed);
    };
    list.children.clear();
    const double top = frame.y - list.scrolled;
    double y = top;
    for (const Node& child : list.node->children) {
        if (child.kind != Node::Kind::lazyRows) {
            const double height = sizeOf(child, child.modifiers.size(), {frame.width, std::nullopt}, inner).height;
            putRow(child, y, height, list.children.emplace_back());
            y += height;
            continue;
        }
        const double height = lazyRowHeight(child, frame.width, inner);
        const auto count = static_cast<double>(child.rowCount);
        const auto rowAt = [&](double at) { return std::clamp(std::floor((at - y) / height), 0.0, count); };
        if (height > 0) {
            for (double i = std::max(0.0, rowAt(frame.y) - 1); i < count && i <= rowAt(frame.maxY()); ++i) {
                Placed& placed = list.children.emplace_back();
                placed.built = std::make_shared<const Node>(child.row(static_cast<std::size_t>(i)));
                putRow(*placed.built, y + i * height, height, placed);
            }
        }
        y += count * height;
    }
    list.rowsHeight = y - top;
}

double Layout::lazyRowHeight(const Node& rows, std::optional<double> width, const Environment& environment) const {
    if (rows.rowCount == 0) return 0;
    const Node first = rows.row(0);
    return sizeOf(first, first.modifiers.size(), {width, std::nullopt}, environment).height;
}

}  // namespace qm::cairo
