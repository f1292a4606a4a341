#pragma once

#include "x11/main_loop_wait.h"

#include <sys/types.h>

#include <chrono>
#include <functional>
#include <optional>
#include <string>
#include <vector>

// A desktop of the test's own: an X server, a session bus and, on demand, a
// tray host. Everything it starts dies with the test process, also when a
// test fails or the process is killed.
struct _XDisplay;

namespace qm::x11test {

// A process of the test, in a process group of its own, so that whatever it
// starts in turn goes with it.
class ChildProcess {
public:
    // Starts argv[0] (found on PATH) with extra environment entries "NAME=value".
    ChildProcess(const std::vector<std::string>& argv, const std::vector<std::string>& environment = {});
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    pid_t pid() const { return pid_; }
    // The next line of its standard output, waiting at most timeout (zero: only
    // what is there already).
    std::optional<std::string> readLine(std::chrono::milliseconds timeout = std::chrono::seconds(30));
    // Freezes and thaws it, as a client that stops answering and comes back.
    void stop();
    void resume();

private:
    pid_t pid_ = -1;
    int output_ = -1;
    std::string buffered_;
};

class Desktop {
public:
    // Started once per test process, which initialises GTK on it.
    static Desktop& instance();
    // Ends the bus and the server, after the last test.
    void shutDown();

    const std::string& display() const { return display_; }
    // The test's own connection, which drives input through XTest.
    _XDisplay* input() const { return input_; }

    void moveTo(int x, int y);
    void click(int x, int y, unsigned button = 1);
    // A key by its keysym, with Control when control is set.
    void key(unsigned long keysym, bool control = false);

private:
    Desktop();
    void startBus();

    std::string runtimeDirectory_;
    std::optional<ChildProcess> server_;
    std::optional<ChildProcess> bus_;
    std::string display_;
    _XDisplay* input_ = nullptr;
};

// Where a widget of this process is on the screen, and its size.
struct ScreenRect {
    int x, y, width, height;
    int centerX() const { return x + width / 2; }
    int centerY() const { return y + height / 2; }
};
std::optional<ScreenRect> screenRectOf(void* gtkWidget);
// Whether the X server shows the widget's window, so that a click there reaches it.
bool isViewable(void* gtkWidget);

}  // namespace qm::x11test
