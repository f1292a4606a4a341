#pragma once

#include <memory>
#include <string>

#include "platform/windows.h"

@class NSWindow;

namespace qm::macos {

class MacViewHost;

// Owns an NSWindow; destroying it takes the window off the screen.
class MacWindow : public platform::Window {
public:
    explicit MacWindow(NSWindow* window, std::unique_ptr<MacViewHost> host = nullptr);
    ~MacWindow() override;
    MacWindow(const MacWindow&) = delete;
    MacWindow& operator=(const MacWindow&) = delete;

    void setOpaque(bool opaque) override;
    void setBackgroundColor(const platform::Color& color) override;
    void setHasShadow(bool shadow) override;
    void setIgnoresMouseEvents(bool ignores) override;
    void setLevel(platform::WindowLevel level) override;
    void setCollectionBehavior(platform::CollectionBehavior behavior) override;
    void setContentView(std::unique_ptr<platform::View> view) override;
    void orderFrontRegardless() override;
    void orderOut() override;
    void setTitle(const std::string& title) override;
    void setStyleMask(platform::WindowStyleMask style) override;
    void setContentSize(double width, double height) override;
    void setReleasedWhenClosed(bool released) override;
    void center() override;
    void makeKeyAndOrderFront() override;
    void close() override;

private:
    NSWindow* window_;
    // The declarative view shown in a window made from one.
    std::unique_ptr<MacViewHost> host_;
};

class MacWindowServer : public platform::WindowServer {
public:
    std::unique_ptr<platform::Window> createWindow(const platform::Rect& contentRect, platform::WindowStyleMask style,
                                                   platform::BackingStore backing, bool defer) override;
    platform::WindowLevel windowLevelForKey(platform::WindowLevelKey key) const override;
    std::unique_ptr<platform::Window> windowWithRootView(std::unique_ptr<platform::views::View> root) override;
};

}  // namespace qm::macos
