#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/geometry.h"
#include "platform/views/node.h"

namespace qm::cairo {

namespace views = platform::views;

struct Size {
    double width = 0;
    double height = 0;
};

// What a node is given to lay out in: a length per axis, or nothing for "as
// large as you like to be".
struct Proposal {
    std::optional<double> width;
    std::optional<double> height;
};

enum class Axis { none, horizontal, vertical };

// What modifiers hand down to the content below them.
struct Environment {
    views::Font font;
    views::ShapeStyle foreground;
    std::optional<views::ShapeStyle> fill;
    double opacity = 1;
    views::ControlSize controlSize = views::ControlSize::regular;
    bool isDefaultButton = false;
    Axis stackAxis = Axis::none;  // the axis of the stack the node is in
};

// Measures text as it will be drawn, wrapped to a width when one is given.
class TextMeasure {
public:
    virtual ~TextMeasure() = default;
    virtual Size measure(const std::string& text, const views::Font& font, std::optional<double> width) const = 0;
};

// A node with the frame it was given (page coordinates, y down).
struct Placed {
    const views::Node* node = nullptr;
    platform::Rect frame;
    Environment environment;
    std::vector<Placed> children;
    // A list's: how far its rows have been moved up, scrolled, and the height
    // of all of them, in sight or not.
    double scrolled = 0;
    double rowsHeight = 0;
    // A lazy row's node, built for this layout: node points to it.
    std::shared_ptr<const views::Node> built;
};

// Lays a tree out the way the system's declarative views do, closely enough
// for pictures and for checking that nothing is cut: stacks give their least
// flexible children their size first, text wraps to the width it is given and
// always gets its whole height. A list's rows take its whole width, top down;
// its own rows are all there, those beyond its frame out of sight, as in a
// scrolled list, while of its lazy rows only those in sight are built, each
// as high as the first.
class Layout {
public:
    explicit Layout(const TextMeasure& measure) : measure_(measure) {}
    Placed place(const views::Node& root, Size page) const;
    // Places a list's rows again, moved up by offset: the lazy rows that come
    // into sight are built, those that leave it dropped.
    void scroll(Placed& list, double offset) const;
    // The size a node takes when offered proposal.
    Size sizeThatFits(const views::Node& node, Proposal proposal) const;

    static double fontSize(const views::Font& font);

private:
    Size sizeOf(const views::Node& node, std::size_t level, Proposal proposal, Environment environment) const;
    Size contentSize(const views::Node& node, Proposal proposal, const Environment& environment) const;
    Size stackSize(const views::Node& node, Proposal proposal, const Environment& environment,
                   std::vector<Size>* childSizes) const;
    void put(const views::Node& node, std::size_t level, platform::Rect rect, Environment environment,
             Placed& out) const;
    void putContent(const views::Node& node, platform::Rect rect, const Environment& environment, Placed& out) const;
    void putRows(Placed& list) const;
    double lazyRowHeight(const views::Node& rows, std::optional<double> width, const Environment& environment) const;

    const TextMeasure& measure_;
};

}  // namespace qm::cairo
