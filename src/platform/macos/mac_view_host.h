#pragma once

#include <memory>

#include "platform/views/view.h"

@class NSView;

namespace qm::macos {

// Shows a declarative view with AppKit views: the evaluated tree becomes a
// page of stack views, labels and buttons, built afresh after every change.
class MacViewHost {
public:
    explicit MacViewHost(std::unique_ptr<platform::views::View> root);
    MacViewHost(const MacViewHost&) = delete;
    MacViewHost& operator=(const MacViewHost&) = delete;

    // Stays the same for the host's life; the page inside it is replaced.
    NSView* view() const { return view_; }

private:
    void rebuild();

    platform::views::ViewHost host_;
    NSView* view_;
    NSView* page_;
};

}  // namespace qm::macos
