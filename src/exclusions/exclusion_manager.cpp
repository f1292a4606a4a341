#include "exclusions/exclusion_manager.h"

#include <algorithm>
#include <vector>

namespace qm {

BundleIDSet ExclusionManager::storedSet() const {
    // A missing or malformed value reads as empty; the next toggle rewrites it.
    const auto stored = defaults_.stringArrayForKey(key_);
    return stored ? BundleIDSet(stored->begin(), stored->end()) : BundleIDSet{};
}

bool ExclusionManager::toggle(const std::string& id) {
    BundleIDSet stored = storedSet();
    if (!stored.erase(id)) stored.insert(id);

    // Sorted so that the stored array does not depend on hashing.
    std::vector<std::string> ids(stored.begin(), stored.end());
    std::sort(ids.begin(), ids.end());
    defaults_.setObject(platform::Value::Array(ids.begin(), ids.end()), key_);
    return isExcluded(id);
}

bool ExclusionManager::isExcluded(const std::string& id) const {
    return kDefaultExcludedBundleIDs(identifiers_).contains(id) || storedSet().contains(id);
}

}  // namespace qm
