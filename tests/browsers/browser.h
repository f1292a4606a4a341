#pragma once

#include <X11/Xlib.h>

#include <filesystem>
#include <optional>
#include <string>

#include "x11/desktop.h"

namespace qm::browsertest {

namespace fs = std::filesystem;
using x11test::Desktop;

enum class BrowserKind { firefox, chromium };

// What the test page shows in its title: how far it is scrolled, the buttons
// pressed on it (0 left, 1 middle, 2 right), its clicks, the middle clicks on
// its link, the pointer's moves over it, and where its top-left corner is on
// the screen (negative until the pointer has moved over it).
struct PageState {
    long y = 0;
    long down0 = 0, down1 = 0, down2 = 0;
    long clicks = 0, linkAux = 0, moves = 0;
    int left = -1, top = -1;
};

// A browser showing the test page, with a profile of its own that it forgets
// when the test ends.
class Browser {
public:
    Browser(Desktop& desktop, BrowserKind kind, const fs::path& page);
    ~Browser();
    Browser(const Browser&) = delete;
    Browser& operator=(const Browser&) = delete;

    Window window() const { return window_; }
    // What the page shows now; nothing while the title is not the page's.
    std::optional<PageState> page() const;
    // The page's state once it shows what condition asks for; throws when it never does.
    PageState waitForPage(const std::function<bool(const PageState&)>& condition, const std::string& what,
                          double seconds = 60) const;
    // The browser's standard error, to explain a failure.
    std::string errors() const;

private:
    Desktop& desktop_;
    fs::path dir_;
    std::optional<x11test::Child> process_;
    Window window_ = 0;
};

}  // namespace qm::browsertest
