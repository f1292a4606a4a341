#pragma once

#include <glib.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <set>
#include <vector>

#include "platform/run_loop.h"

namespace qm::desktop {

using ModeSet = std::set<platform::RunLoopMode>;

// The modes a run-loop source was added in; the source's owner asks the run
// loop whether it is live before it delivers anything.
struct SourceModes {
    ModeSet modes;
};

class GLibRunLoopSource : public platform::RunLoopSource {
public:
    explicit GLibRunLoopSource(std::shared_ptr<SourceModes> modes) : modes_(std::move(modes)) {}
    ~GLibRunLoopSource() override { modes_->modes.clear(); }
    SourceModes& modes() { return *modes_; }
    const std::shared_ptr<SourceModes>& shared() const { return modes_; }

private:
    std::shared_ptr<SourceModes> modes_;
};

// The main run loop over GLib's default main context, which GTK runs too. Its
// timers count whole microseconds of the monotonic clock and fire at their
// start plus whole intervals, so they never drift; one that falls behind
// skips the fires it missed. A timer or source runs only while the loop is in
// one of the modes it was added in, so a default-mode timer waits while a
// modal alert has the loop in the modal mode.
class GLibRunLoop : public platform::RunLoop {
public:
    GLibRunLoop();
    ~GLibRunLoop() override;
    GLibRunLoop(const GLibRunLoop&) = delete;
    GLibRunLoop& operator=(const GLibRunLoop&) = delete;

    std::unique_ptr<platform::Timer> makeTimer(double interval, bool repeats, std::function<void()> block) override;
    void addTimer(platform::Timer& timer, platform::RunLoopMode mode) override;
    std::unique_ptr<platform::Timer> scheduledTimer(double interval, bool repeats,
                                                    std::function<void()> block) override;
    void addSource(platform::RunLoopSource& source, platform::RunLoopMode mode) override;
    void removeSource(platform::RunLoopSource& source, platform::RunLoopMode mode) override;

    // A modal alert switches the loop into its mode while it runs, and back.
    void setMode(platform::RunLoopMode mode);
    platform::RunLoopMode mode() const { return mode_; }
    bool isLive(const ModeSet& modes) const;
    // A source for a tap, added in no mode yet.
    static std::unique_ptr<GLibRunLoopSource> makeSource();

private:
    struct TimerState;
    class GLibTimer;
    struct Wakeup;

    static gboolean dispatch(GSource* source, GSourceFunc, gpointer);
    void fireDueTimers();
    void schedule();

    platform::RunLoopMode mode_ = platform::RunLoopMode::defaultMode;
    std::vector<std::shared_ptr<TimerState>> timers_;
    GSource* wakeup_;
};

}  // namespace qm::desktop
