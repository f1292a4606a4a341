#include "tools/demo.h"

#include <filesystem>
#include <fstream>
#include <iomanip>
#include <ostream>
#include <sstream>

#include "platform/cairo/view_painter.h"
#include "tools/pictures.h"
#include "tools/runner.h"
#include "tools/strings_loading.h"

namespace qm::tools {

using json::dumpLine;
using json::Json;

namespace {

struct Phase {
    const char* title;
    const char* scenario;
    // What the plot calls the stretch of scrolling this phase makes, if any.
    const char* plotLabel = nullptr;
};

// Two editors, a browser with a link and a virtual machine, side by side.
const Phase phases[] = {
    {"Setting up: TextEdit (pid 501) is frontmost, Safari (pid 502) has a window on the right, "
     "the permission is granted, the onboarding was seen at an earlier launch, and Quillmere starts",
     R"({"at": 0, "trusted": true}
{"at": 0, "defaults": {"didShowOnboarding": true}}
{"at": 0, "frontmost": {"bundle": "com.apple.TextEdit", "name": "TextEdit", "pid": 501}}
{"at": 0, "window": {"id": 2, "pid": 502, "layer": 0, "bounds": [900, 0, 540, 900]}}
{"at": 0, "window": {"id": 1, "pid": 501, "layer": 0, "bounds": [0, 0, 900, 900]}}
{"at": 0, "ax": {"bounds": [1000, 100, 120, 20], "roles": ["AXStaticText", "AXLink", "AXWebArea"]}}
{"at": 0, "launch": true})"},
    {"Hold and drag: a middle press in TextEdit, the pointer dragged 250 points down and back up "
     "past the anchor, then the release",
     R"({"at": 1, "move": [400, 300]}
{"at": 1, "down": "middle"}
{"at": 1.2, "move": [400, 420]}
{"at": 1.6, "move": [400, 550]}
{"at": 2.2, "move": [400, 200]}
{"at": 2.6, "up": "middle"})",
     "hold and drag"},
    {"Click to lock: a middle click without moving, the pointer steered 180 points right and out "
     "of TextEdit's window, then Escape",
     R"({"at": 3, "move": [700, 400]}
{"at": 3, "down": "middle"}
{"at": 3.05, "up": "middle"}
{"at": 3.3, "move": [880, 400]}
{"at": 3.8, "move": [960, 400]}
{"at": 4.4, "key": 53})",
     "click to lock"},
    {"A link in a web application: Safari frontmost, a middle click on a link",
     R"({"at": 5, "frontmost": {"bundle": "com.apple.Safari", "name": "Safari", "pid": 502}}
{"at": 5, "move": [1050, 110]}
{"at": 5, "down": "middle"}
{"at": 5.1, "up": "middle"})"},
    {"An excluded application: VMware Fusion (pid 503) frontmost, its virtual machine's window under the "
     "pointer, keeps its own middle click",
     R"({"at": 6, "frontmost": {"bundle": "com.vmware.fusion", "name": "VMware Fusion", "pid": 503}}
{"at": 6, "window": {"id": 3, "pid": 503, "layer": 0, "bounds": [100, 100, 700, 500]}}
{"at": 6, "move": [300, 300]}
{"at": 6, "down": "middle"}
{"at": 6.1, "up": "middle"})"},
    {"The status menu: TextEdit back in front, the virtual machine's window closed; the user excludes "
     "TextEdit, then switches the engine off",
     R"({"at": 7, "frontmost": {"bundle": "com.apple.TextEdit", "name": "TextEdit", "pid": 501}}
{"at": 7, "closeWindow": 3}
{"at": 7, "menu": "toggleExcludeCurrentApp"}
{"at": 7.5, "menu": "toggleEnabled"}
{"at": 8, "menu": "open"})"},
};

std::string describeButton(int64_t type) {
    switch (type) {
        case 25: return "middle press";
        case 26: return "middle release";
        case 1: return "left press";
        case 3: return "right press";
        default: return "event of type " + std::to_string(type);
    }
}

// The menu in one line: checked items marked, disabled ones in brackets.
std::string menuLine(const Json& items) {
    std::string text;
    for (const Json& item : items) {
        if (!text.empty()) text += " | ";
        if (item == "-") {
            text += "—";
            continue;
        }
        const std::string title = (item["on"] == true ? "✓ " : "") + item["title"].get<std::string>();
        text += item["enabled"] == true ? title : "(" + title + ")";
    }
    return text;
}

std::string at(const Json& point) {
    return "(" + dumpLine(point[0]) + ", " + dumpLine(point[1]) + ")";
}

// Tells one trace record in words; scroll events are summed up per phase.
class Narrator {
public:
    explicit Narrator(std::ostream& out) : out_(out) {}

    void hear(const Json& record) {
        const double t = record["t"].get<double>();
        if (record.contains("scroll")) {
            const Json& s = record["scroll"];
            samples_.push_back({t, s["wheel1"].get<int>(), s["wheel2"].get<int>()});
            if (scrolls_++ == 0) firstScroll_ = t;
            lastScroll_ = t;
            wheel1_ += s["wheel1"].get<int>();
            wheel2_ += s["wheel2"].get<int>();
            if (s["route"] == "pid") ++toPid_;
            return;
        }
        const std::string line = sentence(record);
        // Wide enough for times up to 999.99 s, so that the column stays straight.
        if (!line.empty())
            out_ << "  " << std::fixed << std::setprecision(2) << std::setw(6) << t << " s  " << line << '\n';
    }

    // Sums up the phase's scrolling, and marks its stretch on the plot when it has a label.
    void endPhase(const char* plotLabel) {
        if (scrolls_ > 0) {
            out_ << std::string(12, ' ') << scrolls_ << " scroll events posted, " << wheel1_ << " px vertically and "
                 << wheel2_ << " px horizontally";
            if (toPid_ > 0) out_ << "; " << toPid_ << " of them addressed to the target process at the anchor";
            out_ << ".\n";
            if (plotLabel) stretches_.push_back({firstScroll_, lastScroll_, plotLabel});
        }
        scrolls_ = toPid_ = wheel1_ = wheel2_ = 0;
    }

    const std::vector<ScrollSample>& samples() const { return samples_; }
    const std::vector<PlotStretch>& stretches() const { return stretches_; }

private:
    static std::string sentence(const Json& r) {
        if (r.contains("enabled")) return r["enabled"] == true ? "The engine is on." : "The engine is off.";
        if (r.contains("onboarding")) {
            if (r["onboarding"]["shown"] == false) return "The onboarding window goes away.";
            return "The onboarding window shows step " + std::to_string(r["onboarding"]["step"].get<int>() + 1) +
                   " of 3.";
        }
        if (r.contains("openURL")) return "Quillmere opens " + r["openURL"].get<std::string>() + ".";
        if (r.contains("menu")) return "The status menu opens: " + menuLine(r["menu"]) + ".";
        if (r.contains("defaults"))
            return "Quillmere stores " + r["defaults"]["key"].get<std::string>() + " = " +
                   dumpLine(r["defaults"]["value"]) + ".";
        if (r.contains("state")) return "Session state: " + r["state"].get<std::string>() + ".";
        if (r.contains("escTap"))
            return r["escTap"] == true ? "The Escape tap is installed." : "The Escape tap is removed.";
        if (r.contains("marker")) {
            if (r["marker"].is_null()) return "The marker goes away.";
            return "The marker appears, window frame " + dumpLine(r["marker"]["frame"]) + " (AppKit space).";
        }
        if (r.contains("post"))
            return "Quillmere posts a synthetic " + describeButton(r["post"]["type"].get<int64_t>()) + " at " +
                   at(r["post"]["at"]) + ", tagged " + dumpLine(r["post"]["userData"]) + ".";
        if (r.contains("tapped")) {
            const Json& e = r["tapped"];
            const std::string what = e["tap"] == "escape" ? "Escape" : describeButton(e["type"].get<int64_t>());
            return "The " + e["tap"].get<std::string>() + " tap " +
                   (e["verdict"] == "consume" ? "consumes" : "passes") + " the " + what + " at " + at(e["at"]) + ".";
        }
        if (r.contains("axManual"))
            return "Quillmere asks process " + dumpLine(r["axManual"]) + " to build its accessibility tree.";
        if (r.contains("settings"))
            return r["settings"]["shown"] == true ? "The settings window opens." : "The settings window closes.";
        if (r.contains("displayLink"))
            return r["displayLink"] == true ? "Stepping follows the display's frames." : "The display link stops.";
        if (r.contains("delivered")) {
            const Json& d = r["delivered"];
            const std::string who = d["pid"].is_null() ? "No application" : "Process " + dumpLine(d["pid"]);
            return who + " receives the " + describeButton(d["type"].get<int64_t>()) + ".";
        }
        return {};
    }

    std::ostream& out_;
    std::vector<ScrollSample> samples_;
    std::vector<PlotStretch> stretches_;
    int scrolls_ = 0, toPid_ = 0, wheel1_ = 0, wheel2_ = 0;
    double firstScroll_ = 0, lastScroll_ = 0;
};

// Runs scenario text on the runner and keeps it, so that the whole demo can
// be written out as one scenario that `run` replays.
class Script {
public:
    explicit Script(Runner& runner) : runner_(runner) {}

    void comment(const std::string& text) { text_ += "# " + text + "\n"; }
    void play(const std::string& lines) {
        std::istringstream in(lines);
        runner_.run(parseScenario(in));
        text_ += lines + "\n";
    }
    const std::string& text() const { return text_; }

private:
    Runner& runner_;
    std::string text_;
};

// Shows the onboarding from the menu and pictures each of its pages on the way through.
std::vector<std::pair<std::string, std::string>> walkOnboarding(Script& script, Runner& runner,
                                                                const std::filesystem::path& dir) {
    std::vector<std::pair<std::string, std::string>> pictures;
    script.play(R"({"at": 9, "menu": "showOnboarding"})");
    for (int step = 0; step < 3; ++step) {
        const std::string name = "onboarding-step" + std::to_string(step + 1) + ".png";
        for (sim::SimWindow* window : runner.world().windows().visibleWindows())
            if (window->host())
                pictures.emplace_back(
                    name, cairo::writePagePicture((dir / name).string(), window->host()->tree(), {460, 420}, 2));
        script.play(R"({"at": )" + std::to_string(10 + step) + R"(, "onboarding": ")" + (step < 2 ? "next" : "done") +
                    R"("})");
    }
    return pictures;
}

// Writes text to a file; empty on success, otherwise what went wrong.
std::string writeFile(const std::filesystem::path& path, const std::string& text) {
    std::ofstream file(path, std::ios::binary);
    file << text;
    file.close();
    return file ? std::string() : "cannot write " + path.string();
}

// What the demo leaves in its directory: each file, or what went wrong with it.
using Written = std::vector<std::pair<std::string, std::string>>;

// Opens the settings from the menu, sets the speed to 1.5 times and smooth
// scrolling on a 120 Hz display, pictures the window, and scrolls with it.
Written walkSettings(Script& script, Runner& runner, Narrator& narrator, const std::filesystem::path& dir) {
    script.play(R"({"at": 13, "frontmost": {"bundle": "com.apple.Notes", "name": "Notes", "pid": 504}}
{"at": 13, "window": {"id": 4, "pid": 504, "layer": 0, "bounds": [0, 0, 1440, 900]}}
{"at": 13, "refreshRate": 120}
{"at": 13, "menu": "showSettings"}
{"at": 13.5, "settings": {"scrollSpeed": 1.5}}
{"at": 14, "settings": {"smoothScrolling": true}})");
    Written pictures;
    for (sim::SimWindow* window : runner.world().windows().visibleWindows())
        if (isSettingsWindow(*window))
            pictures.emplace_back("settings.png",
                                  cairo::writePagePicture((dir / "settings.png").string(), window->host()->tree(),
                                                          {window->frame().width, window->frame().height}, 2));
    script.play(R"({"at": 14.5, "settings": "close"}
{"at": 14.5, "frontmost": {"bundle": "com.apple.Notes", "name": "Notes", "pid": 504}}
{"at": 15, "menu": "toggleEnabled"}
{"at": 15, "move": [400, 300]}
{"at": 15, "down": "middle"}
{"at": 15.1, "move": [400, 450]}
{"at": 16, "up": "middle"})");
    narrator.endPhase("smooth, 1.5 times the speed");
    return pictures;
}

// What running the phases leaves: the scenario as played, and the pictures taken on the way.
struct Played {
    std::string scenario;
    Written pictures;
};

// Runs the phases with the trace going to traceFile and tells them on story.
Played runPhases(std::ostream& traceFile, std::ostream& story, Narrator& narrator, const std::filesystem::path& dir) {
    Played played;
    Runner runner(traceFile, strings::parseStringsTable(shippedStrings()));
    runner.trace().setListener([&](const Json& record) { narrator.hear(record); });
    Script script(runner);
    story << "Quillmere in a simulated desktop of one 1440 x 900 display.\n";
    for (const Phase& phase : phases) {
        story << '\n' << phase.title << ":\n";
        script.comment(phase.title);
        script.play(phase.scenario);
        narrator.endPhase(phase.plotLabel);
    }
    // The menu as it was last opened; none when nothing ran, the trace failing from the start.
    if (const sim::SimStatusItem* item = runner.world().statusBar().item())
        played.pictures.emplace_back("status-menu.png",
                                     writeMenuPicture((dir / "status-menu.png").string(), *item->menu()));
    const char* onboardingTitle =
        "Getting Started, chosen from the menu: the onboarding's three pages, Next, Next and Done";
    story << '\n' << onboardingTitle << ":\n";
    script.comment(onboardingTitle);
    for (auto& picture : walkOnboarding(script, runner, dir)) played.pictures.push_back(std::move(picture));
    const char* settingsTitle =
        "Settings…, chosen from the menu: 1.5 times the speed, smooth scrolling on a 120 Hz display, then a drag "
        "in Notes";
    story << '\n' << settingsTitle << ":\n";
    script.comment(settingsTitle);
    for (auto& picture : walkSettings(script, runner, narrator, dir)) played.pictures.push_back(std::move(picture));
    played.scenario = script.text();
    return played;
}

}  // namespace

int runDemo(const std::string& dirName, std::ostream& out, std::ostream& err) {
    const std::filesystem::path dir(dirName);
    std::error_code error;
    std::filesystem::create_directories(dir, error);
    if (error) {
        err << "quillmere-sim: cannot create " << dirName << ": " << error.message() << '\n';
        return 2;
    }
    const std::string tracePath = (dir / "trace.jsonl").string();
    std::ofstream traceFile(tracePath, std::ios::binary);
    if (!traceFile) {
        err << "quillmere-sim: cannot write " << tracePath << '\n';
        return 1;
    }
    std::ostringstream story;
    Narrator narrator(story);
    const Played played = runPhases(traceFile, story, narrator, dir);
    traceFile.close();

    Written written{{"story.txt", writeFile(dir / "story.txt", story.str())},
                    {"scenario.jsonl", writeFile(dir / "scenario.jsonl", played.scenario)},
                    {"trace.jsonl", traceFile ? "" : "cannot write " + tracePath},
                    {"marker.png", writeMarkerPicture((dir / "marker.png").string(), 1)},
                    {"marker-enlarged.png", writeMarkerPicture((dir / "marker-enlarged.png").string(), 8)},
                    {"scroll-plot.png",
                     writeScrollPlot((dir / "scroll-plot.png").string(), narrator.samples(), narrator.stretches())}};
    written.insert(written.end(), played.pictures.begin(), played.pictures.end());

    out << story.str() << "\nThe story, the scenario, its trace and pictures in " << dirName << ":\n";
    int status = 0;
    for (const auto& [name, problem] : written) {
        if (!problem.empty()) {
            err << "quillmere-sim: " << problem << '\n';
            status = 1;
        } else {
            out << "  " << name << '\n';
        }
    }
    if (!out.flush()) {
        err << "quillmere-sim: cannot write the story to standard output\n";
        status = 1;
    }
    return status;
}

}  // namespace qm::tools
