#include "platform/sim/sim_status_bar.h"

#include <algorithm>

namespace qm::sim {

platform::MenuItem& SimMenu::addItem(const std::string& title, const std::string& action,
                                     const std::string& keyEquivalent) {
    items_.push_back(std::make_unique<SimMenuItem>(title, action, keyEquivalent, false));
    return *items_.back();
}

void SimMenu::addSeparator() {
    items_.push_back(std::make_unique<SimMenuItem>("", "", "", true));
}

void SimMenu::validateItems() {
    if (!autoenables_) return;
    for (const auto& item : items_)
        if (!item->isSeparator()) item->setEnabled(item->target() != nullptr);
}

SimStatusItem::SimStatusItem(SimStatusBar& bar, bool hasButton) : bar_(bar) {
    if (hasButton) button_.emplace();
    bar_.items_.push_back(this);
}

SimStatusItem::~SimStatusItem() {
    std::erase(bar_.items_, this);
}

void SimStatusItem::setMenu(std::unique_ptr<platform::Menu> menu) {
    menu_.reset(static_cast<SimMenu*>(menu.release()));
}

std::unique_ptr<platform::StatusItem> SimStatusBar::statusItemWithLength(double) {
    return std::make_unique<SimStatusItem>(*this, true);
}

std::unique_ptr<platform::Image> SimStatusBar::imageNamed(const std::string& name) {
    if (name != "MenuBarIcon" || !hasMenuBarIcon_) return nullptr;
    return std::make_unique<SimImage>(name, false);
}

bool SimStatusBar::open(const std::string& action) {
    SimMenu* menu = item() ? item()->menu() : nullptr;
    if (!menu) return false;
    if (menu->delegate()) menu->delegate()->menuWillOpen(*menu);
    menu->validateItems();
    context_.observer->menuOpened(*menu);
    if (action == "open") return true;
    for (const auto& entry : menu->items()) {
        if (entry->isSeparator() || entry->action() != action) continue;
        if (entry->isEnabled() && entry->target()) entry->target()->performAction(action, *entry);
        return true;
    }
    return false;
}

}  // namespace qm::sim
