#pragma once

#include <X11/Xlib.h>
#include <sys/types.h>

#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

// A desktop of the tests' own: Xvfb, by default openbox, on request a session
// bus and a tray (trayer), and whatever the test runs there, in a fresh directory, all stopped
// when the test ends however it ends. The test's own input goes in through
// the core pointer's XTEST device, so that a program can tell it from the
// clicks Quillmere makes through its own pointer.
namespace qm::x11test {

namespace fs = std::filesystem;

// Polls until condition holds or the deadline passes; whether it held.
bool waitFor(const std::function<bool()>& condition, double seconds = 30);

std::string readFile(const fs::path& path);
// The lines of a file another process is writing, but for one still unfinished.
std::vector<std::string> finishedLines(const fs::path& path);

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
    // As a program that stops answering and comes back.
    void freeze();
    void thaw();

private:
    pid_t pid_ = -1;
    std::optional<int> status_;
};

struct Box {
    int x = 0, y = 0, width = 0, height = 0;
    int centerX() const { return x + width / 2; }
    int centerY() const { return y + height / 2; }
};

enum class WindowManager { openbox, none };

class Desktop {
public:
    // Without a window manager, windows stay where their programs put them and
    // the keyboard follows the pointer.
    explicit Desktop(WindowManager manager = WindowManager::openbox);
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
    // Starts a system tray at the top right, if none runs yet.
    void startTray();
    // Starts a program on this desktop, its output in name.out and name.errors
    // in dir(), both fresh.
    Child run(const std::vector<std::string>& argv, const std::string& name,
              const std::vector<std::string>& extraEnvironment = {}) const;

    // Divides the screen into monitors, the primary one first.
    void setMonitors(const std::vector<Box>& monitors);

    void moveTo(int x, int y);
    void press(unsigned button);
    void release(unsigned button);
    void click(unsigned button);
    void click(int x, int y, unsigned button);
    // The key that produces keysym in the keyboard map as it is now, even
    // just after another program changed it.
    KeyCode keycode(unsigned long keysym);
    void keyDown(unsigned long keysym);
    void keyUp(unsigned long keysym);
    void tap(unsigned long keysym);

    // The program's marker window, while one is on screen.
    std::optional<Box> marker();
    Box geometry(Window window);
    // Whether a top-level window of that title is on the desktop.
    bool showsWindow(const std::string& title);
    // The window the window manager has given the focus.
    std::optional<Window> activeWindow();

private:
    // The environment for a program that talks to the session bus at this address, if any.
    std::vector<std::string> environmentOn(const std::string& busAddress, const std::vector<std::string>& extra) const;

    fs::path dir_;
    std::string name_;
    std::optional<Child> server_;
    std::optional<Child> manager_;
    std::optional<Child> bus_;
    std::optional<Child> tray_;
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

    void moveTo(int x, int y);
    void click(int x, int y, unsigned button);

private:
    Display* display_;
    int master_ = 0;
    int xtest_ = 0;
};

}  // namespace qm::x11test
