#include "x11/desktop.h"

#include <X11/Xatom.h>
#include <X11/Xutil.h>
#include <X11/extensions/XInput.h>
#include <X11/extensions/XInput2.h>
#include <X11/extensions/XTest.h>
#include <X11/extensions/Xrandr.h>
#include <fcntl.h>
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

std::optional<unsigned long> windowProperty(Display* d, Window window, Atom property, Atom type) {
    Atom actual;
    int format;
    unsigned long count, after;
    unsigned char* data = nullptr;
    if (XGetWindowProperty(d, window, property, 0, 1, False, type, &actual, &format, &count, &after, &data) !=
            Success ||
        !data)
        return std::nullopt;
    std::optional<unsigned long> value;
    if (count == 1 && format == 32) value = *reinterpret_cast<unsigned long*>(data);
    XFree(data);
    return value;
}

// Whether extra sets the variable that entry sets.
bool overridden(const std::string& entry, const std::vector<std::string>& extra) {
    const std::string name = entry.substr(0, entry.find('=') + 1);
    return std::ranges::any_of(extra, [&](const std::string& e) { return e.starts_with(name); });
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
    const auto deadline = Clock::now() + std::chrono::duration<double>(seconds);
    while (!condition()) {
        if (Clock::now() > deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return true;
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

std::optional<int> Child::stop(int signal, double seconds) {
    if (running()) kill(pid_, signal);
    if (!waitFor([&] { return !running(); }, seconds)) {
        kill(pid_, SIGKILL);
        waitFor([&] { return !running(); });
    }
    return status_;
}

void Child::freeze() {
    kill(pid_, SIGSTOP);
}

void Child::thaw() {
    kill(pid_, SIGCONT);
}

Desktop::Desktop(WindowManager manager) {
    XSetErrorHandler(ignoreErrors);
    std::string pattern = (fs::temp_directory_path() / "quillmere-x11-XXXXXX").string();
    if (!mkdtemp(pattern.data())) throw std::runtime_error("cannot make a temporary directory");
    dir_ = pattern;

    // The server picks a free display and says which on the pipe.
    int pipeFds[2];
    if (pipe(pipeFds) != 0) throw std::runtime_error("pipe failed");
    server_.emplace(std::vector<std::string>{"/usr/bin/Xvfb", "-displayfd", std::to_string(pipeFds[1]), "-screen", "0",
                                             "1280x800x24", "-nolisten", "tcp", "-noreset"},
                    environment(), dir_ / "xvfb.log", dir_ / "xvfb.log", pipeFds[1]);
    close(pipeFds[1]);
    std::string number;
    pollfd readable{pipeFds[0], POLLIN, 0};
    while (poll(&readable, 1, 30000) > 0) {
        char c;
        if (read(pipeFds[0], &c, 1) != 1 || c == '\n') break;
        number += c;
    }
    close(pipeFds[0]);
    if (number.empty()) throw std::runtime_error("Xvfb did not start: " + readFile(dir_ / "xvfb.log"));
    name_ = ":" + number;
    display_ = XOpenDisplay(name_.c_str());
    if (!display_) throw std::runtime_error("cannot open " + name_);

    fs::create_directories(dir_ / "home");
    if (manager == WindowManager::none) return;
    manager_.emplace(std::vector<std::string>{"/usr/bin/openbox", "--sm-disable"},
                     environment({"HOME=" + (dir_ / "home").string()}), dir_ / "openbox.log", dir_ / "openbox.log");
    const Window root = DefaultRootWindow(display_);
    const Atom check = XInternAtom(display_, "_NET_SUPPORTING_WM_CHECK", False);
    if (!waitFor([&] { return windowProperty(display_, root, check, XA_WINDOW).has_value(); }))
        throw std::runtime_error("openbox did not start: " + readFile(dir_ / "openbox.log"));
}

Desktop::~Desktop() {
    if (display_) XCloseDisplay(display_);
    tray_.reset();
    bus_.reset();
    manager_.reset();
    server_.reset();
    // Kept on request, to look at the logs of a failing test.
    if (std::getenv("QUILLMERE_KEEP_DESKTOP")) {
        std::fprintf(stderr, "desktop kept in %s\n", dir_.c_str());
        return;
    }
    std::error_code ignored;
    fs::remove_all(dir_, ignored);
}

std::vector<std::string> Desktop::environment(const std::vector<std::string>& extra) const {
    return environmentOn(busAddress_, extra);
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
    const fs::path socket = runtime / "bus";
    const std::string address = "unix:path=" + socket.string();
    // The bus starts the accessibility bus with its own environment.
    bus_.emplace(std::vector<std::string>{"/usr/bin/dbus-daemon", "--session", "--nofork", "--address=" + address},
                 environmentOn(address, {"HOME=" + (dir_ / "home").string()}), dir_ / "bus.log", dir_ / "bus.log");
    if (!waitFor([&] { return fs::exists(socket) || !bus_->running(); }) || !bus_->running())
        throw std::runtime_error("dbus-daemon did not start: " + readFile(dir_ / "bus.log"));
    busAddress_ = address;
    return busAddress_;
}

void Desktop::startTray() {
    if (tray_) return;
    tray_.emplace(std::vector<std::string>{"trayer", "--edge", "top", "--align", "right", "--widthtype", "request",
                                           "--height", "24", "--SetDockType", "false", "--SetPartialStrut", "false"},
                  environment(), dir_ / "trayer.log", dir_ / "trayer.log");
    const Atom selection = XInternAtom(display_, "_NET_SYSTEM_TRAY_S0", False);
    if (!waitFor([&] { return XGetSelectionOwner(display_, selection) != None; }))
        throw std::runtime_error("trayer did not start: " + readFile(dir_ / "trayer.log"));
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

void Desktop::moveTo(int x, int y) {
    XTestFakeMotionEvent(display_, -1, x, y, CurrentTime);
    XSync(display_, False);
}

void Desktop::press(unsigned button) {
    XTestFakeButtonEvent(display_, button, True, CurrentTime);
    XSync(display_, False);
}

void Desktop::release(unsigned button) {
    XTestFakeButtonEvent(display_, button, False, CurrentTime);
    XSync(display_, False);
}

void Desktop::click(unsigned button) {
    press(button);
    release(button);
}

void Desktop::click(int x, int y, unsigned button) {
    moveTo(x, y);
    click(button);
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

void Desktop::keyDown(unsigned long keysym) {
    XTestFakeKeyEvent(display_, keycode(keysym), True, CurrentTime);
    XSync(display_, False);
}

void Desktop::keyUp(unsigned long keysym) {
    XTestFakeKeyEvent(display_, keycode(keysym), False, CurrentTime);
    XSync(display_, False);
}

void Desktop::tap(unsigned long keysym) {
    keyDown(keysym);
    keyUp(keysym);
}

std::optional<Box> Desktop::marker() {
    Window root, parent, *children = nullptr;
    unsigned count = 0;
    if (!XQueryTree(display_, DefaultRootWindow(display_), &root, &parent, &children, &count)) return std::nullopt;
    std::optional<Box> found;
    for (unsigned i = 0; i < count && !found; ++i) {
        XWindowAttributes a;
        XClassHint hint{};
        if (!XGetWindowAttributes(display_, children[i], &a) || a.map_state != IsViewable || !a.override_redirect ||
            !XGetClassHint(display_, children[i], &hint))
            continue;
        if (hint.res_class && std::string(hint.res_class) == "Quillmere") found = Box{a.x, a.y, a.width, a.height};
        XFree(hint.res_name);
        XFree(hint.res_class);
    }
    if (children) XFree(children);
    return found;
}

bool Desktop::showsWindow(const std::string& title) {
    Display* d = display_;
    const Atom list = XInternAtom(d, "_NET_CLIENT_LIST", False), name = XInternAtom(d, "_NET_WM_NAME", False),
               utf8 = XInternAtom(d, "UTF8_STRING", False);
    Atom type;
    int format;
    unsigned long count, after;
    unsigned char* data = nullptr;
    if (XGetWindowProperty(d, DefaultRootWindow(d), list, 0, 1024, False, XA_WINDOW, &type, &format, &count, &after,
                           &data) != Success ||
        !data)
        return false;
    bool found = false;
    for (unsigned long i = 0; i < count && !found; ++i) {
        unsigned char* text = nullptr;
        unsigned long length;
        if (XGetWindowProperty(d, reinterpret_cast<Window*>(data)[i], name, 0, 256, False, utf8, &type, &format,
                               &length, &after, &text) == Success &&
            text)
            found = std::string(reinterpret_cast<char*>(text), length) == title;
        if (text) XFree(text);
    }
    XFree(data);
    return found;
}

std::optional<Window> Desktop::activeWindow() {
    return windowProperty(display_, DefaultRootWindow(display_), XInternAtom(display_, "_NET_ACTIVE_WINDOW", False),
                          XA_WINDOW);
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

void Pointer::moveTo(int x, int y) {
    XIWarpPointer(display_, master_, None, DefaultRootWindow(display_), 0, 0, 0, 0, x, y);
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
