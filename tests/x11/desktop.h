#pragma once

#include <X11/Xlib.h>
#include <sys/types.h>

#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

// A desktop of the tests' own: Xvfb and openbox, a GTK client that logs what
// it receives, and build/quillmere, each in a fresh directory, all stopped
// when the test ends however it ends. The test's own input goes in through
// the core pointer's XTEST device, so the client can tell it from the clicks
// the program makes through its own pointer.
namespace qm::x11test {

namespace fs = std::filesystem;

// Polls until condition holds or the deadline passes; whether it held.
bool waitFor(const std::function<bool()>& condition, double seconds = 30);

// A child process, killed with the test if it still runs then. It also dies
// with the test binary, should that be killed first.
class Child {
public:
    // Standard output and error go to files; inheritedFd stays open in the child.
    Child(const std::vector<std::string>& argv, const std::vector<std::string>& environment, const fs::path& output,
          const fs::path& errors, int inheritedFd = -1);
    ~Child();
    Child(const Child&) = delete;
    Child& operator=(const Child&) = delete;

    pid_t pid() const { return pid_; }
    bool running();
    // Sends signal and waits for the end; the exit status, or 128 + the signal that ended it.
    std::optional<int> stop(int signal, double seconds = 30);

private:
    pid_t pid_ = -1;
    std::optional<int> status_;
};

struct Box {
    int x = 0, y = 0, width = 0, height = 0;
    int centerX() const { return x + width / 2; }
    int centerY() const { return y + height / 2; }
};

class Desktop {
public:
    Desktop();
    ~Desktop();
    Desktop(const Desktop&) = delete;
    Desktop& operator=(const Desktop&) = delete;

    const fs::path& dir() const { return dir_; }
    Display* x() const { return display_; }
    // The environment for a program on this desktop.
    std::vector<std::string> environment(const std::vector<std::string>& extra = {}) const;
    // Starts a session bus, which starts the accessibility bus when first
    // asked. Programs started from then on use it, with their toolkit's
    // accessibility bridge; its address.
    const std::string& startSessionBus();

    // Divides the screen into monitors, the primary one first.
    void setMonitors(const std::vector<Box>& monitors);

    void moveTo(int x, int y);
    void press(unsigned button);
    void release(unsigned button);
    void click(unsigned button);
    void keyDown(unsigned long keysym);
    void keyUp(unsigned long keysym);
    void tap(unsigned long keysym);

    // The program's marker window, while one is on screen.
    std::optional<Box> marker();
    Box geometry(Window window);

private:
    // The environment for a program that talks to the session bus at this address, if any.
    std::vector<std::string> environmentOn(const std::string& busAddress, const std::vector<std::string>& extra) const;

    fs::path dir_;
    std::string name_;
    std::optional<Child> server_;
    std::optional<Child> manager_;
    std::optional<Child> bus_;
    std::string busAddress_;
    Display* display_ = nullptr;
};

// A passive grab of the middle button on the root window, as another program
// might hold it.
class MiddleButtonGrab {
public:
    explicit MiddleButtonGrab(Desktop& desktop);
    ~MiddleButtonGrab();
    MiddleButtonGrab(const MiddleButtonGrab&) = delete;
    MiddleButtonGrab& operator=(const MiddleButtonGrab&) = delete;

    // The presses the grab has brought so far.
    std::size_t presses();

private:
    Display* display_;
    std::size_t presses_ = 0;
};

// A master pointer of the test's own, which no grab of the core pointer holds.
class Pointer {
public:
    Pointer(Desktop& desktop, const std::string& name);
    ~Pointer();
    Pointer(const Pointer&) = delete;
    Pointer& operator=(const Pointer&) = delete;

    void click(int x, int y, unsigned button);

private:
    Display* display_;
    int master_ = 0;
    int xtest_ = 0;
};

// The GTK client and its log.
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

private:
    Desktop& desktop_;
    fs::path logFile_;
    std::optional<Child> process_;
    Window window_ = 0;
};

// build/quillmere on the desktop, with its own settings directory.
class Program {
public:
    // Starts it with these stored settings; a later launch by default.
    explicit Program(Desktop& desktop, const std::string& defaults = R"({"didShowOnboarding": true})");

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
