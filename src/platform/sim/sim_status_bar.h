#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/menus.h"
#include "platform/sim/context.h"

namespace qm::sim {

class SimMenuItem : public platform::MenuItem {
public:
    SimMenuItem(std::string title, std::string action, std::string keyEquivalent, bool separator)
        : title_(std::move(title)), action_(std::move(action)), key_(std::move(keyEquivalent)), separator_(separator) {}

    void setTitle(const std::string& title) override { title_ = title; }
    void setTarget(platform::ActionTarget* target) override { target_ = target; }
    void setState(platform::ControlState state) override { state_ = state; }
    void setEnabled(bool enabled) override { enabled_ = enabled; }

    const std::string& title() const { return title_; }
    const std::string& action() const { return action_; }
    const std::string& keyEquivalent() const { return key_; }
    platform::ActionTarget* target() const { return target_; }
    platform::ControlState state() const { return state_; }
    bool isEnabled() const { return enabled_; }
    bool isSeparator() const { return separator_; }

private:
    std::string title_, action_, key_;
    bool separator_;
    platform::ActionTarget* target_ = nullptr;
    platform::ControlState state_ = platform::ControlState::off;
    bool enabled_ = true;
};

class SimMenu : public platform::Menu {
public:
    platform::MenuItem& addItem(const std::string& title, const std::string& action,
                                const std::string& keyEquivalent) override;
    void addSeparator() override;
    void setDelegate(platform::MenuDelegate* delegate) override { delegate_ = delegate; }
    void setAutoenablesItems(bool autoenables) override { autoenables_ = autoenables; }

    const std::vector<std::unique_ptr<SimMenuItem>>& items() const { return items_; }
    platform::MenuDelegate* delegate() const { return delegate_; }
    bool autoenablesItems() const { return autoenables_; }
    // What AppKit does before a menu shows: with automatic enabling on, an
    // item is enabled when its target handles its action, whatever the
    // program set (every target here handles the actions it is given).
    void validateItems();

private:
    std::vector<std::unique_ptr<SimMenuItem>> items_;
    platform::MenuDelegate* delegate_ = nullptr;
    bool autoenables_ = true;
};

class SimImage : public platform::Image {
public:
    SimImage(std::string name, bool symbol) : name_(std::move(name)), symbol_(symbol) {}
    void setTemplate(bool isTemplate) override { template_ = isTemplate; }
    void setSize(double width, double height) override { size_ = {width, height}; }

    const std::string& name() const { return name_; }
    bool isSymbol() const { return symbol_; }
    bool isTemplate() const { return template_; }
    std::optional<std::pair<double, double>> size() const { return size_; }

private:
    std::string name_;
    bool symbol_;
    bool template_ = false;
    std::optional<std::pair<double, double>> size_;
};

class SimStatusBarButton : public platform::StatusBarButton {
public:
    void setImage(std::unique_ptr<platform::Image> image) override { image_ = std::move(image); }
    platform::Image* image() override { return image_.get(); }

private:
    std::unique_ptr<platform::Image> image_;
};

class SimStatusBar;

class SimStatusItem : public platform::StatusItem {
public:
    SimStatusItem(SimStatusBar& bar, bool hasButton);
    ~SimStatusItem() override;
    platform::StatusBarButton* button() override { return button_ ? &*button_ : nullptr; }
    void setMenu(std::unique_ptr<platform::Menu> menu) override;
    SimMenu* menu() const { return menu_.get(); }

private:
    SimStatusBar& bar_;
    std::optional<SimStatusBarButton> button_;
    std::unique_ptr<SimMenu> menu_;
};

// The menu bar's status area, with the images the application's resources hold.
class SimStatusBar : public platform::StatusBar {
public:
    explicit SimStatusBar(Context& context) : context_(context) {}

    std::unique_ptr<platform::StatusItem> statusItemWithLength(double length) override;
    std::unique_ptr<platform::Menu> makeMenu() override { return std::make_unique<SimMenu>(); }
    std::unique_ptr<platform::Image> imageNamed(const std::string& name) override;
    std::unique_ptr<platform::Image> systemSymbolImage(const std::string& name, const std::string&) override {
        return std::make_unique<SimImage>(name, true);
    }

    // The user clicks the status item: its menu opens, and with an action the
    // item of that action is chosen (a disabled item cannot be). False when
    // there is no menu or no item for the action.
    bool open(const std::string& action);
    SimStatusItem* item() const { return items_.empty() ? nullptr : items_.front(); }
    void setHasMenuBarIcon(bool has) { hasMenuBarIcon_ = has; }

private:
    friend class SimStatusItem;
    Context& context_;
    std::vector<SimStatusItem*> items_;
    bool hasMenuBarIcon_ = true;
};

}  // namespace qm::sim
