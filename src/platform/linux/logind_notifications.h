#pragma once

#include <gio/gio.h>

#include <memory>

#include "platform/services.h"
#include "platform/system_notifications.h"

namespace qm::desktop {

// Waking from sleep as systemd-logind announces it on the system bus: its
// PrepareForSleep signal, with false, says the machine is up again. Without a
// system bus (a container, a bare X server) nothing is announced, which the
// log says once. A Linux desktop has no per-program accessibility permission,
// so that change is never announced.
class LogindNotifications : public platform::SystemNotifications {
public:
    explicit LogindNotifications(platform::SystemLog& log);
    ~LogindNotifications() override;
    LogindNotifications(const LogindNotifications&) = delete;
    LogindNotifications& operator=(const LogindNotifications&) = delete;

    std::unique_ptr<platform::NotificationSubscription> observe(platform::SystemNotification notification,
                                                                std::function<void()> block) override;

private:
    GDBusConnection* systemBus_ = nullptr;
};

}  // namespace qm::desktop
