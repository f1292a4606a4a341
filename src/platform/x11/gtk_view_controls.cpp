#include "platform/x11/gtk_view_controls.h"

#include "platform/cairo/cairo_paths.h"

namespace qm::x11 {

using platform::views::Node;

namespace {

bool contains(const platform::Rect& frame, platform::Point p) {
    return p.x >= frame.x && p.x < frame.x + frame.width && p.y >= frame.y && p.y < frame.y + frame.height;
}

// A push button: it acts when the button comes up over it, as buttons do, so
// a press can still be taken back by moving off it.
class ButtonControl : public ViewControl {
public:
    ButtonControl(const cairo::Placed& placed, platform::views::ViewHost& host)
        : button_(*placed.node), frame_(placed.frame), host_(host) {}

    void release(platform::Point p) override {
        if (contains(frame_, p)) host_.press(button_);
    }

    void paintHeld(cairo_t* cr) const override {
        cairo::roundedRect(cr, frame_, 6);
        cairo_set_source_rgba(cr, 0, 0, 0, 0.15);
        cairo_fill(cr);
    }

private:
    const Node& button_;  // of the host's tree, which no press replaces before its release
    platform::Rect frame_;
    platform::views::ViewHost& host_;
};

// The control for a node of a kind the user works; a new kind is a new case.
std::unique_ptr<ViewControl> makeControl(const cairo::Placed& placed, platform::views::ViewHost& host) {
    switch (placed.node->kind) {
        case Node::Kind::button: return std::make_unique<ButtonControl>(placed, host);
        default: return nullptr;
    }
}

}  // namespace

// Front to back: the last node painted is the one on top. A child may reach
// outside its parent (a text at its ideal height), so no branch is skipped.
std::unique_ptr<ViewControl> controlAt(const cairo::Placed& page, platform::Point p, platform::views::ViewHost& host) {
    for (auto child = page.children.rbegin(); child != page.children.rend(); ++child)
        if (auto control = controlAt(*child, p, host)) return control;
    return page.node && contains(page.frame, p) ? makeControl(page, host) : nullptr;
}

}  // namespace qm::x11
