#include "tools/sim_main.h"

#include <map>
#include <optional>
#include <sstream>
#include <system_error>

#include "tools/demo.h"
#include "tools/files.h"
#include "tools/runner.h"
#include "tools/scenario.h"
#include "tools/strings_loading.h"
#include "tools/trace.h"

namespace qm::tools {

namespace {

constexpr const char* usage =
    "usage: quillmere-sim run [--strings PATH|none] [SCENARIO]\n"
    "                                       run a scenario (JSON Lines; standard input when absent or -)\n"
    "       quillmere-sim demo [--out DIR]  run the built-in demo and write its story and pictures into DIR\n"
    "       quillmere-sim COMMAND --help    more about a command\n";

constexpr const char* runHelp =
    "usage: quillmere-sim run [--strings PATH|none] [SCENARIO]\n"
    "Runs the program in a simulated desktop driven by SCENARIO, one JSON object per\n"
    "line, and writes the trace of what happens to standard output as JSON Lines.\n"
    "Reads standard input when SCENARIO is absent or -. --strings picks the strings\n"
    "table: the program's own by default, none for an empty one (every text shows\n"
    "its key), or the table at PATH.\n"
    "Exit status: 0 when the whole trace was written; 1 when it could not be\n"
    "written; 2 for a bad command line, a strings table that cannot be read, or a\n"
    "bad scenario, which is rejected before anything runs.\n"
    "The format, with every action, record and error: docs/scenarios.md.\n";

constexpr const char* demoHelp =
    "usage: quillmere-sim demo [--out DIR]\n"
    "Runs a built-in scenario with the main gestures and tells what happens. Writes\n"
    "into DIR (default: demo) the story (story.txt), the scenario (scenario.jsonl,\n"
    "which `quillmere-sim run` replays), its trace (trace.jsonl) and pictures: the\n"
    "marker, a plot of the scroll amounts, the status menu and the onboarding pages.\n"
    "Exit status: 0 when everything was written; 1 when a file could not be; 2 for\n"
    "a bad command line or a directory that cannot be made.\n";

enum ExitStatus { succeeded = 0, notWritten = 1, badInput = 2 };

int fail(std::ostream& err, const std::string& message) {
    err << "quillmere-sim: " << message << '\n';
    return badInput;
}

bool wantsHelp(const std::vector<std::string>& args) {
    for (const auto& arg : args)
        if (arg == "--help" || arg == "-h") return true;
    return false;
}

// A command's arguments: options, each at most once and with a value, and operands.
struct Arguments {
    std::map<std::string, std::string> options;
    std::vector<std::string> operands;
};

// The options a command takes, with what their value is, for the messages.
using OptionKinds = std::map<std::string, const char*>;

// Nothing when the arguments are well formed; otherwise what is wrong.
std::optional<std::string> parseArguments(const std::vector<std::string>& args, const OptionKinds& kinds,
                                          Arguments& parsed) {
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg.size() < 2 || arg.front() != '-') {
            parsed.operands.push_back(arg);
            continue;
        }
        const auto kind = kinds.find(arg);
        if (kind == kinds.end()) return "unknown option " + arg;
        if (parsed.options.contains(arg)) return arg + " is given twice";
        if (i + 1 == args.size() || args[i + 1].empty()) return arg + " needs " + kind->second;
        parsed.options[arg] = args[++i];
    }
    return std::nullopt;
}

std::string joined(const std::vector<std::string>& names) {
    std::string text;
    for (const auto& name : names) text += (text.empty() ? "" : ", ") + name;
    return text;
}

std::string runHelpText() {
    return std::string(runHelp) + "Actions: " + joined(actionNames()) + ".\nRecords: " + joined(recordNames()) + ".\n";
}

int runCommand(const std::vector<std::string>& args, const Console& console) {
    if (wantsHelp(args)) {
        console.out << runHelpText();
        return succeeded;
    }
    Arguments parsed;
    if (const auto problem = parseArguments(args, {{"--strings", "a path or none"}}, parsed))
        return fail(console.err, *problem);
    if (parsed.operands.size() > 1) return fail(console.err, "run takes at most one scenario");
    auto strings = loadStrings(parsed.options["--strings"], console.err);
    if (!strings) return badInput;

    const std::string path = parsed.operands.empty() ? "-" : parsed.operands.front();
    const bool fromInput = path == "-";
    std::istringstream file;
    if (!fromInput) {
        std::string reason;
        auto text = readFile(path, reason);
        if (!text) return fail(console.err, "cannot read " + path + ": " + reason);
        file.str(std::move(*text));
    } else if (console.inputIsTerminal) {
        console.err << "quillmere-sim: reading a scenario from standard input; end it with Ctrl-D\n";
    }
    Scenario scenario;
    try {
        scenario = parseScenario(fromInput ? console.in : file);
    } catch (const ScenarioError& e) {
        return fail(console.err, "line " + std::to_string(e.line) + ": " + e.what());
    } catch (const std::system_error& e) {
        return fail(console.err,
                    "cannot read " + (fromInput ? std::string("standard input") : path) + ": " + e.code().message());
    }
    Runner runner(console.out, std::move(*strings));
    runner.run(scenario);
    if (!console.out.flush()) {
        console.err << "quillmere-sim: cannot write the trace to standard output\n";
        return notWritten;
    }
    return succeeded;
}

int demoCommand(const std::vector<std::string>& args, const Console& console) {
    if (wantsHelp(args)) {
        console.out << demoHelp;
        return succeeded;
    }
    Arguments parsed;
    if (const auto problem = parseArguments(args, {{"--out", "a directory"}}, parsed))
        return fail(console.err, "demo: " + *problem);
    if (!parsed.operands.empty()) return fail(console.err, "demo: unexpected argument " + parsed.operands.front());
    const auto out = parsed.options.find("--out");
    return runDemo(out == parsed.options.end() ? "demo" : out->second, console.out, console.err);
}

int dispatch(const std::vector<std::string>& args, const Console& console) {
    if (args.empty()) {
        console.err << usage;
        return badInput;
    }
    const std::vector<std::string> rest(args.begin() + 1, args.end());
    if (args.front() == "run") return runCommand(rest, console);
    if (args.front() == "demo") return demoCommand(rest, console);
    if (args.front() == "--help" || args.front() == "-h") {
        console.out << usage;
        return succeeded;
    }
    console.err << "quillmere-sim: unknown command " << args.front() << '\n' << usage;
    return badInput;
}

}  // namespace

int simMain(const std::vector<std::string>& args, const Console& console) {
    // Whatever escapes is a fault of this program, not of its input; it is
    // told in one line rather than ending the process without a word.
    try {
        return dispatch(args, console);
    } catch (const std::exception& e) {
        std::string what = e.what();
        for (char& c : what)
            if (c == '\n' || c == '\r') c = ' ';
        console.err << "quillmere-sim: internal error: " << what << '\n';
    } catch (...) {
        console.err << "quillmere-sim: internal error\n";
    }
    return badInput;
}

}  // namespace qm::tools
