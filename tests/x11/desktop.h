#pragma once

#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>
#include <signal.h>
#include <sys/types.h>

#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

// A desktop of the tests' own: Xvfb, by default openbox, on request a session
// bus and a tray (trayer), and whatever the test runs there, in a fresh
// directory, all stopped when the test ends however it ends. The test's own
// input goes in through the core pointer's XTEST device, so that a program can
// tell it from the clicks Quillmere makes through its own pointer. The X11,
// GTK and browser suites all stand on it.
namespace qm::x11test {

namespace fs = std::filesystem;

// Polls until condition holds or the deadline passes, serving GLib's main
// loop meanwhile, where the answers of this process's own bus calls come in;
// whether it held. The deadlines are generous: a loaded machine running the
// sanitizers is slow, and a condition that holds ends the wait at once.
bool waitFor(const std::function<bool()>& condition, double seconds = 60);
// Serves the main loop for a while, for things that must not happen.
void runFor(double seconds);

std::string readFile(const fs::path& path);
// The lines of a file another process is writing, but for one still unfinished.
std::vector<std::string> finishedLines(const fs::path& path);

// A fresh directory, removed with what it holds at the end, unless
// QUILLMERE_KEEP_DESKTOP asks to keep it, to look at what a failing test left.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const fs::path& path() const { return path_; }

private:
    fs::path path_;
};

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
    std::optional<int> stop(int signal, double seconds = 60);
    // As a program that stops answering and comes back.
    void freeze() { kill(pid_, SIGSTOP); }
    void thaw() { kill(pid_, SIGCONT); }

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
    std::vector<std::string> environment(const std::vector<std::string>& extra = {}) const {
        return environmentOn(busAddress_, extra);
    }
    // Starts openbox, once it manages windows.
    void startWindowManager();
    void stopWindowManager() { manager_.reset(); }
    bool hasWindowManager() const { return manager_.has_value(); }
    // Starts a session bus, which starts the accessibility bus when first
    // asked. Programs started from then on use it, with their toolkit's
    // accessibility bridge; its address.
    const std::string& startSessionBus();
    // The desktop's accessibility flag on the session bus, which Quillmere's
    // first-launch guide switches on and browsers read as they start.
    void switchAccessibilityOn();
    bool accessibilityIsOn();
    // Starts a system tray at the top right, its panel of that tint, in place
    // of any tray before; its manager window.
    Window startTray(const std::string& tint = "0xdcdad5");
    void stopTray();
    bool hasTray() const { return tray_.has_value(); }
    // Starts a program on this desktop, its output in name.out and name.errors
    // in dir(), both fresh.
    Child run(const std::vector<std::string>& argv, const std::string& name,
              const std::vector<std::string>& extraEnvironment = {}) const;

    // Divides the screen into monitors, the primary one first.
    void setMonitors(const std::vector<Box>& monitors);

    void moveTo(int x, int y) { sent(XTestFakeMotionEvent(display_, -1, x, y, CurrentTime)); }
    void press(unsigned button) { sent(XTestFakeButtonEvent(display_, button, True, CurrentTime)); }
    void release(unsigned button) { sent(XTestFakeButtonEvent(display_, button, False, CurrentTime)); }
    void click(unsigned button) { press(button), release(button); }
    void click(int x, int y, unsigned button) { moveTo(x, y), click(button); }
    // The key that produces keysym in the keyboard map as it is now, even
    // just after another program changed it.
    KeyCode keycode(unsigned long keysym);
    void keyDown(unsigned long keysym) { sent(XTestFakeKeyEvent(display_, keycode(keysym), True, CurrentTime)); }
    void keyUp(unsigned long keysym) { sent(XTestFakeKeyEvent(display_, keycode(keysym), False, CurrentTime)); }
    void tap(unsigned long keysym) { keyDown(keysym), keyUp(keysym); }

    // The program's marker window, while one is on screen.
    std::optional<Box> marker();
    Box geometry(Window window);
    // The 32-bit items of a window's property of that type.
    std::vector<unsigned long> items(Window window, const char* property, Atom type);
    // A window's UTF-8 title, and the class of its WM_CLASS.
    std::optional<std::string> title(Window window);
    std::string windowClass(Window window);
    // The top-level windows the window manager manages.
    std::vector<Window> managedWindows();
    // Whether a top-level window of that title is on the desktop.
    bool showsWindow(const std::string& title);
    // The window the window manager has given the focus.
    std::optional<Window> activeWindow();

private:
    // Once the server has done what a call asked of it.
    void sent(int) { XSync(display_, False); }
    // The environment for a program that talks to the session bus at this address, if any.
    std::vector<std::string> environmentOn(const std::string& busAddress, const std::vector<std::string>& extra) const;

    TempDir temp_;
    const fs::path dir_ = temp_.path();
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

    void click(int x, int y, unsigned button);

private:
    Display* display_;
    int master_ = 0;
    int xtest_ = 0;
};

}  // namespace qm::x11test
