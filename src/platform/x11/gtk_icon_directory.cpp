#include "platform/x11/gtk_icon_directory.h"

#include <glib.h>
#include <glib/gstdio.h>

namespace qm::x11 {

GtkIconDirectory::GtkIconDirectory() {
    gchar* made = g_dir_make_tmp("quillmere-icons-XXXXXX", nullptr);
    if (made) path_ = made;
    g_free(made);
}

GtkIconDirectory::~GtkIconDirectory() {
    if (path_.empty()) return;
    for (int i = 1; i <= count_; ++i) g_unlink(fileFor("quillmere-" + std::to_string(i)).c_str());
    g_rmdir(path_.c_str());
}

std::string GtkIconDirectory::nextName() {
    return "quillmere-" + std::to_string(++count_);
}

}  // namespace qm::x11
