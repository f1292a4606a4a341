#pragma once

#include <X11/extensions/XInput2.h>
#include <glib.h>

#include <memory>
#include <optional>
#include <vector>

#include "platform/events.h"
#include "platform/linux/glib_run_loop.h"
#include "platform/x11/x11_connection.h"
#include "platform/x11/x11_event.h"
#include "platform/x11/x11_grabs.h"
#include "platform/x11/x11_posting.h"
#include "platform/x11/x11_screens.h"

namespace qm::x11 {

// Event taps over the grabs. A tap whose mask holds the other-button press
// holds the trigger button; one whose mask holds the key press holds Escape;
// one that needs every click holds the whole pointer. What the grabs bring is
// turned into Quartz events and passed to the live taps, newest first, and a
// frozen press or key is replayed or let go by their verdict.
//
// A release is never replayed: when its press was consumed, nobody else saw
// the press, so the release is kept from everyone too; and the whole pointer
// is let go only once no button is down, or the release of the click that
// ended a locked session would reach an application that never saw its press.
class X11EventServices : public platform::EventServices, public EventHandler {
public:
    X11EventServices(Connection& connection, desktop::GLibRunLoop& runLoop, const X11Screens& screens, Grabs& grabs,
                     Posting& posting);
    ~X11EventServices() override;
    X11EventServices(const X11EventServices&) = delete;
    X11EventServices& operator=(const X11EventServices&) = delete;

    std::unique_ptr<platform::EventTap> tapCreate(platform::TapLocation location, platform::TapPlacement placement,
                                                  platform::TapOptions options, platform::EventMask mask,
                                                  platform::TapCallback callback, void* userInfo) override;
    std::unique_ptr<platform::EventSource> createSource(platform::EventSourceState state) override;
    std::unique_ptr<platform::Event> create(const platform::EventSource* source) override;
    std::unique_ptr<platform::Event> createMouseEvent(const platform::EventSource* source, platform::EventType type,
                                                      platform::Point location, platform::MouseButton button) override;
    std::unique_ptr<platform::Event> createScrollWheelEvent2(const platform::EventSource* source,
                                                             platform::ScrollUnit unit, uint32_t wheelCount,
                                                             int32_t wheel1, int32_t wheel2, int32_t wheel3) override;
    void post(platform::TapLocation location, platform::Event& event) override;
    void postToPid(int32_t pid, platform::Event& event) override;

    void handle(XEvent& event) override;

    // Before the process stops: a session ends, as when the system switches
    // the taps off, and every grab is let go, so that nobody's input waits
    // for a stopped program. Once it continues, the grabs are taken again.
    void suspend();
    void resume();

private:
    struct TapState;
    class X11Tap;

    bool wants(platform::EventType type, bool needsEveryClick) const;
    void updateGrabs();
    void grabPointer();
    void releasePointer();
    bool buttonEventsWaiting() const;
    void noticeLostClicks();
    static gboolean sendNotices(gpointer self);
    bool deliver(platform::EventType type, X11Event& event);
    void onButton(const XIDeviceEvent& event, bool press);
    void onKey(const XIDeviceEvent& event);

    Connection& connection_;
    desktop::GLibRunLoop& runLoop_;
    const X11Screens& screens_;
    Grabs& grabs_;
    Posting& posting_;
    std::vector<std::shared_ptr<TapState>> taps_;
    // The buttons down after the last pointer event a grab brought here.
    unsigned buttonsDown_ = 0;
    // While a button event a grab brought is handled, the pointer is frozen
    // where that event happened.
    std::optional<platform::Point> frozenAt_;
    bool suspended_ = false;
    guint notices_ = 0;
};

}  // namespace qm::x11
