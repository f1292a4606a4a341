#include "platform/value.h"

#include <cmath>

namespace qm::platform {

std::optional<double> Value::number() const {
    if (const auto* i = asInteger()) return static_cast<double>(*i);
    if (const auto* d = asReal()) return *d;
    return std::nullopt;
}

std::optional<int64_t> Value::exactInteger() const {
    if (const auto* i = asInteger()) return *i;
    const auto* d = asReal();
    // 2^63 is the first double past the int64 range.
    if (!d || !std::isfinite(*d) || std::trunc(*d) != *d || std::fabs(*d) >= 9223372036854775808.0) return std::nullopt;
    return static_cast<int64_t>(*d);
}

const Value* Value::find(std::string_view key) const {
    const auto* dict = asDictionary();
    if (!dict) return nullptr;
    for (const auto& [k, v] : *dict)
        if (k == key) return &v;
    return nullptr;
}

}  // namespace qm::platform
