#pragma once

#include <algorithm>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/value.h"

// The standard user defaults. Stored values may be of any type; the typed
// readers answer as the system does for a value of the wrong type.
namespace qm::platform {

class UserDefaults {
public:
    virtual ~UserDefaults() = default;
    // Nothing when the key is absent or its value is not an array of strings.
    virtual std::optional<std::vector<std::string>> stringArrayForKey(std::string_view key) const = 0;
    // Whether the key's value is an array of strings that holds this one.
    // Asked at every press: a platform that can look without copying the
    // array does so.
    virtual bool stringArrayContains(std::string_view key, std::string_view string) const {
        const auto strings = stringArrayForKey(key);
        return strings && std::find(strings->begin(), strings->end(), string) != strings->end();
    }
    // False when the key is absent or its value does not read as a boolean.
    virtual bool boolForKey(std::string_view key) const = 0;
    virtual void setObject(const Value& value, std::string_view key) = 0;
    virtual void setBool(bool value, std::string_view key) = 0;
    // The stored value as it is, of whatever type; nothing when the key is absent.
    virtual std::optional<Value> objectForKey(std::string_view key) const = 0;
    virtual void removeObject(std::string_view key) = 0;
};

}  // namespace qm::platform
