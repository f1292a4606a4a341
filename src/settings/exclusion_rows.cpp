#include "settings/exclusion_rows.h"

#include <algorithm>
#include <cctype>

namespace qm {

namespace {

std::string lowercase(std::string text) {
    for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

}  // namespace

void ExclusionRows::update() {
    std::vector<std::string> stored = exclusions_.userList();
    if (seen_ && stored == *seen_) return;
    if (!seen_ || !followOneChange(*seen_, stored)) {
        const BundleIDSet& builtInSet = kDefaultExcludedBundleIDs(platform_.appIdentifiers);
        std::vector<std::string> own;
        std::copy_if(stored.begin(), stored.end(), std::back_inserter(own),
                     [&builtInSet](const std::string& id) { return !builtInSet.contains(id); });
        own_ = sorted(std::move(own));
        builtIn_ = sorted({builtInSet.begin(), builtInSet.end()});
    }
    seen_ = std::move(stored);
}

ExclusionRows::Row ExclusionRows::rowOf(const std::string& id) const {
    return {lowercase(platform_.workspace.applicationName(id).value_or(id)), id};
}

// By name, each once.
std::vector<std::string> ExclusionRows::sorted(std::vector<std::string> ids) const {
    std::vector<Row> rows;
    rows.reserve(ids.size());
    for (const auto& id : ids) rows.push_back(rowOf(id));
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    ids.clear();
    for (auto& row : rows) ids.push_back(std::move(row.id));
    return ids;
}

// Whether after is before with one entry put in or taken out anywhere; if so,
// the rows follow it in place.
bool ExclusionRows::followOneChange(const std::vector<std::string>& before, const std::vector<std::string>& after) {
    const bool added = after.size() == before.size() + 1;
    if (!added && after.size() + 1 != before.size()) return false;
    const auto& longer = added ? after : before;
    const auto& shorter = added ? before : after;
    const auto at = std::mismatch(shorter.begin(), shorter.end(), longer.begin()).first - shorter.begin();
    if (!std::equal(shorter.begin() + at, shorter.end(), longer.begin() + at + 1)) return false;
    const std::string& id = longer[static_cast<std::size_t>(at)];
    // A built-in entry, or one the list holds twice, keeps its row as it is.
    if (kDefaultExcludedBundleIDs(platform_.appIdentifiers).contains(id) ||
        std::find(shorter.begin(), shorter.end(), id) != shorter.end())
        return true;
    if (added)
        insert(id);
    else
        std::erase(own_, id);
    return true;
}

void ExclusionRows::insert(const std::string& id) {
    const auto place =
        std::lower_bound(own_.begin(), own_.end(), rowOf(id),
                         [this](const std::string& shown, const Row& row) { return rowOf(shown) < row; });
    own_.insert(place, id);
}

}  // namespace qm
