#include "platform/linux/glib_main_queue.h"

namespace qm::desktop {

GLibMainQueue::~GLibMainQueue() {
    if (idle_) g_source_remove(idle_);
}

void GLibMainQueue::async(std::function<void()> block) {
    pending_.push_back(std::move(block));
    if (!idle_) idle_ = g_idle_add(&GLibMainQueue::runPending, this);
}

// Only the blocks queued before this turn run now: one that queues another
// must not starve the rest of the main context.
gboolean GLibMainQueue::runPending(gpointer self) {
    auto& queue = *static_cast<GLibMainQueue*>(self);
    queue.idle_ = 0;
    auto turn = std::move(queue.pending_);
    queue.pending_.clear();
    for (auto& block : turn) block();
    return G_SOURCE_REMOVE;
}

}  // namespace qm::desktop
