#pragma once

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <string_view>

#include "platform/views/node.h"

namespace qm::platform::views {

// The state of a hosted view, kept by its host across evaluations.
class StateStore {
public:
    int value(std::string_view key, int initial) const;
    void set(std::string_view key, int value);
    // Runs change with the default animation: the changes it makes are animated.
    void withAnimation(const std::function<void()>& change);
    bool lastChangeAnimated() const { return lastChangeAnimated_; }

private:
    std::map<std::string, int, std::less<>> values_;
    bool animating_ = false;
    bool lastChangeAnimated_ = false;
};

// A view: its content, described afresh from its state on every evaluation.
class View {
public:
    virtual ~View() = default;
    virtual Node body(StateStore& state) = 0;
    // Asks the host to evaluate the view again, for a change it could not see:
    // one made outside the view to what its body reads.
    void invalidate() {
        if (invalidate_) invalidate_();
    }

private:
    friend class ViewHost;
    std::function<void()> invalidate_;
};

// Evaluates a view, keeps its state and performs its buttons' actions; a
// platform's host shows the evaluated tree.
class ViewHost {
public:
    explicit ViewHost(std::unique_ptr<View> root);
    ~ViewHost();
    ViewHost(const ViewHost&) = delete;
    ViewHost& operator=(const ViewHost&) = delete;

    const Node& tree() const { return tree_; }
    StateStore& state() { return state_; }
    // Presses the button with this identifier, in lazy rows too; false when
    // there is none.
    bool press(std::string_view identifier);
    // Presses this button of the current tree; false when it has no action.
    bool press(const Node& button) { return perform(&button); }
    // Return: presses the button that is the default action; false when there
    // is none. The page's own: lazy rows are not built to look for one.
    bool pressDefault();
    // Sets the slider, toggle or picker with this identifier (in lazy rows too) as the user would:
    // a slider's value is kept within its range, a toggle takes 0 or 1, a
    // picker one of its tags. False when there is no such control or it
    // cannot take the value.
    bool change(std::string_view identifier, double value);
    // The same for this control, which may be a copy kept from an earlier
    // evaluation: it changes as it did when it was made.
    bool change(const Node& control, double value);
    // Told after every evaluation that follows an action.
    void setOnChange(std::function<void()> onChange) { onChange_ = std::move(onChange); }

private:
    bool perform(const Node* button);
    // Runs an action of the tree, then evaluates the view again.
    void run(const std::function<void()>& action);
    void reevaluate();

    std::unique_ptr<View> root_;
    StateStore state_;
    Node tree_;
    std::function<void()> onChange_;
    // An action may end the host itself (a finished window is dropped).
    std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};

}  // namespace qm::platform::views
