#include "app/localized_text.h"

namespace qm {

std::string localizedText(const platform::Bundle& bundle, std::string_view key) {
    return bundle.localizedString(key, key);
}

std::string formatWithString(std::string_view format, std::string_view argument) {
    std::string text;
    bool substituted = false;
    for (std::size_t i = 0; i < format.size(); ++i) {
        if (format[i] != '%') {
            text += format[i];
            continue;
        }
        const std::string_view rest = format.substr(i);
        if (rest.starts_with("%%")) {
            text += '%';
            i += 1;
        } else if (!substituted && rest.starts_with("%@")) {
            text += argument;
            substituted = true;
            i += 1;
        } else if (!substituted && rest.starts_with("%1$@")) {
            text += argument;
            substituted = true;
            i += 3;
        } else {
            text += '%';
        }
    }
    return text;
}

}  // namespace qm
