#pragma once

#include <algorithm>
#include <cmath>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "exclusions/bundle_id_sets.h"
#include "exclusions/exclusion_manager.h"
#include "fuzz_check.h"
#include "platform/json/json_values.h"
#include "platform/sim/sim_user_defaults.h"
#include "platform/sim/world.h"
#include "platform/stored_values.h"
#include "settings/settings.h"

namespace qm::fuzz {

namespace stored_values_detail {

inline constexpr const char* kExcludedKey = "excludedBundleIDs";
inline constexpr const char* kOnboardedKey = "didShowOnboarding";

// The documented reading of a string as a boolean, written apart from the reader.
inline bool readsTrue(std::string_view text) {
    const auto start = text.find_first_not_of(" \t\n\v\f\r");
    if (start == std::string_view::npos) return false;
    text.remove_prefix(start);
    if (text.starts_with('+') || text.starts_with('-')) text.remove_prefix(1);
    const auto first = text.find_first_not_of('0');
    if (first == std::string_view::npos) return false;
    const char c = text[first];
    return c == 'Y' || c == 'y' || c == 'T' || c == 't' || (c >= '1' && c <= '9');
}

// The readers do not recurse, but the conversion to a value does; depth beyond
// this would test only the stack of the conversion.
inline bool shallow(std::string_view text) {
    return json::nestingDepth(text) <= 64;
}

// Any input is a stored value: JSON when it parses, otherwise the text as a string.
inline json::ParsedJson storedJson(std::string_view data) {
    if (shallow(data)) {
        json::ParsedJson json = json::ParsedJson::parse(data.begin(), data.end(), nullptr, false);
        if (!json.is_discarded()) return json;
    }
    return json::ParsedJson(std::string(data));
}

// What the stored list must read as: its strings when it is an array of strings.
inline std::optional<std::set<std::string>> readableIDs(const json::ParsedJson& json) {
    if (!json.is_array()) return std::nullopt;
    std::set<std::string> ids;
    for (const auto& element : json) {
        if (!element.is_string()) return std::nullopt;
        ids.insert(element.get<std::string>());
    }
    return ids;
}

inline bool expectedBool(const json::ParsedJson& json) {
    if (json.is_boolean()) return json.get<bool>();
    if (json.is_number_float()) return json.get<double>() != 0;
    if (json.is_number()) return json != 0;
    if (json.is_string()) return readsTrue(json.get<std::string>());
    return false;
}

// A number setting: a finite number, clamped to its range; anything else the default.
inline double expectedNumber(const json::Json& json, double fallback, double least, double most) {
    if (!json.is_number() || !std::isfinite(json.get<double>())) return fallback;
    return std::clamp(json.get<double>(), least, most);
}

inline int expectedTrigger(const json::Json& json) {
    if (!json.is_number()) return 2;
    const double button = json.get<double>();
    return button == 3 || button == 4 ? static_cast<int>(button) : 2;
}

// The stored list after a write: an array of distinct strings, in order.
inline std::set<std::string> writtenIDs(const sim::SimUserDefaults& defaults) {
    const platform::Value* stored = defaults.get(kExcludedKey);
    const auto* array = stored ? stored->asArray() : nullptr;
    check(array != nullptr, "a toggle leaves an array");
    std::set<std::string> ids;
    const std::string* previous = nullptr;
    for (const platform::Value& element : *array) {
        const std::string* id = element.asString();
        check(id != nullptr, "a toggle leaves only strings");
        check(!previous || *previous < *id, "a toggle leaves distinct strings in order");
        ids.insert(*id);
        previous = id;
    }
    return ids;
}

inline bool excludedByDefault(const std::string& id) {
    return kDefaultExcludedBundleIDs(platform::AppIdentifierKind::bundleIdentifier).contains(id);
}

}  // namespace stored_values_detail

// Whatever another process stored under the two keys: the readers answer with
// their documented fallbacks, and toggling an identifier on and off again
// leaves a well-formed list holding what was readable before.
inline void checkStoredValuesInput(std::string_view data) {
    using namespace stored_values_detail;
    check(platform::stringBoolValue(data) == readsTrue(data), "a string reads as a boolean as documented");

    const json::ParsedJson json = storedJson(data);
    const platform::Value value = json::toValue(json);
    const bool onboarded = expectedBool(json);
    const std::optional<std::set<std::string>> readable = readableIDs(json);
    const std::set<std::string> before = readable.value_or(std::set<std::string>{});

    sim::World world;
    sim::SimUserDefaults& defaults = world.defaults();
    defaults.put(kExcludedKey, value);
    defaults.put(kOnboardedKey, value);

    const auto ids = defaults.stringArrayForKey(kExcludedKey);
    check(ids.has_value() == readable.has_value(), "only an array of strings reads as a list");
    if (ids) check(std::set<std::string>(ids->begin(), ids->end()) == *readable, "the list reads as stored");
    check(defaults.boolForKey(kOnboardedKey) == onboarded, "a stored value reads as a boolean as documented");

    ExclusionManager manager(defaults, platform::AppIdentifierKind::bundleIdentifier);
    std::vector<std::string> probes{"com.example.Fuzzed", "com.vmware.fusion", std::string(data)};
    if (!before.empty()) probes.push_back(*before.begin());
    if (const auto* array = value.asArray(); array && !array->empty())
        if (const auto* first = array->front().asString()) probes.push_back(*first);
    for (const auto& id : probes)
        check(manager.isExcluded(id) == (excludedByDefault(id) || before.contains(id)),
              "an identifier counts when a default or in a readable list");

    const std::string& id = probes.back();
    std::set<std::string> flipped = before;
    if (!flipped.erase(id)) flipped.insert(id);
    const bool excluded = manager.toggle(id);
    check(writtenIDs(defaults) == flipped, "a toggle flips one identifier of what was readable");
    check(excluded == (excludedByDefault(id) || flipped.contains(id)), "a toggle answers whether it is excluded");
    check(manager.isExcluded(id) == excluded, "a toggle's answer holds afterwards");

    manager.toggle(id);
    check(writtenIDs(defaults) == before, "a second toggle restores what was readable");
    check(defaults.boolForKey(kOnboardedKey) == onboarded, "a toggle leaves other keys alone");

    for (const auto key : settings_key::all) defaults.put(key, value);
    const Settings settings = Settings::read(defaults);
    const bool flag = json.is_boolean() && json.get<bool>();
    check(settings.scrollSpeed == expectedNumber(json, 1, 0.25, 4), "a stored speed reads as documented");
    check(settings.deadZone == expectedNumber(json, 10, 0, 40), "a stored dead zone reads as documented");
    check(settings.triggerButton == expectedTrigger(json), "a stored trigger button reads as documented");
    check(settings.invertScrolling == flag && settings.verticalOnly == flag && settings.smoothScrolling == flag,
          "a stored flag counts only as a boolean");
    const platform::Value* kept = defaults.get(settings_key::scrollSpeed);
    check((kept ? *kept : platform::Value()) == value, "reading the settings rewrites nothing");
}

}  // namespace qm::fuzz
