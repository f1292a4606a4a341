#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/accessibility.h"
#include "platform/alerts.h"
#include "platform/menus.h"
#include "platform/views/view.h"
#include "platform/windows.h"

// Stand-ins for the tray item, the alerts, the view windows and accessibility
// until their GTK and AT-SPI versions join the assembly.
namespace qm::x11::interim {

class InterimMenuItem : public platform::MenuItem {
public:
    void setTitle(const std::string&) override {}
    void setTarget(platform::ActionTarget*) override {}
    void setState(platform::ControlState) override {}
    void setEnabled(bool) override {}
};

class InterimMenu : public platform::Menu {
public:
    platform::MenuItem& addItem(const std::string&, const std::string&, const std::string&) override {
        return *items_.emplace_back(std::make_unique<InterimMenuItem>());
    }
    void addSeparator() override {}
    void setDelegate(platform::MenuDelegate*) override {}
    void setAutoenablesItems(bool) override {}

private:
    std::vector<std::unique_ptr<InterimMenuItem>> items_;
};

class InterimStatusItem : public platform::StatusItem {
public:
    platform::StatusBarButton* button() override { return nullptr; }
    void setMenu(std::unique_ptr<platform::Menu> menu) override { menu_ = std::move(menu); }

private:
    std::unique_ptr<platform::Menu> menu_;
};

// No tray item: its menu is kept and never shown.
class InterimStatusBar : public platform::StatusBar {
public:
    std::unique_ptr<platform::StatusItem> statusItemWithLength(double) override {
        return std::make_unique<InterimStatusItem>();
    }
    std::unique_ptr<platform::Menu> makeMenu() override { return std::make_unique<InterimMenu>(); }
    std::unique_ptr<platform::Image> imageNamed(const std::string&) override { return nullptr; }
    std::unique_ptr<platform::Image> systemSymbolImage(const std::string&, const std::string&) override {
        return nullptr;
    }
};

// Every alert is answered with its second button.
class InterimAlerts : public platform::Alerts {
public:
    platform::ModalResponse runModal(const platform::AlertContent&) override {
        return platform::alertSecondButtonReturn;
    }
};

class InterimWindow : public platform::Window {
public:
    void setOpaque(bool) override {}
    void setBackgroundColor(const platform::Color&) override {}
    void setHasShadow(bool) override {}
    void setIgnoresMouseEvents(bool) override {}
    void setLevel(platform::WindowLevel) override {}
    void setCollectionBehavior(platform::CollectionBehavior) override {}
    void setContentView(std::unique_ptr<platform::View>) override {}
    void orderFrontRegardless() override {}
    void orderOut() override {}
    void setTitle(const std::string&) override {}
    void setStyleMask(platform::WindowStyleMask) override {}
    void setContentSize(double, double) override {}
    void setReleasedWhenClosed(bool) override {}
    void center() override {}
    void makeKeyAndOrderFront() override {}
    void close() override {}
};

// View windows that show nothing.
class InterimViewWindows {
public:
    std::unique_ptr<platform::Window> windowWithRootView(std::unique_ptr<platform::views::View>) {
        return std::make_unique<InterimWindow>();
    }
};

class InterimElement : public platform::AXElement {
public:
    platform::AXError setMessagingTimeout(float) override { return platform::ax_error::success; }
    platform::AXError copyElementAtPosition(float, float, std::unique_ptr<platform::AXElement>&) override {
        return platform::ax_error::noValue;
    }
    platform::AXError copyAttributeValue(std::string_view, platform::AXValue&) override {
        return platform::ax_error::noValue;
    }
};

// Trusted, with no element anywhere: no link is ever found.
class InterimAccessibility : public platform::Accessibility {
public:
    std::unique_ptr<platform::AXElement> createSystemWide() override { return std::make_unique<InterimElement>(); }
    bool isProcessTrusted(bool) override { return true; }
};

}  // namespace qm::x11::interim
