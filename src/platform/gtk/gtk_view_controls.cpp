#include "platform/gtk/gtk_view_controls.h"

#include <functional>
#include <optional>

#include "platform/cairo/cairo_paths.h"
#include "platform/cairo/view_painter.h"
#include "platform/gtk/gtk_picker_menu.h"

namespace qm::gtk {

using platform::views::Node;

namespace {

bool contains(const platform::Rect& frame, platform::Point p) {
    return p.x >= frame.x && p.x < frame.x + frame.width && p.y >= frame.y && p.y < frame.y + frame.height;
}

// A node worked by a click: it acts when the button comes up over it, as
// buttons do, so a press can still be taken back by moving off it.
class ClickControl : public ViewControl {
public:
    ClickControl(const platform::Rect& frame, double cornerRadius, std::function<void()> click)
        : frame_(frame), cornerRadius_(cornerRadius), click_(std::move(click)) {}

    void release(platform::Point p) override {
        if (contains(frame_, p)) click_();
    }

    void paintHeld(cairo_t* cr) const override {
        cairo::roundedRect(cr, frame_, cornerRadius_);
        cairo_set_source_rgba(cr, 0, 0, 0, 0.15);
        cairo_fill(cr);
    }

private:
    platform::Rect frame_;
    double cornerRadius_;
    std::function<void()> click_;
};

// A slider's knob follows the pointer from the press on: every value it passes
// is a change of the view, which shows it at once, and the last one stays.
class SliderControl : public ViewControl {
public:
    SliderControl(const cairo::Placed& placed, platform::views::ViewHost& host)
        : slider_(*placed.node), track_(cairo::sliderTrack(placed.frame)), host_(host) {}

    void drag(platform::Point p) override {
        const double fraction = track_.length > 0 ? (p.x - track_.start) / track_.length : 0;
        const double value = platform::views::valueAtFraction(slider_.range, fraction);
        if (value == shown_) return;
        shown_ = value;
        host_.change(slider_, value);
    }

    void release(platform::Point p) override { drag(p); }

private:
    Node slider_;  // a copy: every change replaces the host's tree
    cairo::SliderTrack track_;
    platform::views::ViewHost& host_;
    std::optional<double> shown_;
};

// The control for a node of a kind the user works; a new kind is a new case.
// Each keeps a copy of its node: the host's tree may be evaluated again while
// the button is held, and is after every change.
std::unique_ptr<ViewControl> makeControl(const cairo::Placed& placed, const ControlContext& context) {
    auto& host = context.host;
    switch (placed.node->kind) {
        case Node::Kind::button:
            return std::make_unique<ClickControl>(placed.frame, 6,
                                                  [&host, button = *placed.node] { host.press(button); });
        case Node::Kind::toggle:
            return std::make_unique<ClickControl>(
                placed.frame, 3, [&host, toggle = *placed.node] { host.change(toggle, toggle.value == 0 ? 1 : 0); });
        case Node::Kind::picker:
            return std::make_unique<ClickControl>(
                placed.frame, 6, [context, picker = *placed.node, frame = placed.frame] {
                    context.popUp = popUpPickerMenu(picker, frame, context.page, context.host);
                });
        case Node::Kind::slider: return std::make_unique<SliderControl>(placed, host);
        default: return nullptr;
    }
}

}  // namespace

// Front to back: the last node painted is the one on top. A child may reach
// outside its parent (a text at its ideal height), so no branch is skipped;
// but a list's rows beyond its frame are out of sight, and out of reach.
std::unique_ptr<ViewControl> controlAt(const cairo::Placed& page, platform::Point p, const ControlContext& context) {
    if (page.node && page.node->kind == Node::Kind::list && !contains(page.frame, p)) return nullptr;
    for (auto child = page.children.rbegin(); child != page.children.rend(); ++child)
        if (auto control = controlAt(*child, p, context)) return control;
    return page.node && contains(page.frame, p) ? makeControl(page, context) : nullptr;
}

}  // namespace qm::gtk
