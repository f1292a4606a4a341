#include "platform/x11/x11_properties.h"

#include <X11/Xatom.h>
#include <X11/Xutil.h>
#include <X11/extensions/XRes.h>

#include <limits>

namespace qm::x11 {

std::vector<unsigned long> cardinals(Display* display, Window window, Atom property, Atom type) {
    Atom actualType = None;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    // A few thousand items are enough for any list a window manager keeps.
    if (XGetWindowProperty(display, window, property, 0, 4096, False, type, &actualType, &format, &count, &after,
                           &data) != Success)
        return {};
    std::vector<unsigned long> items;
    // Xlib hands 32-bit items out as longs.
    if (data && actualType == type && format == 32) {
        const auto* values = reinterpret_cast<const unsigned long*>(data);
        items.assign(values, values + count);
    }
    if (data) XFree(data);
    return items;
}

std::optional<unsigned long> cardinal(Display* display, Window window, Atom property, Atom type) {
    const auto items = cardinals(display, window, property, type);
    if (items.empty()) return std::nullopt;
    return items.front();
}

std::optional<std::string> windowClass(Display* display, Window window) {
    XClassHint hint{};
    if (!XGetClassHint(display, window, &hint)) return std::nullopt;
    std::optional<std::string> name;
    if (hint.res_class) name = hint.res_class;
    if (hint.res_name) XFree(hint.res_name);
    if (hint.res_class) XFree(hint.res_class);
    return name;
}

std::optional<int32_t> windowProcess(Display* display, Window window, Atom netWmPid) {
    XResClientIdSpec wanted{window, XRES_CLIENT_ID_PID_MASK};
    long count = 0;
    XResClientIdValue* ids = nullptr;
    std::optional<int32_t> pid;
    if (XResQueryClientIds(display, 1, &wanted, &count, &ids) == Success) {
        for (long i = 0; i < count && !pid; ++i) {
            const pid_t found = XResGetClientPid(&ids[i]);
            if (found > 0) pid = found;
        }
        XResClientIdsDestroy(count, ids);
    }
    if (pid) return pid;
    // A client on another machine: only its own word is left.
    const auto stated = cardinal(display, window, netWmPid, XA_CARDINAL);
    if (stated && *stated > 0 && *stated <= static_cast<unsigned long>(std::numeric_limits<int32_t>::max()))
        return static_cast<int32_t>(*stated);
    return std::nullopt;
}

}  // namespace qm::x11
