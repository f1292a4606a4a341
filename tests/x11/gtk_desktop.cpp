#include "x11/gtk_desktop.h"

#include <gtest/gtest.h>

#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>
#include <fcntl.h>
#include <gdk/gdkx.h>
#include <gtk/gtk.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <stdexcept>
#include <thread>

extern char** environ;

namespace qm::x11test {

namespace {

using Clock = std::chrono::steady_clock;

// The environment of a child: this process's, with entries replaced or added.
std::vector<std::string> childEnvironment(const std::vector<std::string>& extra) {
    std::vector<std::string> entries;
    for (char** e = environ; *e; ++e) {
        const std::string entry = *e;
        const auto name = entry.substr(0, entry.find('=') + 1);
        bool replaced = false;
        for (const auto& override : extra) replaced = replaced || override.rfind(name, 0) == 0;
        if (!replaced) entries.push_back(entry);
    }
    entries.insert(entries.end(), extra.begin(), extra.end());
    return entries;
}

std::vector<char*> pointers(std::vector<std::string>& strings) {
    std::vector<char*> result;
    for (auto& s : strings) result.push_back(s.data());
    result.push_back(nullptr);
    return result;
}

bool exited(pid_t pid, Clock::duration within) {
    const auto deadline = Clock::now() + within;
    while (Clock::now() < deadline) {
        if (waitpid(pid, nullptr, WNOHANG) != 0) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return false;
}

}  // namespace

ChildProcess::ChildProcess(const std::vector<std::string>& argv, const std::vector<std::string>& environment) {
    int pipeFds[2];
    if (pipe2(pipeFds, O_CLOEXEC) != 0) throw std::runtime_error("pipe failed");
    // Everything the child needs is made before the fork: after it, only exec.
    std::vector<std::string> args = argv;
    std::vector<std::string> env = childEnvironment(environment);
    auto argp = pointers(args);
    auto envp = pointers(env);
    const pid_t parent = getpid();
    pid_ = fork();
    if (pid_ < 0) throw std::runtime_error("fork failed");
    if (pid_ == 0) {
        setpgid(0, 0);
        prctl(PR_SET_PDEATHSIG, SIGKILL);
        if (getppid() != parent) _exit(127);
        dup2(pipeFds[1], STDOUT_FILENO);
        execvpe(argp[0], argp.data(), envp.data());
        _exit(127);
    }
    setpgid(pid_, pid_);
    close(pipeFds[1]);
    output_ = pipeFds[0];
}

ChildProcess::~ChildProcess() {
    if (pid_ > 0) {
        kill(-pid_, SIGCONT);
        kill(-pid_, SIGTERM);
        if (!exited(pid_, std::chrono::seconds(5))) {
            kill(-pid_, SIGKILL);
            waitpid(pid_, nullptr, 0);
        }
    }
    if (output_ >= 0) close(output_);
}

std::optional<std::string> ChildProcess::readLine(std::chrono::milliseconds timeout) {
    const auto deadline = Clock::now() + timeout;
    for (;;) {
        if (const auto end = buffered_.find('\n'); end != std::string::npos) {
            std::string line = buffered_.substr(0, end);
            buffered_.erase(0, end + 1);
            return line;
        }
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
        pollfd ready{output_, POLLIN, 0};
        if (poll(&ready, 1, static_cast<int>(std::max<long>(0, left.count()))) <= 0) {
            if (left.count() <= 0) return std::nullopt;
            continue;
        }
        char chunk[512];
        const ssize_t got = read(output_, chunk, sizeof chunk);
        if (got <= 0) return std::nullopt;
        buffered_.append(chunk, static_cast<std::size_t>(got));
    }
}

void ChildProcess::stop() {
    kill(pid_, SIGSTOP);
}

void ChildProcess::resume() {
    kill(pid_, SIGCONT);
}

Desktop& Desktop::instance() {
    // GTK stays connected to its server for the life of the process.
    static Desktop* desktop = new Desktop();
    return *desktop;
}

void Desktop::shutDown() {
    if (input_) XCloseDisplay(input_);
    input_ = nullptr;
    bus_.reset();
    server_.reset();
    std::error_code ignored;
    std::filesystem::remove_all(runtimeDirectory_, ignored);
}

namespace {

// The desktop comes up before the first test and goes after the last; a test
// process that only lists its tests starts nothing.
class DesktopEnvironment : public testing::Environment {
public:
    void SetUp() override { Desktop::instance(); }
    void TearDown() override { Desktop::instance().shutDown(); }
};

const testing::Environment* const desktopEnvironment = testing::AddGlobalTestEnvironment(new DesktopEnvironment);

}  // namespace

Desktop::Desktop() {
    char runtime[] = "/tmp/quillmere-x11-test-XXXXXX";
    if (!mkdtemp(runtime)) throw std::runtime_error("cannot make a runtime directory");
    runtimeDirectory_ = runtime;
    // Nothing of the user's session may leak in, and nothing written may leak out.
    setenv("XDG_RUNTIME_DIR", runtime, 1);
    setenv("GSETTINGS_BACKEND", "memory", 1);
    unsetenv("AT_SPI_BUS_ADDRESS");
    unsetenv("NO_AT_BRIDGE");

    server_.emplace(std::vector<std::string>{"Xvfb", "-displayfd", "1", "-screen", "0", "1280x800x24", "-nolisten",
                                             "tcp", "-noreset"});
    const auto number = server_->readLine();
    if (!number) throw std::runtime_error("Xvfb did not start");
    display_ = ":" + *number;
    setenv("DISPLAY", display_.c_str(), 1);
    startBus();

    input_ = XOpenDisplay(display_.c_str());
    int event = 0, error = 0, major = 0, minor = 0;
    if (!input_ || !XTestQueryExtension(input_, &event, &error, &major, &minor))
        throw std::runtime_error("no XTest on the test's display");
    gtk_init(nullptr, nullptr);
}

void Desktop::startBus() {
    bus_.emplace(std::vector<std::string>{"dbus-daemon", "--session", "--nofork", "--print-address=1"});
    const auto address = bus_->readLine();
    if (!address) throw std::runtime_error("dbus-daemon did not start");
    setenv("DBUS_SESSION_BUS_ADDRESS", address->c_str(), 1);
}

void Desktop::moveTo(int x, int y) {
    XTestFakeMotionEvent(input_, -1, x, y, CurrentTime);
    XSync(input_, False);
}

void Desktop::click(int x, int y, unsigned button) {
    moveTo(x, y);
    XTestFakeButtonEvent(input_, button, True, CurrentTime);
    XTestFakeButtonEvent(input_, button, False, CurrentTime);
    XSync(input_, False);
}

void Desktop::key(unsigned long keysym, bool control) {
    const KeyCode controlKey = XKeysymToKeycode(input_, XK_Control_L);
    const KeyCode code = XKeysymToKeycode(input_, keysym);
    if (control) XTestFakeKeyEvent(input_, controlKey, True, CurrentTime);
    XTestFakeKeyEvent(input_, code, True, CurrentTime);
    XTestFakeKeyEvent(input_, code, False, CurrentTime);
    if (control) XTestFakeKeyEvent(input_, controlKey, False, CurrentTime);
    XSync(input_, False);
}

std::optional<ScreenRect> screenRectOf(void* gtkWidget) {
    auto* widget = GTK_WIDGET(gtkWidget);
    GtkWidget* top = gtk_widget_get_toplevel(widget);
    GdkWindow* window = gtk_widget_get_window(top);
    if (!window || !gtk_widget_get_mapped(widget)) return std::nullopt;
    int x = 0, y = 0, originX = 0, originY = 0;
    if (!gtk_widget_translate_coordinates(widget, top, 0, 0, &x, &y)) return std::nullopt;
    gdk_window_get_origin(window, &originX, &originY);
    return ScreenRect{originX + x, originY + y, gtk_widget_get_allocated_width(widget),
                      gtk_widget_get_allocated_height(widget)};
}

}  // namespace qm::x11test

namespace qm::x11test {

bool isViewable(void* gtkWidget) {
    GdkWindow* window = gtk_widget_get_window(GTK_WIDGET(gtkWidget));
    if (!window || !gtk_widget_get_mapped(GTK_WIDGET(gtkWidget))) return false;
    XWindowAttributes attributes{};
    return XGetWindowAttributes(Desktop::instance().input(), GDK_WINDOW_XID(window), &attributes) &&
           attributes.map_state == IsViewable;
}

}  // namespace qm::x11test
