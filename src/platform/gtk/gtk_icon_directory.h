#pragma once

#include <string>

namespace qm::gtk {

// A private directory for the pictures the tray reads by name; it goes with
// everything in it when the holder does. Each picture gets a name of its own,
// so that a host that caches pictures by name still shows a new one.
//
// While it lives, the directory is also on the default icon theme's search
// path. When no host watches for status items, the indicator library falls
// back to a tray icon and first looks for its theme path in that list; a
// path that is not there yet makes it read past the end of the list, which
// can crash the program.
class GtkIconDirectory {
public:
    GtkIconDirectory();
    ~GtkIconDirectory();
    GtkIconDirectory(const GtkIconDirectory&) = delete;
    GtkIconDirectory& operator=(const GtkIconDirectory&) = delete;

    // Empty when the directory could not be made.
    const std::string& path() const { return path_; }
    // A fresh icon name; its picture goes at fileFor(name).
    std::string nextName();
    std::string fileFor(const std::string& name) const { return path_ + "/" + name + ".png"; }

private:
    std::string path_;
    int count_ = 0;
};

}  // namespace qm::gtk
