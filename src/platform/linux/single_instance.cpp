#include "platform/linux/single_instance.h"

namespace qm::desktop {

SingleInstance::SingleInstance(const std::string& applicationId, std::function<void()> onActivate)
    : onActivate_(std::move(onActivate)),
      application_(g_application_new(applicationId.c_str(), G_APPLICATION_DEFAULT_FLAGS)) {
    g_signal_connect(application_.get(), "activate", G_CALLBACK(&SingleInstance::activated), this);
    GError* error = nullptr;
    // A bus that does not answer is no bus: the program runs on its own.
    if (!g_application_register(application_.get(), nullptr, &error)) {
        g_error_free(error);
        return;
    }
    if (!g_application_get_is_remote(application_.get())) return;
    g_application_activate(application_.get());
    // The request goes out before this process ends.
    g_dbus_connection_flush_sync(g_application_get_dbus_connection(application_.get()), nullptr, nullptr);
    throw AlreadyRunning();
}

void SingleInstance::activated(GApplication*, gpointer self) {
    static_cast<SingleInstance*>(self)->onActivate_();
}

}  // namespace qm::desktop
