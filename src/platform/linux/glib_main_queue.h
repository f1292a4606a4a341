#pragma once

#include <glib.h>

#include <deque>
#include <functional>

#include "platform/main_queue.h"

namespace qm::desktop {

// Blocks run on a later turn of GLib's main context, in the order they came.
// Blocks still waiting when the queue goes are dropped with it.
class GLibMainQueue : public platform::MainQueue {
public:
    GLibMainQueue() = default;
    ~GLibMainQueue() override;
    GLibMainQueue(const GLibMainQueue&) = delete;
    GLibMainQueue& operator=(const GLibMainQueue&) = delete;

    void async(std::function<void()> block) override;

private:
    static gboolean runPending(gpointer self);

    std::deque<std::function<void()>> pending_;
    guint idle_ = 0;
};

}  // namespace qm::desktop
