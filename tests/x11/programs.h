#pragma once

#include <X11/Xlib.h>
#include <sys/types.h>

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "x11/desktop.h"

// The programs a scenario runs on its desktop: a GTK client that logs what it
// receives, and build/quillmere, or the program $QUILLMERE_EXECUTABLE names.
namespace qm::x11test {

// The GTK client and its log; under a window manager, once it has the focus.
class Client {
public:
    explicit Client(Desktop& desktop);

    std::vector<std::string> log() const;
    // The lines from index from on that start with prefix.
    std::size_t count(const std::string& prefix, std::size_t from = 0) const;
    std::size_t size() const { return log().size(); }
    Window window() const { return window_; }
    Box area() const { return desktop_.geometry(window_); }
    // The last scroll position the client reported.
    double scrollPosition() const;
    // Where a widget of the client is on the screen: "button" (a link button),
    // "label" (a label that starts with a link), "plain" (text without one).
    Box place(const std::string& widget) const;
    Child& process() { return process_; }

private:
    Desktop& desktop_;
    fs::path logFile_;
    Child process_;
    Window window_ = 0;
};

// The program the build made, or the one the environment names, such as one
// unpacked from the package.
std::string executable();

// What the desktop offers the program besides the X server: the session's bus
// and a tray, as a desktop session does, or less.
enum class Session { busAndTray, busOnly, bare };

// The program on the desktop, with its own settings directory.
class Program {
public:
    // Starts it with these stored settings; a later launch by default.
    explicit Program(Desktop& desktop, const std::string& defaults = R"({"didShowOnboarding": true})",
                     Session session = Session::busAndTray);

    // Waits until a middle click over the client starts a session.
    void waitUntilIntercepting(Client& client);
    fs::path defaultsFile() const { return config_ / "quillmere" / "defaults.json"; }
    // What it wrote on standard error: its log, with its debugging messages.
    std::string errors() const;
    // How many of its debugging messages hold text.
    std::size_t messages(const std::string& text) const;
    // Clicks the middle button at the point and waits until the program holds
    // Escape, as it does once the click has locked a session.
    void lockAt(int x, int y);
    // The sums of the wheel amounts it posted, vertical and horizontal, as it
    // reports them among its debugging messages.
    std::pair<long, long> wheelTotals() const;
    std::optional<int> stop(int signal) { return process_->stop(signal); }
    pid_t pid() const { return process_->pid(); }

private:
    Desktop& desktop_;
    fs::path config_;
    fs::path errorFile_;
    std::optional<Child> process_;
};

}  // namespace qm::x11test
