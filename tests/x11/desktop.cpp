#include "x11/desktop.h"

#include <X11/Xatom.h>
#include <X11/Xutil.h>
#include <X11/extensions/XInput.h>
#include <X11/extensions/XInput2.h>
#include <X11/extensions/XTest.h>
#include <X11/extensions/Xrandr.h>
#include <fcntl.h>
#include <gio/gio.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <thread>

extern char** environ;

namespace qm::x11test {

namespace {

using Clock = std::chrono::steady_clock;

// Windows vanish between a query and the next; that is no reason to end the tests.
int ignoreErrors(Display*, XErrorEvent*) {
    return 0;
}

std::vector<char*> pointers(std::vector<std::string>& strings) {
    std::vector<char*> result;
    for (auto& s : strings) result.push_back(s.data());
    result.push_back(nullptr);
    return result;
}

// Whether extra sets the variable that entry sets.
bool overridden(const std::string& entry, const std::vector<std::string>& extra) {
    const std::string name = entry.substr(0, entry.find('=') + 1);
    return std::ranges::any_of(extra, [&](const std::string& e) { return e.starts_with(name); });
}

// A property of the accessibility bus's status; the bus starts it on the
// first call, which takes a while on a busy machine.
GVariant* accessibilityStatus(const std::string& busAddress, const char* method, GVariant* parameters) {
    GError* error = nullptr;
    GDBusConnection* bus = g_dbus_connection_new_for_address_sync(
        busAddress.c_str(),
        static_cast<GDBusConnectionFlags>(G_DBUS_CONNECTION_FLAGS_AUTHENTICATION_CLIENT |
                                          G_DBUS_CONNECTION_FLAGS_MESSAGE_BUS_CONNECTION),
        nullptr, nullptr, &error);
    GVariant* reply =
        bus ? g_dbus_connection_call_sync(bus, "org.a11y.Bus", "/org/a11y/bus", "org.freedesktop.DBus.Properties",
                                          method, parameters, nullptr, G_DBUS_CALL_FLAGS_NONE, 60000, nullptr, &error)
            : nullptr;
    if (bus) g_object_unref(bus);
    if (!reply) {
        const std::string message = error ? error->message : "no answer";
        if (error) g_error_free(error);
        throw std::runtime_error("the accessibility bus did not answer " + std::string(method) + ": " + message);
    }
    return reply;
}

// Starts a server that writes a line to a descriptor of its own once it takes
// clients ("FD" at the end of an argument stands for it); that line.
std::string startAndHear(std::optional<Child>& child, std::vector<std::string> argv,
                         const std::vector<std::string>& environment, const fs::path& log) {
    int fds[2];
    if (pipe(fds) != 0) throw std::runtime_error("pipe failed");
    for (auto& a : argv)
        if (a.ends_with("FD")) a.replace(a.size() - 2, 2, std::to_string(fds[1]));
    child.emplace(argv, environment, log, log, fds[1]);
    close(fds[1]);
    std::string line;
    pollfd readable{fds[0], POLLIN, 0};
    char c;
    while (poll(&readable, 1, 60000) > 0 && read(fds[0], &c, 1) == 1 && c != '\n') line += c;
    close(fds[0]);
    return line;
}

bool pollUntil(const std::function<bool()>& condition, double seconds, bool servingTheMainLoop) {
    const auto deadline = Clock::now() + std::chrono::duration<double>(seconds);
    while (!condition()) {
        if (Clock::now() > deadline) return false;
        if (!servingTheMainLoop || !g_main_context_iteration(nullptr, FALSE))
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return true;
}

}  // namespace

std::string readFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

std::vector<std::string> finishedLines(const fs::path& path) {
    std::vector<std::string> lines;
    std::istringstream text(readFile(path));
    for (std::string line; std::getline(text, line);)
        if (!text.eof()) lines.push_back(line);
    return lines;
}

bool waitFor(const std::function<bool()>& condition, double seconds) {
    return pollUntil(condition, seconds, true);
}

void runFor(double seconds) {
    const auto end = Clock::now() + std::chrono::duration<double>(seconds);
    waitFor([&] { return Clock::now() > end; }, seconds + 1);
}

TempDir::TempDir() {
    std::string pattern = (fs::temp_directory_path() / "quillmere-test-XXXXXX").string();
    if (!mkdtemp(pattern.data())) throw std::runtime_error("cannot make a temporary directory");
    path_ = pattern;
}

TempDir::~TempDir() {
    if (std::getenv("QUILLMERE_KEEP_DESKTOP")) {
        std::fprintf(stderr, "kept %s\n", path_.c_str());
        return;
    }
    std::error_code ignored;
    fs::remove_all(path_, ignored);
}

Child::Child(const std::vector<std::string>& argv, const std::vector<std::string>& environment, const fs::path& output,
             const fs::path& errors, int inheritedFd) {
    auto args = argv;
    auto env = environment;
    const auto argp = pointers(args);
    const auto envp = pointers(env);
    const pid_t parent = getpid();
    pid_ = fork();
    if (pid_ < 0) throw std::runtime_error("fork failed");
    if (pid_ > 0) return;
    // The child: dies with the tests, writes to its files, keeps one descriptor.
    prctl(PR_SET_PDEATHSIG, SIGKILL);
    if (getppid() != parent) _exit(127);
    const int out = open(output.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0644);
    const int err = open(errors.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0644);
    dup2(out, STDOUT_FILENO);
    dup2(err, STDERR_FILENO);
    for (int fd = 3; fd < 1024; ++fd)
        if (fd != inheritedFd) close(fd);
    // Found on the PATH, as a shell would.
    execvpe(argp[0], argp.data(), envp.data());
    std::fprintf(stderr, "cannot run %s: %s\n", argp[0], std::strerror(errno));
    _exit(127);
}

Child::~Child() {
    if (running()) stop(SIGKILL);
}

bool Child::running() {
    if (status_) return false;
    int status = 0;
    if (waitpid(pid_, &status, WNOHANG) != pid_) return true;
    status_ = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    return false;
}

// Without serving the main loop: GTK in this process would take the end of
// the X server for its own and end the process.
std::optional<int> Child::stop(int signal, double seconds) {
    if (running()) kill(pid_, signal);
    if (!pollUntil([&] { return !running(); }, seconds, false)) {
        kill(pid_, SIGKILL);
        pollUntil([&] { return !running(); }, 60, false);
    }
    return status_;
}

Desktop::Desktop(WindowManager manager) {
    XSetErrorHandler(ignoreErrors);
    // The server picks a free display and says which once it takes clients.
    const std::string number = startAndHear(
        server_, {"/usr/bin/Xvfb", "-displayfd", "FD", "-screen", "0", "1280x800x24", "-nolisten", "tcp", "-noreset"},
        environment(), dir_ / "xvfb.log");
    if (number.empty()) throw std::runtime_error("Xvfb did not start: " + readFile(dir_ / "xvfb.log"));
    name_ = ":" + number;
    display_ = XOpenDisplay(name_.c_str());
    if (!display_) throw std::runtime_error("cannot open " + name_);

    fs::create_directories(dir_ / "home");
    if (manager == WindowManager::openbox) startWindowManager();
}

void Desktop::startWindowManager() {
    manager_.emplace(std::vector<std::string>{"/usr/bin/openbox", "--sm-disable"},
                     environment({"HOME=" + (dir_ / "home").string()}), dir_ / "openbox.log", dir_ / "openbox.log");
    // Ready once it manages a window mapped now: it leaves alone one mapped
    // while it starts.
    const Window probe = XCreateSimpleWindow(display_, DefaultRootWindow(display_), 0, 0, 10, 10, 0, 0, 0);
    const bool managing = waitFor([&] {
        XUnmapWindow(display_, probe);
        XMapWindow(display_, probe);
        XSync(display_, False);
        return waitFor([&] { return std::ranges::count(managedWindows(), probe) > 0; }, 2);
    });
    XDestroyWindow(display_, probe);
    XSync(display_, False);
    if (!managing) throw std::runtime_error("openbox manages no window: " + readFile(dir_ / "openbox.log"));
}

// Its programs end after the display closes, its directory last.
Desktop::~Desktop() {
    if (display_) XCloseDisplay(display_);
}

std::vector<std::string> Desktop::environmentOn(const std::string& busAddress,
                                                const std::vector<std::string>& extra) const {
    std::vector<std::string> env;
    for (char** e = environ; *e; ++e) {
        const std::string entry = *e;
        if (entry.starts_with("DISPLAY=") || entry.starts_with("XDG_") || entry.starts_with("WAYLAND_")) continue;
        env.push_back(entry);
    }
    if (!name_.empty()) env.push_back("DISPLAY=" + name_);
    if (busAddress.empty()) {
        // No accessibility bus here: without this GTK would look for one and complain.
        env.push_back("NO_AT_BRIDGE=1");
    } else {
        std::erase_if(env, [](const std::string& entry) {
            return entry.starts_with("DBUS_SESSION_BUS_ADDRESS=") || entry.starts_with("AT_SPI_") ||
                   entry.starts_with("GSETTINGS_BACKEND=") || entry.starts_with("NO_AT_BRIDGE=");
        });
        // What the buses' programs write stays on this desktop, and no setting reaches the user's.
        env.push_back("DBUS_SESSION_BUS_ADDRESS=" + busAddress);
        env.push_back("XDG_RUNTIME_DIR=" + (dir_ / "runtime").string());
        env.push_back("GSETTINGS_BACKEND=memory");
    }
    std::erase_if(env, [&](const std::string& entry) { return overridden(entry, extra); });
    env.insert(env.end(), extra.begin(), extra.end());
    return env;
}

const std::string& Desktop::startSessionBus() {
    if (!busAddress_.empty()) return busAddress_;
    const fs::path runtime = dir_ / "runtime";
    fs::create_directories(runtime);
    fs::permissions(runtime, fs::perms::owner_all, fs::perm_options::replace);
    const std::string address = "unix:path=" + (runtime / "bus").string();
    // The bus says its address once it takes connections: its socket is there
    // a moment before, and a connection in that moment is refused. It starts
    // the accessibility bus with its own environment.
    const std::string said = startAndHear(
        bus_, {"/usr/bin/dbus-daemon", "--session", "--nofork", "--address=" + address, "--print-address=FD"},
        environmentOn(address, {"HOME=" + (dir_ / "home").string()}), dir_ / "bus.log");
    if (said.empty()) throw std::runtime_error("dbus-daemon did not start: " + readFile(dir_ / "bus.log"));
    busAddress_ = address;
    return busAddress_;
}

void Desktop::switchAccessibilityOn() {
    g_variant_unref(accessibilityStatus(
        busAddress_, "Set", g_variant_new("(ssv)", "org.a11y.Status", "IsEnabled", g_variant_new_boolean(TRUE))));
}

bool Desktop::accessibilityIsOn() {
    GVariant* reply = accessibilityStatus(busAddress_, "Get", g_variant_new("(ss)", "org.a11y.Status", "IsEnabled"));
    GVariant* value = nullptr;
    g_variant_get(reply, "(v)", &value);
    const bool on = g_variant_get_boolean(value);
    g_variant_unref(value);
    g_variant_unref(reply);
    return on;
}

Window Desktop::startTray(const std::string& tint) {
    stopTray();
    tray_.emplace(std::vector<std::string>{"trayer", "--edge", "top", "--align", "right", "--widthtype", "request",
                                           "--height", "24", "--SetDockType", "false", "--SetPartialStrut", "false",
                                           "--transparent", "true", "--alpha", "0", "--tint", tint},
                  environment(), dir_ / "trayer.log", dir_ / "trayer.log");
    const Atom selection = XInternAtom(display_, "_NET_SYSTEM_TRAY_S0", False);
    if (!waitFor([&] { return XGetSelectionOwner(display_, selection) != None; }))
        throw std::runtime_error("trayer did not start: " + readFile(dir_ / "trayer.log"));
    return XGetSelectionOwner(display_, selection);
}

void Desktop::stopTray() {
    tray_.reset();
    // The next tray must not take the ended one's selection for its own.
    const Atom selection = XInternAtom(display_, "_NET_SYSTEM_TRAY_S0", False);
    waitFor([&] { return XGetSelectionOwner(display_, selection) == None; });
}

Child Desktop::run(const std::vector<std::string>& argv, const std::string& name,
                   const std::vector<std::string>& extraEnvironment) const {
    // What an earlier run of the same name wrote is not this one's.
    const fs::path output = dir_ / (name + ".out"), errors = dir_ / (name + ".errors");
    fs::remove(output);
    fs::remove(errors);
    return Child(argv, environment(extraEnvironment), output, errors);
}

void Desktop::setMonitors(const std::vector<Box>& monitors) {
    const Window root = DefaultRootWindow(display_);
    for (std::size_t i = 0; i < monitors.size(); ++i) {
        XRRMonitorInfo* info = XRRAllocateMonitor(display_, 0);
        const std::string name = "TEST-" + std::to_string(i);
        info->name = XInternAtom(display_, name.c_str(), False);
        info->primary = i == 0;
        info->x = monitors[i].x;
        info->y = monitors[i].y;
        info->width = monitors[i].width;
        info->height = monitors[i].height;
        info->mwidth = monitors[i].width / 4;
        info->mheight = monitors[i].height / 4;
        XRRSetMonitor(display_, root, info);
        XRRFreeMonitors(info);
    }
    XSync(display_, False);
}

KeyCode Desktop::keycode(unsigned long keysym) {
    // Xlib's own copy of the map is brought up to date only by events this
    // connection never reads; the server's is.
    int min = 0, max = 0, perKey = 0;
    XDisplayKeycodes(display_, &min, &max);
    KeySym* map = XGetKeyboardMapping(display_, static_cast<KeyCode>(min), max - min + 1, &perKey);
    KeyCode found = 0;
    // As Xlib looks: the first column first.
    for (int column = 0; column < perKey && !found; ++column)
        for (int code = min; code <= max && !found; ++code)
            if (map[(code - min) * perKey + column] == keysym) found = static_cast<KeyCode>(code);
    XFree(map);
    return found;
}

std::optional<Box> Desktop::marker() {
    Window root, parent, *children = nullptr;
    unsigned count = 0;
    if (!XQueryTree(display_, DefaultRootWindow(display_), &root, &parent, &children, &count)) return std::nullopt;
    std::optional<Box> found;
    for (unsigned i = 0; i < count && !found; ++i) {
        XWindowAttributes a;
        if (XGetWindowAttributes(display_, children[i], &a) && a.map_state == IsViewable && a.override_redirect &&
            windowClass(children[i]) == "Quillmere")
            found = Box{a.x, a.y, a.width, a.height};
    }
    if (children) XFree(children);
    return found;
}

std::vector<unsigned long> Desktop::items(Window window, const char* property, Atom type) {
    Atom actual;
    int format;
    unsigned long count, after;
    unsigned char* data = nullptr;
    if (XGetWindowProperty(display_, window, XInternAtom(display_, property, False), 0, 4096, False, type, &actual,
                           &format, &count, &after, &data) != Success ||
        !data)
        return {};
    std::vector<unsigned long> found;
    if (format == 32)
        found.assign(reinterpret_cast<unsigned long*>(data), reinterpret_cast<unsigned long*>(data) + count);
    XFree(data);
    return found;
}

std::optional<std::string> Desktop::title(Window window) {
    Atom actual;
    int format;
    unsigned long count, after;
    unsigned char* data = nullptr;
    if (XGetWindowProperty(display_, window, XInternAtom(display_, "_NET_WM_NAME", False), 0, 4096, False,
                           XInternAtom(display_, "UTF8_STRING", False), &actual, &format, &count, &after,
                           &data) != Success ||
        !data)
        return std::nullopt;
    std::string text(reinterpret_cast<char*>(data), count);
    XFree(data);
    return text;
}

std::string Desktop::windowClass(Window window) {
    XClassHint hint{};
    if (!XGetClassHint(display_, window, &hint)) return "";
    std::string found = hint.res_class ? hint.res_class : "";
    XFree(hint.res_name);
    XFree(hint.res_class);
    return found;
}

std::vector<Window> Desktop::managedWindows() {
    return items(DefaultRootWindow(display_), "_NET_CLIENT_LIST", XA_WINDOW);
}

bool Desktop::showsWindow(const std::string& name) {
    return std::ranges::any_of(managedWindows(), [&](Window w) { return title(w) == name; });
}

std::optional<Window> Desktop::activeWindow() {
    const auto active = items(DefaultRootWindow(display_), "_NET_ACTIVE_WINDOW", XA_WINDOW);
    return active.size() == 1 ? std::optional<Window>(active[0]) : std::nullopt;
}

Box Desktop::geometry(Window window) {
    XWindowAttributes a{};
    XGetWindowAttributes(display_, window, &a);
    int x = 0, y = 0;
    Window child;
    XTranslateCoordinates(display_, window, DefaultRootWindow(display_), 0, 0, &x, &y, &child);
    return {x, y, a.width, a.height};
}

MiddleButtonGrab::MiddleButtonGrab(Desktop& desktop) : display_(desktop.x()) {
    unsigned char bits[XIMaskLen(XI_LASTEVENT)] = {};
    XISetMask(bits, XI_ButtonPress);
    XIEventMask mask{XIAllMasterDevices, sizeof bits, bits};
    XIGrabModifiers any{static_cast<int>(XIAnyModifier), 0};
    XIGrabButton(display_, 2, 2, DefaultRootWindow(display_), None, XIGrabModeAsync, XIGrabModeAsync, False, &mask, 1,
                 &any);
    XSync(display_, False);
}

std::size_t MiddleButtonGrab::presses() {
    XSync(display_, False);
    while (XPending(display_)) {
        XEvent event;
        XNextEvent(display_, &event);
        if (event.xcookie.type == GenericEvent && event.xcookie.evtype == XI_ButtonPress) ++presses_;
    }
    return presses_;
}

MiddleButtonGrab::~MiddleButtonGrab() {
    XIGrabModifiers any{static_cast<int>(XIAnyModifier), 0};
    XIUngrabButton(display_, 2, 2, DefaultRootWindow(display_), 1, &any);
    XSync(display_, False);
}

Pointer::Pointer(Desktop& desktop, const std::string& name) : display_(desktop.x()) {
    XIAddMasterInfo add{XIAddMaster, const_cast<char*>(name.c_str()), True, True};
    XIChangeHierarchy(display_, reinterpret_cast<XIAnyHierarchyChangeInfo*>(&add), 1);
    XSync(display_, False);
    int count = 0;
    XIDeviceInfo* devices = XIQueryDevice(display_, XIAllDevices, &count);
    for (int i = 0; i < count; ++i) {
        if (name + " pointer" == devices[i].name) master_ = devices[i].deviceid;
        if (name + " XTEST pointer" == devices[i].name) xtest_ = devices[i].deviceid;
    }
    XIFreeDeviceInfo(devices);
    if (!master_ || !xtest_) throw std::runtime_error("no second pointer for the test");
}

Pointer::~Pointer() {
    XIRemoveMasterInfo remove{XIRemoveMaster, master_, XIFloating, 0, 0};
    XIChangeHierarchy(display_, reinterpret_cast<XIAnyHierarchyChangeInfo*>(&remove), 1);
    XSync(display_, False);
}

void Pointer::click(int x, int y, unsigned button) {
    XIWarpPointer(display_, master_, None, DefaultRootWindow(display_), 0, 0, 0, 0, x, y);
    XDevice* device = XOpenDevice(display_, static_cast<XID>(xtest_));
    XTestFakeDeviceButtonEvent(display_, device, button, True, nullptr, 0, CurrentTime);
    XTestFakeDeviceButtonEvent(display_, device, button, False, nullptr, 0, CurrentTime);
    XCloseDevice(display_, device);
    XSync(display_, False);
}

}  // namespace qm::x11test
