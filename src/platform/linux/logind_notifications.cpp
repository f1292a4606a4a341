#include "platform/linux/logind_notifications.h"

#include <string>

namespace qm::desktop {

namespace {

class NoSubscription : public platform::NotificationSubscription {};

// One signal subscription on the bus, ended with the object.
class WakeSubscription : public platform::NotificationSubscription {
public:
    WakeSubscription(GDBusConnection* bus, std::function<void()> block) : bus_(bus), block_(std::move(block)) {
        g_object_ref(bus_);
        id_ = g_dbus_connection_signal_subscribe(bus_, "org.freedesktop.login1", "org.freedesktop.login1.Manager",
                                                 "PrepareForSleep", "/org/freedesktop/login1", nullptr,
                                                 G_DBUS_SIGNAL_FLAGS_NONE, &WakeSubscription::signal, this, nullptr);
    }
    ~WakeSubscription() override {
        g_dbus_connection_signal_unsubscribe(bus_, id_);
        g_object_unref(bus_);
    }
    WakeSubscription(const WakeSubscription&) = delete;
    WakeSubscription& operator=(const WakeSubscription&) = delete;

private:
    static void signal(GDBusConnection*, const gchar*, const gchar*, const gchar*, const gchar*, GVariant* parameters,
                       gpointer self) {
        gboolean goingToSleep = TRUE;
        if (g_variant_is_of_type(parameters, G_VARIANT_TYPE("(b)"))) g_variant_get(parameters, "(b)", &goingToSleep);
        if (!goingToSleep) static_cast<WakeSubscription*>(self)->block_();
    }

    GDBusConnection* bus_;
    std::function<void()> block_;
    guint id_ = 0;
};

}  // namespace

LogindNotifications::LogindNotifications(platform::SystemLog& log) {
    GError* error = nullptr;
    systemBus_ = g_bus_get_sync(G_BUS_TYPE_SYSTEM, nullptr, &error);
    if (systemBus_) return;
    log.log(std::string("Quillmere: no system bus (") + (error ? error->message : "unknown error") +
            "); waking from sleep is noticed by the watchdog instead");
    g_clear_error(&error);
}

LogindNotifications::~LogindNotifications() {
    if (systemBus_) g_object_unref(systemBus_);
}

std::unique_ptr<platform::NotificationSubscription> LogindNotifications::observe(
    platform::SystemNotification notification, std::function<void()> block) {
    if (notification != platform::SystemNotification::didWake || !systemBus_) return std::make_unique<NoSubscription>();
    return std::make_unique<WakeSubscription>(systemBus_, std::move(block));
}

}  // namespace qm::desktop
