#include "x11/gtk_tray_host.h"

#include <stdexcept>

#include "x11/desktop.h"

namespace qm::x11test {

namespace {

const char* const watcherXml = R"(
<node>
  <interface name="org.kde.StatusNotifierWatcher">
    <method name="RegisterStatusNotifierItem"><arg name="service" type="s" direction="in"/></method>
    <method name="RegisterStatusNotifierHost"><arg name="service" type="s" direction="in"/></method>
    <property name="RegisteredStatusNotifierItems" type="as" access="read"/>
    <property name="IsStatusNotifierHostRegistered" type="b" access="read"/>
    <property name="ProtocolVersion" type="i" access="read"/>
    <signal name="StatusNotifierItemRegistered"><arg type="s"/></signal>
    <signal name="StatusNotifierItemUnregistered"><arg type="s"/></signal>
    <signal name="StatusNotifierHostRegistered"/>
  </interface>
</node>)";

void methodCalled(GDBusConnection*, const gchar* sender, const gchar*, const gchar*, const gchar* method,
                  GVariant* parameters, GDBusMethodInvocation* invocation, gpointer self) {
    if (g_strcmp0(method, "RegisterStatusNotifierItem") == 0) {
        const gchar* service = nullptr;
        g_variant_get(parameters, "(&s)", &service);
        static_cast<TrayHost*>(self)->registered(sender, service);
    }
    g_dbus_method_invocation_return_value(invocation, nullptr);
}

GVariant* propertyRead(GDBusConnection*, const gchar*, const gchar*, const gchar*, const gchar* name, GError**,
                       gpointer) {
    if (g_strcmp0(name, "IsStatusNotifierHostRegistered") == 0) return g_variant_new_boolean(TRUE);
    if (g_strcmp0(name, "ProtocolVersion") == 0) return g_variant_new_int32(0);
    return g_variant_new_strv(nullptr, 0);
}

const GDBusInterfaceVTable watcherTable{methodCalled, propertyRead, nullptr, {}};

std::string stringOf(GVariant* properties, const char* key) {
    const gchar* value = nullptr;
    return g_variant_lookup(properties, key, "&s", &value) ? value : "";
}

// A label as a panel shows it: an underscore marks the mnemonic and two stand for one.
std::string shown(const std::string& label) {
    std::string text;
    for (std::size_t i = 0; i < label.size(); ++i) {
        if (label[i] != '_') {
            text += label[i];
        } else if (i + 1 < label.size() && label[i + 1] == '_') {
            text += '_';
            ++i;
        }
    }
    return text;
}

MenuEntry entryOf(GVariant* layout) {
    MenuEntry entry;
    GVariant* properties = nullptr;
    g_variant_get(layout, "(i@a{sv}@av)", &entry.id, &properties, nullptr);
    entry.label = shown(stringOf(properties, "label"));
    entry.separator = stringOf(properties, "type") == "separator";
    gboolean enabled = TRUE;
    if (g_variant_lookup(properties, "enabled", "b", &enabled)) entry.enabled = enabled;
    entry.checkable = stringOf(properties, "toggle-type") == "checkmark";
    gint32 state = 0;
    if (g_variant_lookup(properties, "toggle-state", "i", &state)) entry.checked = state == 1;
    gboolean visible = TRUE;
    if (g_variant_lookup(properties, "visible", "b", &visible)) entry.visible = visible;
    if (GVariant* shortcut = g_variant_lookup_value(properties, "shortcut", nullptr)) {
        entry.hasShortcut = true;
        g_variant_unref(shortcut);
    }
    g_variant_unref(properties);
    return entry;
}

}  // namespace

TrayHost::TrayHost() : bus_(g_bus_get_sync(G_BUS_TYPE_SESSION, nullptr, nullptr)) {
    if (!bus_) throw std::runtime_error("no session bus");
    GDBusNodeInfo* node = g_dbus_node_info_new_for_xml(watcherXml, nullptr);
    object_ = g_dbus_connection_register_object(bus_, "/StatusNotifierWatcher", node->interfaces[0], &watcherTable,
                                                this, nullptr, nullptr);
    g_dbus_node_info_unref(node);
    owner_ = g_bus_own_name_on_connection(
        bus_, "org.kde.StatusNotifierWatcher", G_BUS_NAME_OWNER_FLAGS_NONE,
        [](GDBusConnection*, const gchar*, gpointer self) { static_cast<TrayHost*>(self)->owned_ = true; }, nullptr,
        this, nullptr);
    if (!waitFor([this] { return owned_; })) throw std::runtime_error("the watcher's name was not granted");
}

TrayHost::~TrayHost() {
    g_bus_unown_name(owner_);
    g_dbus_connection_unregister_object(bus_, object_);
    g_object_unref(bus_);
}

void TrayHost::registered(const std::string& sender, const std::string& service) {
    itemBus_ = service.rfind('/', 0) == 0 ? sender : service;
    itemPath_ = service.rfind('/', 0) == 0 ? service : "/StatusNotifierItem";
}

bool TrayHost::hasItem() {
    return waitFor([this] { return !itemBus_.empty(); });
}

GVariant* TrayHost::call(const std::string& path, const std::string& interface, const std::string& method,
                         GVariant* parameters) {
    struct Reply {
        bool done = false;
        GVariant* value = nullptr;
    } reply;
    g_dbus_connection_call(
        bus_, itemBus_.c_str(), path.c_str(), interface.c_str(), method.c_str(), parameters, nullptr,
        G_DBUS_CALL_FLAGS_NONE, 10000, nullptr,
        [](GObject* source, GAsyncResult* result, gpointer data) {
            auto* r = static_cast<Reply*>(data);
            GError* error = nullptr;
            r->value = g_dbus_connection_call_finish(G_DBUS_CONNECTION(source), result, &error);
            if (error) {
                g_printerr("tray host: %s\n", error->message);
                g_error_free(error);
            }
            r->done = true;
        },
        &reply);
    waitFor([&] { return reply.done; });
    return reply.value;
}

std::string TrayHost::property(const std::string& name) {
    GVariant* reply = call(itemPath_, "org.freedesktop.DBus.Properties", "Get",
                           g_variant_new("(ss)", "org.kde.StatusNotifierItem", name.c_str()));
    if (!reply) return "";
    GVariant* value = nullptr;
    g_variant_get(reply, "(v)", &value);
    std::string text =
        g_variant_is_of_type(value, G_VARIANT_TYPE_STRING) || g_variant_is_of_type(value, G_VARIANT_TYPE_OBJECT_PATH)
            ? g_variant_get_string(value, nullptr)
            : "";
    g_variant_unref(value);
    g_variant_unref(reply);
    return text;
}

std::vector<MenuEntry> TrayHost::menu() {
    std::vector<MenuEntry> entries;
    const std::string path = property("Menu");
    if (path.empty()) return entries;
    GVariant* reply = call(path, "com.canonical.dbusmenu", "GetLayout",
                           g_variant_new("(ii@as)", 0, 1, g_variant_new_strv(nullptr, 0)));
    if (!reply) return entries;
    GVariant* children = nullptr;
    g_variant_get(reply, "(u(ia{sv}@av))", nullptr, nullptr, nullptr, &children);
    GVariantIter iter;
    g_variant_iter_init(&iter, children);
    while (GVariant* child = g_variant_iter_next_value(&iter)) {
        GVariant* layout = g_variant_get_variant(child);
        const MenuEntry entry = entryOf(layout);
        if (entry.visible) entries.push_back(entry);
        g_variant_unref(layout);
        g_variant_unref(child);
    }
    g_variant_unref(children);
    g_variant_unref(reply);
    return entries;
}

std::optional<MenuEntry> TrayHost::entry(const std::string& label) {
    for (const auto& e : menu())
        if (e.label == label) return e;
    return std::nullopt;
}

bool TrayHost::click(const std::string& label) {
    std::optional<MenuEntry> found;
    if (!waitFor([&] { return (found = entry(label)).has_value(); })) return false;
    GVariant* reply = call(property("Menu"), "com.canonical.dbusmenu", "Event",
                           g_variant_new("(isvu)", found->id, "clicked", g_variant_new_int32(0), 0u));
    if (reply) g_variant_unref(reply);
    return true;
}

std::string TrayHost::iconFile() {
    const std::string base = property("IconThemePath") + "/" + property("IconName");
    return g_file_test((base + ".svg").c_str(), G_FILE_TEST_EXISTS) ? base + ".svg" : base + ".png";
}

}  // namespace qm::x11test
