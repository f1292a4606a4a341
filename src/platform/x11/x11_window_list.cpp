#include "platform/x11/x11_window_list.h"

namespace qm::x11 {

using platform::Value;

std::optional<Value> X11WindowList::copyWindowInfo(platform::WindowListOptions options, platform::WindowID) {
    Value::Array entries;
    stack_.forEachClient([&](const WindowStack::TopLevel& topLevel, const ClientWindow& client) {
        if ((options & platform::windowListExcludeDesktopElements) && client.layer == desktopLayer) return;
        const platform::Point origin = screens_.toQuartz(topLevel.frame.x, topLevel.frame.y);
        Value::Dictionary entry{
            {std::string(platform::window_key::number), static_cast<int64_t>(client.window)},
            {std::string(platform::window_key::layer), client.layer},
            {std::string(platform::window_key::bounds),
             platform::dictionaryFromRect({origin.x, origin.y, topLevel.frame.width, topLevel.frame.height})}};
        if (client.pid) entry.emplace_back(std::string(platform::window_key::ownerPID), int64_t{*client.pid});
        entries.push_back(Value(std::move(entry)));
    });
    return Value(std::move(entries));
}

}  // namespace qm::x11
