#include "platform/atspi/atspi_desktop_support.h"

#include <gio/gio.h>

#include "platform/gtk/gtk_object.h"

namespace qm::atspi {

namespace {

// The user is waiting for the button, not a grabbed pointer: a second is fair.
constexpr int busTimeoutMs = 1000;

bool setBusFlag() {
    const gtk::GObjectPtr<GDBusConnection> bus(g_bus_get_sync(G_BUS_TYPE_SESSION, nullptr, nullptr));
    if (!bus) return false;
    GError* error = nullptr;
    GVariant* reply = g_dbus_connection_call_sync(
        bus.get(), "org.a11y.Bus", "/org/a11y/bus", "org.freedesktop.DBus.Properties", "Set",
        g_variant_new("(ssv)", "org.a11y.Status", "IsEnabled", g_variant_new_boolean(TRUE)), nullptr,
        G_DBUS_CALL_FLAGS_NONE, busTimeoutMs, nullptr, &error);
    if (reply) g_variant_unref(reply);
    if (!error) return true;
    g_error_free(error);
    return false;
}

// GSettings ends the process on an unknown schema or key, so both are looked up first.
bool setToolkitSetting() {
    GSettingsSchemaSource* source = g_settings_schema_source_get_default();
    GSettingsSchema* schema =
        source ? g_settings_schema_source_lookup(source, "org.gnome.desktop.interface", TRUE) : nullptr;
    if (!schema) return false;
    const bool hasKey = g_settings_schema_has_key(schema, "toolkit-accessibility");
    g_settings_schema_unref(schema);
    if (!hasKey) return false;
    const gtk::GObjectPtr<GSettings> settings(g_settings_new("org.gnome.desktop.interface"));
    const bool set = g_settings_set_boolean(settings.get(), "toolkit-accessibility", TRUE);
    g_settings_sync();
    return set;
}

}  // namespace

bool enableDesktopAccessibility() {
    const bool flag = setBusFlag();
    const bool setting = setToolkitSetting();
    return flag || setting;
}

}  // namespace qm::atspi
