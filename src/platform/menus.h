#pragma once

#include <functional>
#include <memory>
#include <string>
#include <string_view>

// The status bar, its items, menus and the images they show.
namespace qm::platform {

class MenuItem;

// What a menu item's action is sent to, with the action's selector name.
class ActionTarget {
public:
    virtual ~ActionTarget() = default;
    virtual void performAction(std::string_view selector, MenuItem& sender) = 0;
};

enum class ControlState { off = 0, on = 1 };

class MenuItem {
public:
    virtual ~MenuItem() = default;
    virtual void setTitle(const std::string& title) = 0;
    virtual void setTarget(ActionTarget* target) = 0;
    virtual void setState(ControlState state) = 0;
    virtual void setEnabled(bool enabled) = 0;
};

class Menu;

class MenuDelegate {
public:
    virtual ~MenuDelegate() = default;
    virtual void menuWillOpen(Menu& menu) = 0;
};

// A menu owns its items; the references it hands out live as long as it does.
class Menu {
public:
    virtual ~Menu() = default;
    virtual MenuItem& addItem(const std::string& title, const std::string& action,
                              const std::string& keyEquivalent) = 0;
    virtual void addSeparator() = 0;
    virtual void setDelegate(MenuDelegate* delegate) = 0;
    // Off, so that the enabled flags the program sets are the ones shown.
    virtual void setAutoenablesItems(bool autoenables) = 0;
};

class Image {
public:
    virtual ~Image() = default;
    virtual void setTemplate(bool isTemplate) = 0;
    virtual void setSize(double width, double height) = 0;
};

class StatusBarButton {
public:
    virtual ~StatusBarButton() = default;
    virtual void setImage(std::unique_ptr<Image> image) = 0;
    virtual Image* image() = 0;
};

class StatusItem {
public:
    virtual ~StatusItem() = default;
    // Absent when the status bar gives the item no button.
    virtual StatusBarButton* button() = 0;
    virtual void setMenu(std::unique_ptr<Menu> menu) = 0;
    // Called once, from the run loop, should the desktop turn out to have no
    // place to show the item at start; it shows up if one appears later. A
    // Mac's menu bar is always there.
    virtual void setOnUnseen(std::function<void()>) {}
};

inline constexpr double variableStatusItemLength = -1;

class StatusBar {
public:
    virtual ~StatusBar() = default;
    virtual std::unique_ptr<StatusItem> statusItemWithLength(double length) = 0;
    virtual std::unique_ptr<Menu> makeMenu() = 0;
    // An image of the application's resources, if it has one of that name.
    virtual std::unique_ptr<Image> imageNamed(const std::string& name) = 0;
    virtual std::unique_ptr<Image> systemSymbolImage(const std::string& name,
                                                     const std::string& accessibilityDescription) = 0;
};

}  // namespace qm::platform
