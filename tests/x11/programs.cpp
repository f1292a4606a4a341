#include "x11/programs.h"

#include <X11/keysym.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace qm::x11test {

// Under the sanitizers the client's own leaks are not the tests', and it
// answers at its ordinary pace only with the sanitizers' quick unwinding.
Client::Client(Desktop& desktop)
    : desktop_(desktop),
      logFile_(desktop.dir() / "client.out"),
      process_(desktop.run({QUILLMERE_TEST_CLIENT}, "client", {"ASAN_OPTIONS=detect_leaks=0"})) {
    if (!waitFor([&] { return count("ready ") > 0; }))
        throw std::runtime_error("the test client did not start: " + readFile(desktop.dir() / "client.errors"));
    for (const auto& line : log())
        if (line.starts_with("ready ")) window_ = std::stoul(line.substr(6));
    // The window manager gives it the focus; the program asks who has it.
    if (desktop.hasWindowManager() && !waitFor([&] { return desktop.activeWindow() == window_; }))
        throw std::runtime_error("the test client did not become the active window");
}

std::vector<std::string> Client::log() const {
    return finishedLines(logFile_);
}

std::size_t Client::count(const std::string& prefix, std::size_t from) const {
    const auto lines = log();
    std::size_t n = 0;
    for (std::size_t i = from; i < lines.size(); ++i) n += lines[i].starts_with(prefix);
    return n;
}

double Client::scrollPosition() const {
    double position = 0;
    for (const auto& line : log())
        if (line.starts_with("value ")) position = std::stod(line.substr(6));
    return position;
}

Box Client::place(const std::string& widget) const {
    Box box;
    for (const auto& line : log())
        if (line.starts_with("place " + widget + " "))
            std::sscanf(line.c_str() + 7 + widget.size(), "%d %d %d %d", &box.x, &box.y, &box.width, &box.height);
    return box;
}

std::string executable() {
    const char* named = std::getenv("QUILLMERE_EXECUTABLE");
    return named ? named : QUILLMERE_EXECUTABLE;
}

Program::Program(Desktop& desktop, const std::string& defaults, Session session)
    : desktop_(desktop), config_(desktop.dir() / "config"), errorFile_(desktop.dir() / "quillmere.errors") {
    fs::create_directories(config_ / "quillmere");
    std::ofstream(defaultsFile()) << defaults;
    // The tray item and AT-SPI use the bus; without a tray, the settings window stands in for the tray menu.
    if (session != Session::bare) desktop.startSessionBus();
    if (session == Session::busAndTray && !desktop.hasTray()) desktop.startTray();
    process_.emplace(std::vector<std::string>{executable()},
                     desktop.environment({"XDG_CONFIG_HOME=" + config_.string(), "G_MESSAGES_DEBUG=Quillmere"}),
                     desktop.dir() / "quillmere.out", errorFile_);
}

// A middle click over the client locks a session once the program holds the
// button; until then the click goes to the client, and the next one is tried.
// Only one click is on its way at a time: a second one sent while a slow
// program still decides the first would end that session or start another.
void Program::waitUntilIntercepting(Client& client) {
    const Box area = client.area();
    const bool ready = waitFor(
        [&] {
            if (!process_->running()) throw std::runtime_error("quillmere ended: " + errors());
            const std::size_t locked = messages("escape grab held"), passed = client.count("release 2 ");
            desktop_.click(area.centerX(), area.centerY(), 2);
            waitFor([&] { return messages("escape grab held") > locked || client.count("release 2 ") > passed; });
            return messages("escape grab held") > locked;
        },
        120);
    if (!ready) throw std::runtime_error("quillmere never took the middle button: " + errors());
    desktop_.tap(XK_Escape);
    if (!waitFor([&] { return !desktop_.marker(); })) throw std::runtime_error("Escape did not end the first session");
    // The program's Escape grab freezes the keyboard until it has decided the
    // key: a key pressed before then, a modifier held for the next click, say,
    // would count only after that click. Once a key reaches the client, the
    // keyboard is the user's again.
    const std::size_t keys = client.count("key Control_L");
    desktop_.tap(XK_Control_L);
    if (!waitFor([&] { return client.count("key Control_L") > keys; }))
        throw std::runtime_error("the keyboard never came back to the client: " + errors());
}

void Program::lockAt(int x, int y) {
    const std::size_t before = messages("escape grab held");
    desktop_.click(x, y, 2);
    if (!waitFor([&] { return messages("escape grab held") > before; }))
        throw std::runtime_error("the click locked no session: " + errors());
}

std::size_t Program::messages(const std::string& text) const {
    std::size_t n = 0;
    std::istringstream out(errors());
    for (std::string line; std::getline(out, line);) n += line.find(text) != std::string::npos;
    return n;
}

std::string Program::errors() const {
    return readFile(errorFile_);
}

std::pair<long, long> Program::wheelTotals() const {
    long vertical = 0, horizontal = 0;
    std::istringstream text(errors());
    for (std::string line; std::getline(text, line);) {
        const auto at = line.find(": wheel ");
        long a = 0, b = 0;
        if (line.find("Quillmere-DEBUG") == std::string::npos || at == std::string::npos ||
            std::sscanf(line.c_str() + at, ": wheel %ld %ld", &a, &b) != 2)
            continue;
        vertical += a;
        horizontal += b;
    }
    return {vertical, horizontal};
}

}  // namespace qm::x11test
