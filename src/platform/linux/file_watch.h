#pragma once

#include <gio/gio.h>

#include <filesystem>
#include <functional>
#include <memory>
#include <vector>

namespace qm::desktop {

// Calls back from GLib's main loop after any of some files may have changed:
// written and closed, replaced, moved, removed or given other permissions.
// A file being written is waited for until it is closed. The files need not
// exist, nor their folders.
class FileWatch {
public:
    explicit FileWatch(std::function<void()> changed) : changed_(std::move(changed)) {}
    FileWatch(const FileWatch&) = delete;
    FileWatch& operator=(const FileWatch&) = delete;

    // Watches these files from now on, and no others; also from within the callback.
    void watch(const std::vector<std::filesystem::path>& files);

private:
    struct Unref {
        void operator()(GFileMonitor* monitor) const;
    };
    using Monitor = std::unique_ptr<GFileMonitor, Unref>;

    static void onEvent(GFileMonitor*, GFile*, GFile*, GFileMonitorEvent event, gpointer self);

    std::function<void()> changed_;
    std::vector<std::filesystem::path> files_;
    std::vector<Monitor> monitors_;
};

}  // namespace qm::desktop
