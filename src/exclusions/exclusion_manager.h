#pragma once

#include <string>
#include <vector>

#include "exclusions/bundle_id_sets.h"
#include "platform/user_defaults.h"

namespace qm {

// The applications in which middle clicks keep their ordinary meaning: the
// built-in defaults united with the user's list in the user defaults. Nothing
// is cached, so a change written by another process counts at the next query.
class ExclusionManager {
public:
    ExclusionManager(platform::UserDefaults& defaults, platform::AppIdentifierKind identifiers)
        : defaults_(defaults), identifiers_(identifiers) {}

    // Flips id in the user's list and answers whether it is excluded afterwards.
    bool toggle(const std::string& id);
    bool isExcluded(const std::string& id) const;
    // The user's own list as stored, in its order, whatever it repeats; empty
    // when what is stored is not a list of strings.
    std::vector<std::string> userList() const;
    // Takes id off the user's list, every time it is there, and leaves the
    // rest as it is; a list without it is not written.
    void remove(const std::string& id);

private:
    BundleIDSet storedSet() const;
    void store(const std::vector<std::string>& ids);

    const std::string key_ = "excludedBundleIDs";
    platform::UserDefaults& defaults_;
    const platform::AppIdentifierKind identifiers_;
};

}  // namespace qm
