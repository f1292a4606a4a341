#include "platform/linux/signal_watch.h"

#include <fcntl.h>
#include <glib-unix.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <stdexcept>

namespace qm::desktop {

namespace {

// A signal handler has nothing to go by but what is global: the pipe each
// watched signal is written to, as its descriptor plus one (0 for none).
std::atomic<int> pipeOf[NSIG];

void noteSignal(int signal) {
    const int saved = errno;
    const int fd = pipeOf[signal].load() - 1;
    const auto byte = static_cast<unsigned char>(signal);
    // A full pipe has the signal noted already.
    if (fd >= 0 && write(fd, &byte, 1) < 0) {
    }
    errno = saved;
}

}  // namespace

SignalWatch::SignalWatch(const std::vector<int>& signals, std::function<void(int)> onSignal)
    : onSignal_(std::move(onSignal)) {
    if (pipe2(pipe_, O_CLOEXEC | O_NONBLOCK) != 0) throw std::runtime_error("cannot make a pipe for signals");
    source_ = g_unix_fd_add(pipe_[0], G_IO_IN, &SignalWatch::readSignals, this);
    for (const int signal : signals) {
        pipeOf[signal] = pipe_[1] + 1;
        struct sigaction action {};
        action.sa_handler = &noteSignal;
        sigemptyset(&action.sa_mask);
        action.sa_flags = SA_RESTART;
        struct sigaction earlier {};
        sigaction(signal, &action, &earlier);
        earlier_.emplace_back(signal, earlier);
    }
}

SignalWatch::~SignalWatch() {
    for (const auto& [signal, earlier] : earlier_) {
        sigaction(signal, &earlier, nullptr);
        pipeOf[signal] = 0;
    }
    g_source_remove(source_);
    close(pipe_[0]);
    close(pipe_[1]);
}

gboolean SignalWatch::readSignals(gint fd, GIOCondition, gpointer self) {
    unsigned char signals[64];
    const ssize_t count = read(fd, signals, sizeof signals);
    for (ssize_t i = 0; i < count; ++i) static_cast<SignalWatch*>(self)->onSignal_(signals[i]);
    return G_SOURCE_CONTINUE;
}

}  // namespace qm::desktop
