#include "tools/sim_main.h"

#include <filesystem>
#include <fstream>
#include <iostream>

#include "tools/demo.h"
#include "tools/runner.h"
#include "tools/scenario.h"
#include "tools/strings_loading.h"

namespace qm::tools {

namespace {

constexpr const char* usage =
    "usage: quillmere-sim run [--strings PATH|none] [SCENARIO]\n"
    "                                       run a scenario (JSON Lines; standard input when absent or -)\n"
    "       quillmere-sim demo [--out DIR]  run the built-in demo and write its pictures into DIR\n"
    "       quillmere-sim COMMAND --help    more about a command\n";

constexpr const char* runHelp =
    "usage: quillmere-sim run [--strings PATH|none] [SCENARIO]\n"
    "Runs the program in a simulated desktop driven by SCENARIO, one JSON object per\n"
    "line, and writes the trace of what happens to standard output as JSON Lines.\n"
    "Reads standard input when SCENARIO is absent or -. --strings picks the strings\n"
    "table: the program's own by default, none for an empty one (every text shows\n"
    "its key), or the table at PATH. Exit status 2 for a bad command line or a bad\n"
    "scenario, which is rejected before anything runs.\n";

constexpr const char* demoHelp =
    "usage: quillmere-sim demo [--out DIR]\n"
    "Runs a built-in scenario with the main gestures, tells what happens, and writes\n"
    "pictures (the marker and a plot of the scroll amounts) into DIR (default: demo).\n";

int fail(std::ostream& err, const std::string& message) {
    err << "quillmere-sim: " << message << '\n';
    return 2;
}

bool wantsHelp(const std::vector<std::string>& args) {
    for (const auto& arg : args)
        if (arg == "--help" || arg == "-h") return true;
    return false;
}

int runCommand(const std::vector<std::string>& args, std::istream& in, std::ostream& out, std::ostream& err) {
    if (wantsHelp(args)) {
        out << runHelp;
        return 0;
    }
    std::string strings;
    std::vector<std::string> paths;
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--strings") {
            if (i + 1 == args.size() || args[i + 1].empty()) return fail(err, "--strings needs a path or none");
            strings = args[++i];
        } else if (args[i].size() > 1 && args[i].front() == '-') {
            return fail(err, "unknown option " + args[i]);
        } else {
            paths.push_back(args[i]);
        }
    }
    if (paths.size() > 1) return fail(err, "run takes at most one scenario");
    const std::string path = paths.empty() ? "-" : paths.front();
    std::ifstream file;
    if (path != "-") {
        file.open(path);
        if (!file || std::filesystem::is_directory(path)) return fail(err, "cannot read " + path);
    }
    Scenario scenario;
    try {
        scenario = parseScenario(path == "-" ? in : file);
    } catch (const ScenarioError& e) {
        return fail(err, "line " + std::to_string(e.line) + ": " + e.what());
    }
    Runner runner(out, loadStrings(strings, err));
    runner.run(scenario);
    return 0;
}

int demoCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    if (wantsHelp(args)) {
        out << demoHelp;
        return 0;
    }
    std::string dir = "demo";
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--out" && i + 1 < args.size())
            dir = args[++i];
        else
            return fail(err, "demo: unexpected argument " + args[i]);
    }
    return runDemo(dir, out, err);
}

}  // namespace

int simMain(const std::vector<std::string>& args, std::istream& in, std::ostream& out, std::ostream& err) {
    if (args.empty()) {
        err << usage;
        return 2;
    }
    const std::vector<std::string> rest(args.begin() + 1, args.end());
    if (args.front() == "run") return runCommand(rest, in, out, err);
    if (args.front() == "demo") return demoCommand(rest, out, err);
    if (args.front() == "--help" || args.front() == "-h") {
        out << usage;
        return 0;
    }
    err << "quillmere-sim: unknown command " << args.front() << '\n' << usage;
    return 2;
}

}  // namespace qm::tools
