#pragma once

#include <map>
#include <string>
#include <vector>

#include "platform/sim/context.h"
#include "platform/user_defaults.h"

namespace qm::sim {

// The user defaults as a plain store of raw values.
class SimUserDefaults : public platform::UserDefaults {
public:
    explicit SimUserDefaults(Context& context) : context_(context) {}

    std::optional<std::vector<std::string>> stringArrayForKey(std::string_view key) const override;
    bool stringArrayContains(std::string_view key, std::string_view string) const override;
    bool boolForKey(std::string_view key) const override;
    void setObject(const platform::Value& value, std::string_view key) override;
    void setBool(bool value, std::string_view key) override;
    std::optional<platform::Value> objectForKey(std::string_view key) const override;
    void removeObject(std::string_view key) override;

    // Writes or (with null) removes a raw value, as another process might.
    void put(std::string_view key, platform::Value value);
    const platform::Value* get(std::string_view key) const;

private:
    Context& context_;
    // Keyed for lookup, so that writing many keys costs n log n.
    std::map<std::string, platform::Value, std::less<>> store_;
};

}  // namespace qm::sim
