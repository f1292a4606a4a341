#pragma once

#include <string>

namespace qm::gtk {

// A private directory for the pictures a StatusNotifier host reads by name:
// tray-icons-PID in $XDG_RUNTIME_DIR/quillmere. It goes with everything in it
// when the holder does; one that a run left behind (killed, or crashed) goes
// when a later run finds its process gone. Each picture gets a name of its
// own, so that a host that caches pictures by name still shows a new one.
class GtkIconDirectory {
public:
    GtkIconDirectory();
    ~GtkIconDirectory();
    GtkIconDirectory(const GtkIconDirectory&) = delete;
    GtkIconDirectory& operator=(const GtkIconDirectory&) = delete;

    // Empty when the directory could not be made.
    const std::string& path() const { return path_; }
    // A fresh icon name, ending in suffix; its picture goes at fileFor(name, extension).
    std::string nextName(const std::string& suffix = "");
    std::string fileFor(const std::string& name, const std::string& extension = ".png") const {
        return path_ + "/" + name + extension;
    }

private:
    std::string path_;
    int count_ = 0;
};

}  // namespace qm::gtk
