#include "platform/gtk/gtk_indicator.h"

namespace qm::gtk {

namespace {

struct QuillmereIndicator {
    AppIndicator parent;
    IndicatorFallback* fallback;
};

struct QuillmereIndicatorClass {
    AppIndicatorClass parent;
};

G_DEFINE_TYPE(QuillmereIndicator, quillmere_indicator, APP_INDICATOR_TYPE)

QuillmereIndicator* ours(AppIndicator* indicator) {
    return G_TYPE_CHECK_INSTANCE_CAST(indicator, quillmere_indicator_get_type(), QuillmereIndicator);
}

GtkStatusIcon* fallBack(AppIndicator* indicator) {
    IndicatorFallback* fallback = ours(indicator)->fallback;
    return fallback ? fallback->fallBack() : nullptr;
}

void fallBackNoMore(AppIndicator* indicator, GtkStatusIcon* icon) {
    if (IndicatorFallback* fallback = ours(indicator)->fallback) fallback->fallBackNoMore();
    if (icon) g_object_unref(icon);
}

void quillmere_indicator_init(QuillmereIndicator* self) {
    self->fallback = nullptr;
}

void quillmere_indicator_class_init(QuillmereIndicatorClass* klass) {
    klass->parent.fallback = fallBack;
    klass->parent.unfallback = fallBackNoMore;
}

}  // namespace

AppIndicator* newIndicator(const std::string& id, IndicatorFallback* fallback) {
    auto* indicator = APP_INDICATOR(g_object_new(quillmere_indicator_get_type(), "id", id.c_str(), "category",
                                                 "ApplicationStatus", "icon-name", "", nullptr));
    setIndicatorFallback(indicator, fallback);
    return indicator;
}

void setIndicatorFallback(AppIndicator* indicator, IndicatorFallback* fallback) {
    ours(indicator)->fallback = fallback;
}

}  // namespace qm::gtk
