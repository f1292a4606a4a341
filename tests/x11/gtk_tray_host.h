#pragma once

#include <gio/gio.h>

#include <optional>
#include <string>
#include <vector>

// A StatusNotifierItem host of the test's own, as a desktop panel is one: it
// holds the watcher's name on the session bus, so that AppIndicator exports
// its item to it, and it reads and clicks the exported menu. Every call is
// asynchronous, because the item answers from this same process's main loop.
namespace qm::x11test {

struct MenuEntry {
    int id = 0;
    std::string label;  // as shown, mnemonic marks taken out
    bool separator = false;
    bool enabled = true;
    bool checkable = false;
    bool checked = false;
    bool visible = true;
    bool hasShortcut = false;
};

class TrayHost {
public:
    TrayHost();
    ~TrayHost();
    TrayHost(const TrayHost&) = delete;
    TrayHost& operator=(const TrayHost&) = delete;

    // Whether an item has registered, waiting for it a while.
    bool hasItem();
    // The item's menu, top level, as the panel would show it now.
    std::vector<MenuEntry> menu();
    // The first entry labelled label, in the menu as it is now.
    std::optional<MenuEntry> entry(const std::string& label);
    // Clicks the entry labelled label once the menu shows it, as the panel
    // does when the user chooses it; whether the menu showed it.
    bool click(const std::string& label);
    // The picture the item shows: its icon name in its icon directory, an SVG or a PNG.
    std::string iconFile();

    // Told by the watcher's method handler.
    void registered(const std::string& sender, const std::string& service);

private:
    GVariant* call(const std::string& path, const std::string& interface, const std::string& method,
                   GVariant* parameters);
    std::string property(const std::string& name);

    GDBusConnection* bus_;
    guint owner_ = 0;
    guint object_ = 0;
    bool owned_ = false;
    std::string itemBus_;
    std::string itemPath_;
};

}  // namespace qm::x11test
