#pragma once

#include <glib.h>
#include <signal.h>

#include <functional>
#include <vector>

namespace qm::desktop {

// Signals turned into events of GLib's main context: the handler only notes
// the signal, and the callback runs on a later turn of the loop, where the
// program may do whatever the signal asks. GLib's own watch takes none of the
// signals that stop a process, nor SIGQUIT. The signals' earlier handling
// comes back when the watch goes.
class SignalWatch {
public:
    SignalWatch(const std::vector<int>& signals, std::function<void(int)> onSignal);
    ~SignalWatch();
    SignalWatch(const SignalWatch&) = delete;
    SignalWatch& operator=(const SignalWatch&) = delete;

private:
    static gboolean readSignals(gint fd, GIOCondition, gpointer self);

    std::function<void(int)> onSignal_;
    std::vector<std::pair<int, struct sigaction>> earlier_;
    int pipe_[2] = {-1, -1};
    guint source_ = 0;
};

}  // namespace qm::desktop
