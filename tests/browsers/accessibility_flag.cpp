#include "accessibility_flag.h"

#include <gio/gio.h>

#include <memory>
#include <stdexcept>

namespace qm::browsertest {

namespace {

struct Unref {
    void operator()(gpointer object) const { g_object_unref(object); }
};

// The bus starts the accessibility bus on the first call, which takes a while on a busy machine.
constexpr int callTimeoutMs = 60000;

std::string takeMessage(GError* error) {
    const std::string message = error ? error->message : "no answer";
    if (error) g_error_free(error);
    return message;
}

}  // namespace

void switchAccessibilityOn(const std::string& busAddress) {
    GError* error = nullptr;
    const std::unique_ptr<GDBusConnection, Unref> bus(g_dbus_connection_new_for_address_sync(
        busAddress.c_str(),
        static_cast<GDBusConnectionFlags>(G_DBUS_CONNECTION_FLAGS_AUTHENTICATION_CLIENT |
                                          G_DBUS_CONNECTION_FLAGS_MESSAGE_BUS_CONNECTION),
        nullptr, nullptr, &error));
    if (!bus) throw std::runtime_error("cannot reach the session bus: " + takeMessage(error));
    GVariant* reply = g_dbus_connection_call_sync(
        bus.get(), "org.a11y.Bus", "/org/a11y/bus", "org.freedesktop.DBus.Properties", "Set",
        g_variant_new("(ssv)", "org.a11y.Status", "IsEnabled", g_variant_new_boolean(TRUE)), nullptr,
        G_DBUS_CALL_FLAGS_NONE, callTimeoutMs, nullptr, &error);
    if (!reply) throw std::runtime_error("the accessibility bus did not take the flag: " + takeMessage(error));
    g_variant_unref(reply);
}

}  // namespace qm::browsertest
