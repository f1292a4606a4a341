#include "exclusions/exclusion_manager.h"

#include <algorithm>
#include <vector>

namespace qm {

BundleIDSet ExclusionManager::storedSet() const {
    const auto stored = userList();
    return BundleIDSet(stored.begin(), stored.end());
}

bool ExclusionManager::toggle(const std::string& id) {
    BundleIDSet stored = storedSet();
    if (!stored.erase(id)) stored.insert(id);
    // Sorted so that the stored array does not depend on hashing.
    std::vector<std::string> sorted(stored.begin(), stored.end());
    std::sort(sorted.begin(), sorted.end());
    store(sorted);
    return isExcluded(id);
}

std::vector<std::string> ExclusionManager::userList() const {
    // A missing or malformed value reads as empty; the next toggle rewrites it.
    return defaults_.stringArrayForKey(key_).value_or(std::vector<std::string>{});
}

void ExclusionManager::remove(const std::string& id) {
    std::vector<std::string> stored = userList();
    if (std::erase(stored, id) > 0) store(stored);
}

void ExclusionManager::store(const std::vector<std::string>& ids) {
    defaults_.setObject(platform::Value::Array(ids.begin(), ids.end()), key_);
}

// Asked at every press: a look along the stored list, nothing built from it.
bool ExclusionManager::isExcluded(const std::string& id) const {
    return kDefaultExcludedBundleIDs(identifiers_).contains(id) || defaults_.stringArrayContains(key_, id);
}

}  // namespace qm
