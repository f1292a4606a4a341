#pragma once

#include <gio/gio.h>

#include <functional>
#include <memory>
#include <stdexcept>
#include <string>

namespace qm::desktop {

// Another instance of the program runs; it has been asked to show itself,
// and this one has nothing left to do.
class AlreadyRunning : public std::runtime_error {
public:
    AlreadyRunning() : std::runtime_error("Quillmere is already running; it shows its settings") {}
};

// The program's name on the session bus, held through GApplication's
// registration: the first instance holds it, and a later launch finds it held,
// asks the holder to activate and throws AlreadyRunning. The holder takes the
// activation as the user's wish to reach it. Without a session bus nobody is
// found, and the caller looks elsewhere.
class SingleInstance {
public:
    SingleInstance(const std::string& applicationId, std::function<void()> onActivate);
    SingleInstance(const SingleInstance&) = delete;
    SingleInstance& operator=(const SingleInstance&) = delete;

private:
    struct Unref {
        void operator()(GApplication* application) const { g_object_unref(application); }
    };
    static void activated(GApplication*, gpointer self);

    std::function<void()> onActivate_;
    std::unique_ptr<GApplication, Unref> application_;
};

}  // namespace qm::desktop
