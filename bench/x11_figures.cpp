// Figures of the program on a real X11 desktop (Xvfb, openbox, the tests' GTK
// client): what intercepting the middle button adds to a click that goes
// through to the application, and the processor time the program takes idle
// and while scrolling. Machine-dependent, so not a test.
#include <X11/keysym.h>
#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "x11/programs.h"

namespace {

using namespace qm::x11test;
using Clock = std::chrono::steady_clock;

constexpr int samples = 200;

long long nowMicros() {
    return std::chrono::duration_cast<std::chrono::microseconds>(Clock::now().time_since_epoch()).count();
}

// Microseconds from the press leaving this process to the client receiving it, sorted.
std::vector<long long> passedClickLatencies(Desktop& desktop, Client& client) {
    const Box area = client.area();
    desktop.moveTo(area.centerX(), area.centerY());
    std::vector<long long> latencies;
    for (int i = 0; i < samples; ++i) {
        const std::size_t mark = client.size();
        const long long sent = nowMicros();
        desktop.press(2);
        waitFor([&] { return client.count("press 2 ", mark) == 1; });
        desktop.release(2);
        waitFor([&] { return client.count("release 2 ", mark) == 1; });
        // The client stamps each line with the same monotonic clock.
        const auto lines = client.log();
        const auto press = std::find_if(lines.begin() + mark, lines.end(),
                                        [](const std::string& line) { return line.starts_with("press 2 "); });
        if (press != lines.end()) latencies.push_back(std::stoll(press->substr(press->rfind(' ') + 1)) - sent);
    }
    std::sort(latencies.begin(), latencies.end());
    return latencies;
}

void report(const char* what, const std::vector<long long>& sorted) {
    std::printf("%-44s median %6.3f ms   95th percentile %6.3f ms   (%zu clicks)\n", what,
                sorted[sorted.size() / 2] / 1000.0, sorted[sorted.size() * 95 / 100] / 1000.0, sorted.size());
}

// User and system time of a process so far, in seconds.
double cpuSeconds(pid_t pid) {
    std::ifstream in("/proc/" + std::to_string(pid) + "/stat");
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::istringstream fields(text.substr(text.rfind(')') + 2));
    std::string field;
    unsigned long long utime = 0, stime = 0;
    for (int i = 3; i <= 15 && fields >> field; ++i) {
        if (i == 14) utime = std::stoull(field);
        if (i == 15) stime = std::stoull(field);
    }
    return static_cast<double>(utime + stime) / static_cast<double>(sysconf(_SC_CLK_TCK));
}

double cpuOver(pid_t pid, std::chrono::seconds span) {
    const double before = cpuSeconds(pid);
    std::this_thread::sleep_for(span);
    return cpuSeconds(pid) - before;
}

}  // namespace

int main() {
    {
        Desktop desktop;
        Client client(desktop);
        report("passed middle click, without Quillmere", passedClickLatencies(desktop, client));
    }
    Desktop desktop;
    Client client(desktop);
    Program program(desktop, R"({"didShowOnboarding": true})");
    program.waitUntilIntercepting(client);
    // Excluded, so every middle click is decided on and replayed to the client.
    std::ofstream(program.defaultsFile())
        << R"({"didShowOnboarding": true, "excludedBundleIDs": ["QuillmereTestClient"]})";
    report("passed middle click, with Quillmere", passedClickLatencies(desktop, client));

    std::ofstream(program.defaultsFile()) << R"({"didShowOnboarding": true})";
    std::printf("processor time idle for 60 s:          %.3f s\n", cpuOver(program.pid(), std::chrono::seconds(60)));
    const Box area = client.area();
    program.lockAt(area.centerX(), area.centerY() - 100);
    desktop.moveTo(area.centerX(), area.centerY() + 50);
    std::printf("processor time scrolling for 10 s:     %.3f s\n", cpuOver(program.pid(), std::chrono::seconds(10)));
    desktop.tap(XK_Escape);
    program.stop(SIGTERM);
    return 0;
}
