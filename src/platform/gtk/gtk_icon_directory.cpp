#include "platform/gtk/gtk_icon_directory.h"

#include <glib.h>
#include <glib/gstdio.h>
#include <gtk/gtk.h>

#include <vector>

namespace qm::gtk {

namespace {

std::vector<std::string> searchPath(GtkIconTheme* theme) {
    gchar** paths = nullptr;
    gint count = 0;
    gtk_icon_theme_get_search_path(theme, &paths, &count);
    std::vector<std::string> result(paths, paths + count);
    g_strfreev(paths);
    return result;
}

void setSearchPath(GtkIconTheme* theme, const std::vector<std::string>& paths) {
    std::vector<const gchar*> strings;
    for (const auto& p : paths) strings.push_back(p.c_str());
    gtk_icon_theme_set_search_path(theme, strings.data(), static_cast<gint>(strings.size()));
}

}  // namespace

GtkIconDirectory::GtkIconDirectory() {
    gchar* made = g_dir_make_tmp("quillmere-icons-XXXXXX", nullptr);
    if (made) path_ = made;
    g_free(made);
    if (path_.empty()) return;
    if (GtkIconTheme* theme = gtk_icon_theme_get_default()) gtk_icon_theme_append_search_path(theme, path_.c_str());
}

GtkIconDirectory::~GtkIconDirectory() {
    if (path_.empty()) return;
    if (GtkIconTheme* theme = gtk_icon_theme_get_default()) {
        auto paths = searchPath(theme);
        std::erase(paths, path_);
        setSearchPath(theme, paths);
    }
    for (int i = 1; i <= count_; ++i) g_unlink(fileFor("quillmere-" + std::to_string(i)).c_str());
    g_rmdir(path_.c_str());
}

std::string GtkIconDirectory::nextName() {
    return "quillmere-" + std::to_string(++count_);
}

}  // namespace qm::gtk
