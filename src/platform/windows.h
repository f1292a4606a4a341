#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "platform/drawing.h"
#include "platform/geometry.h"
#include "platform/views/view.h"

// AppKit windows and views. Frames are in AppKit screen space.
namespace qm::platform {

using WindowStyleMask = uint64_t;
namespace window_style {
inline constexpr WindowStyleMask borderless = 0;
inline constexpr WindowStyleMask titled = 1;
inline constexpr WindowStyleMask closable = 2;
inline constexpr WindowStyleMask miniaturizable = 4;
inline constexpr WindowStyleMask resizable = 8;
}  // namespace window_style

enum class BackingStore : uint32_t { buffered = 2 };

using CollectionBehavior = uint64_t;
namespace collection_behavior {
inline constexpr CollectionBehavior canJoinAllSpaces = 1;
inline constexpr CollectionBehavior stationary = 16;
inline constexpr CollectionBehavior ignoresCycle = 64;
inline constexpr CollectionBehavior fullScreenAuxiliary = 256;
}  // namespace collection_behavior

using WindowLevel = int32_t;
using WindowLevelKey = int32_t;
inline constexpr WindowLevelKey cursorWindowLevelKey = 19;

class View {
public:
    explicit View(Rect frame) : frame_(frame) {}
    virtual ~View() = default;
    virtual bool isFlipped() const = 0;
    virtual void draw(Graphics& graphics, const Rect& dirty) = 0;

    Rect frame() const { return frame_; }
    Rect bounds() const { return {0, 0, frame_.width, frame_.height}; }

private:
    Rect frame_;
};

// Destroying a window takes it off the screen.
class Window {
public:
    virtual ~Window() = default;
    virtual void setOpaque(bool opaque) = 0;
    virtual void setBackgroundColor(const Color& color) = 0;
    virtual void setHasShadow(bool shadow) = 0;
    virtual void setIgnoresMouseEvents(bool ignores) = 0;
    virtual void setLevel(WindowLevel level) = 0;
    virtual void setCollectionBehavior(CollectionBehavior behavior) = 0;
    virtual void setContentView(std::unique_ptr<View> view) = 0;
    virtual void orderFrontRegardless() = 0;
    virtual void orderOut() = 0;
    virtual void setTitle(const std::string& title) = 0;
    virtual void setStyleMask(WindowStyleMask style) = 0;
    virtual void setContentSize(double width, double height) = 0;
    // False, so that closing only hides the window and its owner's reference stays good.
    virtual void setReleasedWhenClosed(bool released) = 0;
    virtual void center() = 0;
    virtual void makeKeyAndOrderFront() = 0;
    virtual void close() = 0;
};

class WindowServer {
public:
    virtual ~WindowServer() = default;
    virtual std::unique_ptr<Window> createWindow(const Rect& contentRect, WindowStyleMask style, BackingStore backing,
                                                 bool defer) = 0;
    virtual WindowLevel windowLevelForKey(WindowLevelKey key) const = 0;
    // A titled window whose content is a hosted declarative view.
    virtual std::unique_ptr<Window> windowWithRootView(std::unique_ptr<views::View> root) = 0;
};

}  // namespace qm::platform
