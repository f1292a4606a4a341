#pragma once

#include "platform/user_defaults.h"

namespace qm::macos {

// The standard user defaults of this application.
class MacUserDefaults : public platform::UserDefaults {
public:
    std::optional<std::vector<std::string>> stringArrayForKey(std::string_view key) const override;
    bool boolForKey(std::string_view key) const override;
    void setObject(const platform::Value& value, std::string_view key) override;
    void setBool(bool value, std::string_view key) override;
    std::optional<platform::Value> objectForKey(std::string_view key) const override;
    void removeObject(std::string_view key) override;
};

}  // namespace qm::macos
