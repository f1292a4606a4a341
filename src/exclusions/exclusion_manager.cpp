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
    store(stored);
    return isExcluded(id);
}

std::vector<std::string> ExclusionManager::userList() const {
    const BundleIDSet stored = storedSet();
    std::vector<std::string> ids(stored.begin(), stored.end());
    std::sort(ids.begin(), ids.end());
    return ids;
}

void ExclusionManager::remove(const std::string& id) {
    BundleIDSet stored = storedSet();
    if (stored.erase(id)) store(stored);
}

void ExclusionManager::store(const BundleIDSet& ids) {
    // Sorted so that the stored array does not depend on hashing.
    std::vector<std::string> sorted(ids.begin(), ids.end());
    std::sort(sorted.begin(), sorted.end());
    defaults_.setObject(platform::Value::Array(sorted.begin(), sorted.end()), key_);
}

bool ExclusionManager::isExcluded(const std::string& id) const {
    return kDefaultExcludedBundleIDs(identifiers_).contains(id) || storedSet().contains(id);
}

}  // namespace qm
