#include "platform/views/view.h"

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

ViewHost::ViewHost(std::unique_ptr<View> root) : root_(std::move(root)), tree_(root_->body(state_)) {}

ViewHost::~ViewHost() {
    *alive_ = false;
}

bool ViewHost::press(std::string_view identifier) {
    const Node* found = nullptr;
    walk(tree_, [&](const Node& node) {
        if (!found && node.kind == Node::Kind::button && node.identifier == identifier) found = &node;
    });
    return perform(found);
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
    // The action is copied out of the tree, which the next evaluation replaces.
    const auto action = button->action;
    const auto alive = alive_;
    action();
    if (!*alive) return true;
    tree_ = root_->body(state_);
    if (onChange_) onChange_();
    return true;
}

}  // namespace qm::platform::views
