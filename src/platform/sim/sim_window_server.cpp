#include "platform/sim/sim_window_server.h"

#include <algorithm>

namespace qm::sim {

using platform::Rect;
using platform::Value;
namespace key = platform::window_key;

namespace {

constexpr platform::WindowLevel cursorWindowLevel = 2147483630;

int64_t layerOf(const Value& entry) {
    const Value* layer = entry.find(key::layer);
    const auto level = layer ? layer->exactInteger() : std::nullopt;
    return level.value_or(0);
}

}  // namespace

SimWindow::SimWindow(SimWindowServer& server, platform::WindowID id, const Rect& frame, platform::WindowStyleMask style)
    : server_(server), counted_(server.context_.ledger, Ledger::window), id_(id), frame_(frame), style_(style) {}

SimWindow::~SimWindow() {
    orderOut();
}

void SimWindow::orderFrontRegardless() {
    const bool appears = !visible_;
    visible_ = true;
    server_.shown(*this, appears);
}

void SimWindow::orderOut() {
    if (!visible_) return;
    visible_ = false;
    server_.hidden(*this);
}

void SimWindow::setHost(std::unique_ptr<platform::views::ViewHost> host) {
    host_ = std::move(host);
    host_->setOnChange([this] { server_.context_.observer->windowContentChanged(*this); });
}

void SimWindow::setContentSize(double width, double height) {
    frame_.width = width;
    frame_.height = height;
}

void SimWindow::center() {
    // On the primary screen, a little above the middle as the system does.
    const auto screens = server_.screens_.screens();
    const platform::Rect screen = screens.empty() ? server_.screens_.mainDisplayBounds() : screens.front();
    frame_.x = screen.x + (screen.width - frame_.width) / 2;
    frame_.y = screen.y + (screen.height - frame_.height) * 2 / 3;
}

std::unique_ptr<platform::Window> SimWindowServer::createWindow(const Rect& contentRect,
                                                                platform::WindowStyleMask style, platform::BackingStore,
                                                                bool) {
    return std::make_unique<SimWindow>(*this, nextID_++, contentRect, style);
}

std::unique_ptr<platform::Window> SimWindowServer::windowWithRootView(std::unique_ptr<platform::views::View> root) {
    namespace style = platform::window_style;
    auto window =
        std::make_unique<SimWindow>(*this, nextID_++, platform::Rect{0, 0, 0, 0},
                                    style::titled | style::closable | style::miniaturizable | style::resizable);
    window->setHost(std::make_unique<platform::views::ViewHost>(std::move(root)));
    return window;
}

void SimWindowServer::keyDown(int64_t keyCode, platform::EventFlags flags) {
    constexpr int64_t returnKey = 36, enterKey = 76, escapeKey = 53, wKey = 13;
    constexpr platform::EventFlags modifiers = 0x001E0000;  // shift, control, option, command
    const bool confirms = keyCode == returnKey || keyCode == enterKey;
    const bool closes =
        keyCode == escapeKey || (keyCode == wKey && (flags & modifiers) == platform::eventFlagMaskCommand);
    if (!confirms && !closes) return;
    for (SimWindow* window : visible_) {
        if (!window->host()) continue;
        // Either may drop the window; nothing here is touched after it.
        if (confirms)
            window->host()->pressDefault();
        else
            window->performClose();
        return;
    }
}

platform::WindowLevel SimWindowServer::windowLevelForKey(platform::WindowLevelKey key) const {
    return key == platform::cursorWindowLevelKey ? cursorWindowLevel : 0;
}

void SimWindowServer::shown(SimWindow& window, bool appears) {
    std::erase(visible_, &window);
    visible_.insert(visible_.begin(), &window);
    // A window already on screen only comes to the front.
    if (appears) context_.observer->windowShown(window);
}

void SimWindowServer::hidden(SimWindow& window) {
    std::erase(visible_, &window);
    context_.observer->windowHidden(window);
}

Rect SimWindowServer::toQuartz(const Rect& frame) const {
    return {frame.x, screens_.primaryHeight() - frame.maxY(), frame.width, frame.height};
}

Value SimWindowServer::entryFor(const SimWindow& window) const {
    return Value::Dictionary{
        {std::string(key::number), int64_t{window.id()}},
        {std::string(key::layer), int64_t{window.level()}},
        {std::string(key::ownerPID), int64_t{context_.ownPID}},
        {std::string(key::bounds), platform::dictionaryFromRect(toQuartz(window.frame()))},
    };
}

std::optional<Value> SimWindowServer::copyWindowInfo(platform::WindowListOptions, platform::WindowID) {
    if (listUnavailable_) return std::nullopt;
    Value::Array list;
    for (const SimWindow* window : visible_) list.push_back(entryFor(*window));
    list.insert(list.end(), others_.begin(), others_.end());
    std::stable_sort(list.begin(), list.end(), [](const Value& a, const Value& b) { return layerOf(a) > layerOf(b); });
    return Value(std::move(list));
}

void SimWindowServer::putWindow(int64_t id, int32_t pid, int64_t layer, const Rect& bounds) {
    closeWindow(id);
    others_.push_front(Value::Dictionary{
        {std::string(key::number), id},
        {std::string(key::layer), layer},
        {std::string(key::ownerPID), int64_t{pid}},
        {std::string(key::bounds), platform::dictionaryFromRect(bounds)},
    });
    index(others_.begin());
}

void SimWindowServer::putWindowInfo(Value entry) {
    others_.push_front(std::move(entry));
    index(others_.begin());
}

void SimWindowServer::index(Entries::iterator entry) {
    const Value* number = entry->find(key::number);
    if (const auto id = number ? number->exactInteger() : std::nullopt) byNumber_.emplace(*id, entry);
}

void SimWindowServer::closeWindow(int64_t id) {
    const auto [first, last] = byNumber_.equal_range(id);
    for (auto it = first; it != last; ++it) others_.erase(it->second);
    byNumber_.erase(first, last);
}

std::optional<int32_t> SimWindowServer::ownerAt(platform::Point p) const {
    for (const SimWindow* window : visible_) {
        if (!window->ignoresMouseEvents() && platform::rectContainsPoint(toQuartz(window->frame()), p))
            return context_.ownPID;
    }
    for (const Value& entry : others_) {
        const Value* owner = entry.find(key::ownerPID);
        const Value* bounds = entry.find(key::bounds);
        const auto pid = owner ? owner->exactInteger() : std::nullopt;
        const auto frame = bounds ? platform::rectFromDictionary(*bounds) : std::nullopt;
        if (pid && frame && platform::rectContainsPoint(*frame, p)) return static_cast<int32_t>(*pid);
    }
    return std::nullopt;
}

}  // namespace qm::sim
