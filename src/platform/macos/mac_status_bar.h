#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/menus.h"

@class NSImage, NSMenu, NSMenuItem, NSStatusBarButton, NSStatusItem;
@class QMMenuActionBridge, QMMenuDelegateAdapter;

namespace qm::macos {

class MacImage : public platform::Image {
public:
    explicit MacImage(NSImage* image) : image_(image) {}
    void setTemplate(bool isTemplate) override;
    void setSize(double width, double height) override;
    NSImage* nsImage() const { return image_; }

private:
    NSImage* image_;
};

class MacMenuItem : public platform::MenuItem {
public:
    MacMenuItem(const std::string& title, const std::string& action, const std::string& keyEquivalent);
    MacMenuItem(const MacMenuItem&) = delete;
    MacMenuItem& operator=(const MacMenuItem&) = delete;

    void setTitle(const std::string& title) override;
    void setTarget(platform::ActionTarget* target) override;
    void setState(platform::ControlState state) override;
    void setEnabled(bool enabled) override;
    NSMenuItem* nsItem() const { return item_; }

private:
    NSMenuItem* item_;
    // The menu item's target; NSMenuItem holds it weakly.
    QMMenuActionBridge* bridge_;
};

class MacMenu : public platform::Menu {
public:
    MacMenu();
    MacMenu(const MacMenu&) = delete;
    MacMenu& operator=(const MacMenu&) = delete;

    platform::MenuItem& addItem(const std::string& title, const std::string& action,
                                const std::string& keyEquivalent) override;
    void addSeparator() override;
    void setDelegate(platform::MenuDelegate* delegate) override;
    void setAutoenablesItems(bool autoenables) override;
    NSMenu* nsMenu() const { return menu_; }

private:
    NSMenu* menu_;
    // NSMenu holds its delegate weakly.
    QMMenuDelegateAdapter* delegate_;
    std::vector<std::unique_ptr<MacMenuItem>> items_;
};

// The status item's button, and the image it shows.
class MacStatusBarButton : public platform::StatusBarButton {
public:
    explicit MacStatusBarButton(NSStatusBarButton* button) : button_(button) {}
    void setImage(std::unique_ptr<platform::Image> image) override;
    platform::Image* image() override { return image_.get(); }

private:
    NSStatusBarButton* button_;
    std::unique_ptr<MacImage> image_;
};

// Owns its place in the status bar, and leaves it when destroyed.
class MacStatusItem : public platform::StatusItem {
public:
    explicit MacStatusItem(NSStatusItem* item);
    ~MacStatusItem() override;
    MacStatusItem(const MacStatusItem&) = delete;
    MacStatusItem& operator=(const MacStatusItem&) = delete;

    platform::StatusBarButton* button() override { return button_ ? &*button_ : nullptr; }
    void setMenu(std::unique_ptr<platform::Menu> menu) override;

private:
    NSStatusItem* item_;
    std::optional<MacStatusBarButton> button_;
    std::unique_ptr<MacMenu> menu_;
};

class MacStatusBar : public platform::StatusBar {
public:
    std::unique_ptr<platform::StatusItem> statusItemWithLength(double length) override;
    std::unique_ptr<platform::Menu> makeMenu() override;
    std::unique_ptr<platform::Image> imageNamed(const std::string& name) override;
    std::unique_ptr<platform::Image> systemSymbolImage(const std::string& name,
                                                       const std::string& accessibilityDescription) override;
};

}  // namespace qm::macos
