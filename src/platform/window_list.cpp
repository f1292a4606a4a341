#include "platform/window_list.h"

namespace qm::platform {

std::optional<Rect> rectFromDictionary(const Value& dictionary) {
    const auto component = [&](std::string_view key) -> std::optional<double> {
        const Value* v = dictionary.find(key);
        return v ? v->number() : std::nullopt;
    };
    const auto x = component("X"), y = component("Y");
    const auto w = component("Width"), h = component("Height");
    if (!x || !y || !w || !h) return std::nullopt;
    return Rect{*x, *y, *w, *h};
}

Value dictionaryFromRect(const Rect& rect) {
    return Value::Dictionary{{"X", rect.x}, {"Y", rect.y}, {"Width", rect.width}, {"Height", rect.height}};
}

}  // namespace qm::platform
