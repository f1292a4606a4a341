#include "platform/cairo/list_scrolls.h"

#include <algorithm>
#include <functional>

namespace qm::cairo {

namespace {

using views::Node;

bool isList(const Placed& placed) {
    return placed.node && placed.node->kind == Node::Kind::list;
}

double farthestOffset(const Placed& list) {
    return std::max(0.0, list.rowsHeight - list.frame.height);
}

// Calls visit for every list of the tree, outer lists before the lists in their rows, with the list's key.
template <typename P>
void forEachList(P& placed, const std::string& path, const std::function<void(P&, const std::string&)>& visit) {
    if (isList(placed)) visit(placed, placed.node->identifier.empty() ? path : "#" + placed.node->identifier);
    for (std::size_t i = 0; i < placed.children.size(); ++i)
        forEachList(placed.children[i], path + "/" + std::to_string(i), visit);
}

}  // namespace

void ListScrolls::applyTo(Placed& page, const Layout& layout) const {
    forEachList<Placed>(page, "", [&](Placed& list, const std::string& key) {
        const auto offset = offsets_.find(key);
        const double wanted = offset == offsets_.end() ? 0 : std::clamp(offset->second, 0.0, farthestOffset(list));
        if (wanted != list.scrolled) layout.scroll(list, wanted);
    });
}

bool ListScrolls::scroll(const Placed& page, platform::Point p, double delta) {
    const Placed* under = nullptr;
    std::string key;
    forEachList<const Placed>(page, "", [&](const Placed& list, const std::string& listKey) {
        if (!platform::rectContainsPoint(list.frame, p)) return;
        under = &list;
        key = listKey;
    });
    if (!under) return false;
    // From where the list is shown: it may have lost rows since it was last scrolled.
    const double farthest = farthestOffset(*under);
    double& offset = offsets_[key];
    offset = std::clamp(std::min(offset, farthest) + delta, 0.0, farthest);
    return true;
}

}  // namespace qm::cairo
