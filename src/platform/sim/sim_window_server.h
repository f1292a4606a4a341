#pragma once

#include <list>
#include <memory>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "platform/events.h"
#include "platform/sim/context.h"
#include "platform/sim/sim_screens.h"
#include "platform/window_list.h"
#include "platform/windows.h"

namespace qm::sim {

class SimWindowServer;

// A window of the program itself.
class SimWindow : public platform::Window {
public:
    SimWindow(SimWindowServer& server, platform::WindowID id, const platform::Rect& frame,
              platform::WindowStyleMask style);
    ~SimWindow() override;

    void setOpaque(bool opaque) override { opaque_ = opaque; }
    void setBackgroundColor(const platform::Color& color) override { background_ = color; }
    void setHasShadow(bool shadow) override { hasShadow_ = shadow; }
    void setIgnoresMouseEvents(bool ignores) override { ignoresMouse_ = ignores; }
    void setLevel(platform::WindowLevel level) override { level_ = level; }
    void setCollectionBehavior(platform::CollectionBehavior behavior) override { behavior_ = behavior; }
    void setContentView(std::unique_ptr<platform::View> view) override { view_ = std::move(view); }
    void orderFrontRegardless() override;
    void orderOut() override;
    void setTitle(const std::string& title) override { title_ = title; }
    void setStyleMask(platform::WindowStyleMask style) override { style_ = style; }
    void setContentSize(double width, double height) override;
    void setReleasedWhenClosed(bool released) override { releasedWhenClosed_ = released; }
    void center() override;
    void makeKeyAndOrderFront() override { orderFrontRegardless(); }
    void close() override { orderOut(); }

    platform::WindowID id() const { return id_; }
    platform::Rect frame() const { return frame_; }
    platform::WindowStyleMask style() const { return style_; }
    bool opaque() const { return opaque_; }
    platform::Color background() const { return background_; }
    bool hasShadow() const { return hasShadow_; }
    bool ignoresMouseEvents() const { return ignoresMouse_; }
    platform::WindowLevel level() const { return level_; }
    platform::CollectionBehavior collectionBehavior() const { return behavior_; }
    platform::View* contentView() const { return view_.get(); }
    bool isVisible() const { return visible_; }
    // The hosted declarative view, for windows made from one.
    platform::views::ViewHost* host() const { return host_.get(); }
    void setHost(std::unique_ptr<platform::views::ViewHost> host);
    // The user clicks the title bar's close button.
    void performClose() { close(); }
    const std::string& title() const { return title_; }
    bool releasedWhenClosed() const { return releasedWhenClosed_; }

private:
    SimWindowServer& server_;
    Counted counted_;
    platform::WindowID id_;
    platform::Rect frame_;
    platform::WindowStyleMask style_;
    bool opaque_ = true;
    platform::Color background_ = platform::Color::white(0.93, 1);
    bool hasShadow_ = true;
    bool ignoresMouse_ = false;
    platform::WindowLevel level_ = 0;
    platform::CollectionBehavior behavior_ = 0;
    std::unique_ptr<platform::View> view_;
    std::unique_ptr<platform::views::ViewHost> host_;
    bool visible_ = false;
    std::string title_;
    bool releasedWhenClosed_ = true;
};

// The window server: the program's own windows and those of other processes,
// front to back, and the window list built from them.
class SimWindowServer : public platform::WindowServer, public platform::WindowList {
public:
    SimWindowServer(Context& context, const SimScreens& screens) : context_(context), screens_(screens) {}

    std::unique_ptr<platform::Window> createWindow(const platform::Rect& contentRect, platform::WindowStyleMask style,
                                                   platform::BackingStore backing, bool defer) override;
    platform::WindowLevel windowLevelForKey(platform::WindowLevelKey key) const override;
    std::unique_ptr<platform::Window> windowWithRootView(std::unique_ptr<platform::views::View> root) override;
    std::optional<platform::Value> copyWindowInfo(platform::WindowListOptions options,
                                                  platform::WindowID relativeTo) override;

    // Another process's window, at the front (Quartz bounds); an existing id is replaced.
    void putWindow(int64_t id, int32_t pid, int64_t layer, const platform::Rect& bounds);
    // A raw window-list entry, as given, at the front.
    void putWindowInfo(platform::Value entry);
    void closeWindow(int64_t id);
    // Makes the window list unavailable, as when the window server does not answer.
    void setListUnavailable(bool unavailable) { listUnavailable_ = unavailable; }

    // The process whose window receives a click at p (Quartz), if any.
    std::optional<int32_t> ownerAt(platform::Point p) const;
    // A key press reaching the program: Return or Enter presses the front
    // window's default button; Escape and Command-W close that window.
    void keyDown(int64_t keyCode, platform::EventFlags flags);
    // The program's windows on screen, front first.
    std::vector<SimWindow*> visibleWindows() const { return visible_; }

private:
    friend class SimWindow;
    void shown(SimWindow& window, bool appears);
    void hidden(SimWindow& window);
    platform::Value entryFor(const SimWindow& window) const;
    platform::Rect toQuartz(const platform::Rect& frame) const;

    using Entries = std::list<platform::Value>;
    void index(Entries::iterator entry);

    Context& context_;
    const SimScreens& screens_;
    Entries others_;  // front to back
    // The entries of others_ by their window number, so that replacing or
    // closing one does not walk the whole list.
    std::unordered_multimap<int64_t, Entries::iterator> byNumber_;
    std::vector<SimWindow*> visible_;  // front to back
    platform::WindowID nextID_ = 1000;
    bool listUnavailable_ = false;
};

}  // namespace qm::sim
