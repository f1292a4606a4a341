#include "platform/x11/x11_properties.h"

#include <X11/Xatom.h>
#include <X11/extensions/XRes.h>

#include <algorithm>
#include <limits>
#include <string_view>

#include "platform/utf8.h"

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

namespace {

// What is read of WM_CLASS, both its parts; a class past it is cut short
// there, the same way at every reading.
constexpr long classPropertyWords = 16384;
constexpr std::size_t longestClass = 1024;

// STRING is Latin-1 with tab and newline as its only control characters;
// any other control byte stands for a character nobody can tell.
std::string utf8FromString(std::string_view latin1) {
    std::string text;
    for (const char c : latin1) {
        const auto byte = static_cast<unsigned char>(c);
        const bool graphic = (byte >= 0x20 && byte < 0x7F) || byte >= 0xA0 || byte == '\t' || byte == '\n';
        if (!graphic)
            text += "\xEF\xBF\xBD";
        else if (byte < 0x80)
            text += c;
        else
            text += {static_cast<char>(0xC0 | (byte >> 6)), static_cast<char>(0x80 | (byte & 0x3F))};
    }
    return text;
}

}  // namespace

std::optional<std::string> windowClass(Display* display, Window window) {
    Atom type = None;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    if (XGetWindowProperty(display, window, XA_WM_CLASS, 0, classPropertyWords, False, AnyPropertyType, &type, &format,
                           &count, &after, &data) != Success)
        return std::nullopt;
    const std::string bytes = data && format == 8 ? std::string(reinterpret_cast<const char*>(data), count) : "";
    if (data) XFree(data);
    // The instance name, a NUL, the class, a NUL.
    const auto end = bytes.find('\0');
    if (end == std::string::npos) return std::nullopt;
    std::string_view name = std::string_view(bytes).substr(end + 1);
    name = name.substr(0, std::min(name.find('\0'), longestClass));
    if (type == XA_STRING) return utf8FromString(name);
    if (type == XInternAtom(display, "UTF8_STRING", False)) return platform::repairedUtf8(name);
    return std::nullopt;
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
