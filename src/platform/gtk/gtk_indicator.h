#pragma once

#include <gtk/gtk.h>
#include <libayatana-appindicator/app-indicator.h>

#include <string>

namespace qm::gtk {

// What an indicator does when no StatusNotifier host shows it: it asks for an
// XEmbed tray icon (a reference of its own), and lets go of it when a host
// turns up.
class IndicatorFallback {
public:
    virtual ~IndicatorFallback() = default;
    virtual GtkStatusIcon* fallBack() = 0;
    virtual void fallBackNoMore() = 0;
};

// An application indicator that falls back to fallback's icon instead of the
// library's own, which renames its tray window while a tray embeds it. The
// library may keep the indicator a while after its last owner lets go, so
// the owner detaches (nullptr) before it does.
AppIndicator* newIndicator(const std::string& id, IndicatorFallback* fallback);
void setIndicatorFallback(AppIndicator* indicator, IndicatorFallback* fallback);

}  // namespace qm::gtk
