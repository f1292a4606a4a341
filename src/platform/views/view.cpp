#include "platform/views/view.h"

#include <algorithm>
#include <cmath>
#include <optional>

namespace qm::platform::views {

int StateStore::value(std::string_view key, int initial) const {
    const auto it = values_.find(key);
    return it == values_.end() ? initial : it->second;
}

void StateStore::set(std::string_view key, int value) {
    values_.insert_or_assign(std::string(key), value);
    lastChangeAnimated_ = animating_;
}

void StateStore::withAnimation(const std::function<void()>& change) {
    animating_ = true;
    change();
    animating_ = false;
}

ViewHost::ViewHost(std::unique_ptr<View> root) : root_(std::move(root)), tree_(root_->body(state_)) {
    root_->invalidate_ = [this] { reevaluate(); };
}

ViewHost::~ViewHost() {
    *alive_ = false;
}

bool ViewHost::press(std::string_view identifier) {
    // A copy: a lazy row's button lasts only while the search looks at it.
    std::optional<Node> found;
    search(tree_, [&](const Node& node) {
        if (node.kind != Node::Kind::button || node.identifier != identifier) return false;
        found = node;
        return true;
    });
    return found && perform(&*found);
}

bool ViewHost::pressDefault() {
    const Node* found = nullptr;
    walk(tree_, [&](const Node& node) {
        if (!found && node.kind == Node::Kind::button && node.find<modifier::Shortcut>()) found = &node;
    });
    return perform(found);
}

bool ViewHost::perform(const Node* button) {
    if (!button || !button->action) return false;
    run(button->action);
    return true;
}

bool ViewHost::change(std::string_view identifier, double value) {
    std::optional<Node> found;
    search(tree_, [&](const Node& node) {
        const bool control =
            node.kind == Node::Kind::slider || node.kind == Node::Kind::toggle || node.kind == Node::Kind::picker;
        if (!control || node.identifier != identifier) return false;
        found = node;
        return true;
    });
    return found && change(*found, value);
}

bool ViewHost::change(const Node& control, double value) {
    if (!control.onChange || !std::isfinite(value)) return false;
    switch (control.kind) {
        case Node::Kind::slider: value = std::clamp(value, control.range.minimum, control.range.maximum); break;
        case Node::Kind::toggle:
            if (value != 0 && value != 1) return false;
            break;
        case Node::Kind::picker:
            if (std::none_of(control.options.begin(), control.options.end(),
                             [value](const Option& option) { return option.tag == value; }))
                return false;
            break;
        default: return false;
    }
    run([onChange = control.onChange, value] { onChange(value); });
    return true;
}

void ViewHost::run(const std::function<void()>& action) {
    // The action is copied out of the tree, which the next evaluation replaces.
    const auto copy = action;
    const auto alive = alive_;
    copy();
    if (*alive) reevaluate();
}

void ViewHost::reevaluate() {
    tree_ = root_->body(state_);
    if (onChange_) onChange_();
}

}  // namespace qm::platform::views
