#include "platform/linux/file_watch.h"

namespace qm::desktop {

void FileWatch::Unref::operator()(GFileMonitor* monitor) const {
    g_signal_handlers_disconnect_matched(monitor, G_SIGNAL_MATCH_FUNC, 0, 0, nullptr,
                                         reinterpret_cast<gpointer>(&FileWatch::onEvent), nullptr);
    g_file_monitor_cancel(monitor);
    g_object_unref(monitor);
}

void FileWatch::watch(const std::vector<std::filesystem::path>& files) {
    if (files == files_) return;
    files_ = files;
    // A monitor whose event is being told lives on until the telling ends.
    monitors_.clear();
    for (const auto& path : files) {
        GFile* file = g_file_new_for_path(path.c_str());
        // A file moved into place is one event, not a removal and a creation.
        GFileMonitor* monitor = g_file_monitor_file(file, G_FILE_MONITOR_WATCH_MOVES, nullptr, nullptr);
        g_object_unref(file);
        if (!monitor) continue;
        g_signal_connect(monitor, "changed", G_CALLBACK(&FileWatch::onEvent), this);
        monitors_.emplace_back(monitor);
    }
}

// A file still being written is read once its writer closes it, which the
// hint that its changes are done tells; it is never read half-written.
void FileWatch::onEvent(GFileMonitor*, GFile*, GFile*, GFileMonitorEvent event, gpointer self) {
    if (event == G_FILE_MONITOR_EVENT_CHANGED || event == G_FILE_MONITOR_EVENT_CREATED ||
        event == G_FILE_MONITOR_EVENT_PRE_UNMOUNT)
        return;
    static_cast<FileWatch*>(self)->changed_();
}

}  // namespace qm::desktop
