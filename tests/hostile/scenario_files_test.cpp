#include <gtest/gtest.h>
#include <sys/wait.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "scenario_harness.h"
#include "tools/scenario.h"
#include "tools/sim_main.h"
#include "tools/trace.h"

namespace qm::test {
namespace {

struct CliResult {
    int status;
    std::string out;
    std::string err;
};

// Runs the quillmere-sim command line in-process with input as standard input.
CliResult runCli(const std::vector<std::string>& args, const std::string& input = "") {
    std::istringstream in(input);
    std::ostringstream out, err;
    const int status = tools::simMain(args, {in, out, err});
    return {status, out.str(), err.str()};
}

// A rejected scenario: status 2, no trace, one line naming the line at fault
// and a reason that mentions what is wrong.
void expectRejected(const std::string& scenario, int lineNumber, const std::string& mention) {
    const CliResult result = runCli({"run"}, scenario);
    EXPECT_EQ(result.status, 2) << result.err;
    EXPECT_EQ(result.out, "");
    const std::string prefix = "quillmere-sim: line " + std::to_string(lineNumber) + ": ";
    ASSERT_EQ(result.err.rfind(prefix, 0), 0u) << result.err;
    EXPECT_EQ(result.err.find('\n'), result.err.size() - 1) << "not one line: " << result.err;
    const std::string reason = result.err.substr(prefix.size());
    EXPECT_NE(reason.find(mention), std::string::npos) << reason;
}

TEST(ScenarioRejection, FaultyLineIsRejectedWithItsNumberAndReason) {
    struct Case {
        const char* text;
        const char* mention;
    };
    const Case cases[] = {
        {"not json", "JSON"},
        {R"({"at": 0, "end": true} {"at": 1, "end": true})", "JSON"},
        {R"([{"at": 0, "end": true}])", "object"},
        {R"("at")", "object"},
        {R"({"end": true})", "at"},
        {R"({"at": -1, "end": true})", "at"},
        {R"({"at": 1e400, "end": true})", "number"},
        {R"({"at": 0})", "action"},
        {R"({"at": 0, "move": [1, 1], "end": true})", "more than one action"},
        {R"({"at": 0, "jump": true})", "jump"},
        {R"({"at": 0, "move": [1, 1], "flags": ["shift"]})", "flags"},
        {R"({"at": 0, "down": "middle", "notice": "timeout"})", "notice"},
        {R"({"at": 86400.000001, "end": true})", "at"},
        // A repeated key must not get around the rule of one action a line.
        {R"({"at": 1, "menu": "open", "menu": "quit"})", "\"menu\" appears twice"},
        {R"({"at": 1, "at": 2, "end": true})", "\"at\" appears twice"},
        {R"({"at": 0, "defaults": {"k": [{"a": 1}, {"b": {"c": 1, "c": 2}}]}})", "\"c\" appears twice"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        expectRejected(std::string(c.text) + "\n", 1, c.mention);
    }
}

TEST(ScenarioRejection, ArgumentOfTheWrongShapeIsRejected) {
    struct Case {
        const char* action;
        const char* mention;
    };
    const Case cases[] = {
        {R"("screens": [0, 0, 10, 10])", "screen"},
        {R"("screens": [[0, 0, -5, 10]])", "screen"},
        {R"("trusted": "yes")", "trusted"},
        {R"("frontmost": "Safari")", "frontmost"},
        {R"("frontmost": {"bundle": "com.apple.Safari"})", "pid"},
        {R"("frontmost": {"pid": 2147483648})", "pid"},
        {R"("defaults": ["excludedBundleIDs"])", "defaults"},
        {R"("window": {"id": 1, "pid": 1, "layer": 0})", "bounds"},
        {R"("window": {"id": 1, "pid": 1, "layer": 0.5, "bounds": [0, 0, 1, 1]})", "layer"},
        {R"("closeWindow": "1")", "closeWindow"},
        {R"("ax": {"bounds": [0, 0, 1, 1], "roles": []})", "roles"},
        {R"("move": [1, "2"])", "move"},
        {R"("down": "centre")", "button"},
        {R"("down": "middle", "flags": "shift")", "flags"},
        {R"("down": "middle", "flags": ["hyper"])", "hyper"},
        {R"("key": 65536)", "key"},
        {R"("launch": false)", "launch"},
        {R"("disableTap": "keyboard")", "disableTap"},
        // Near the largest double, sums of coordinates would print as null.
        {R"("move": [1.7e308, 0])", "move x"},
        {R"("screens": [[0, 0, 1e300, 900]])", "a screen width"},
        {R"("window": {"id": 1, "pid": 1, "layer": 0, "bounds": [0, 1e10, 1, 1]})", "bounds y"},
        {R"("refreshRate": 0)", "hz"},
        {R"("refreshRate": {"hz": 60, "jitter": 0.02})", "jitter"},
        {R"("refreshRate": {"hz": 60, "seed": 1.5})", "seed"},
        {R"("refreshRate": {"hz": 60, "phase": 0})", "phase"},
        {R"("menu": "showPreferences")", "menu"},
        {R"("settings": "open")", "settings"},
        {R"("settings": {"scrollSpeed": 1, "deadZone": 2})", "one control"},
        {R"("settings": {"scrollSpeed": 5})", "scrollSpeed"},
        {R"("settings": {"triggerButton": 5})", "triggerButton"},
        {R"("settings": {"removeExclusion": 7})", "removeExclusion"},
        {R"("settings": {"speed": 2})", "speed"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.action);
        expectRejected(line(0, c.action), 1, c.mention);
    }
}

// Blank and comment lines count; NUL would stop the parser, which would take
// the line for complete; good lines before a fault run nothing.
TEST(ScenarioRejection, TheLineAtFaultIsNumberedAsAnEditorNumbersIt) {
    // The first five lines alone would launch the program and print a trace.
    ASSERT_NE(runCli({"run"}, launchedInEditor()).out, "");
    const struct {
        std::string text;
        int line;
        const char* mention;
    } cases[] = {
        {"\n# a comment\n   \n\t# indented comment\n" + line(0, R"("end": true)") + line(1, R"("end": 1)"), 6, "end"},
        {"{\"at\": 0, \"end\": true}\r\n\r\n{\"at\": 1, \"end\": 1}\r\n", 3, "end"},
        {line(2, R"("end": true)") + "# later\n" + line(1, R"("end": true)"), 3, "back in time"},
        {launchedInEditor() + R"({"at": 1, "end": true})" + '\0' + R"({"at": 0, "jump": 1})" + "\n", 6,
         "NUL byte at byte 23"},
        {launchedInEditor() + line(1, R"("down": "middel")"), 6, "button"},
    };
    for (const auto& c : cases) expectRejected(c.text, c.line, c.mention);
}

// At the bounds every sum and difference the program makes of coordinates is
// still a number, so no field of the trace can overflow to null.
TEST(ScenarioRejection, CoordinatesAtTheirBoundsGiveATraceOfNumbers) {
    const std::string scenario =
        line(0, R"("screens": [[-1000000000, -1000000000, 1000000000, 1000000000]])") +
        line(
            0,
            R"("window": {"id": 2, "pid": 501, "layer": 0, "bounds": [-1000000000, -1000000000, 1000000000, 1000000000]})") +
        launchedInEditor() + line(1, R"("move": [1000000000, -1000000000])") + line(1, R"("down": "middle")") +
        line(1.1, R"("up": "middle")") + line(1.2, R"("move": [-1000000000, 1000000000])") + line(2, R"("key": 53)");
    const CliResult result = runCli({"run"}, scenario);
    ASSERT_EQ(result.status, 0) << result.err;
    EXPECT_NE(result.out.find("\"marker\": {\"frame\""), std::string::npos);
    EXPECT_NE(result.out.find("\"scroll\""), std::string::npos);
    // The marker taken down is the one null the trace may hold.
    std::string rest = result.out;
    for (std::size_t at; (at = rest.find("\"marker\": null")) != std::string::npos;) rest.erase(at, 15);
    EXPECT_EQ(rest.find("null"), std::string::npos) << result.out;
}

// Runs in a child process: a crash here must not take the other tests with it.
TEST(ScenarioRejectionDeathTest, DeeplyNestedValueIsHandledWithoutCrashing) {
    const int depth = 500000;
    const std::string nested = std::string(depth, '[') + std::string(depth, ']');
    const std::string scenario = line(0, R"("defaults": {"someKey": )" + nested + "}");
    EXPECT_EXIT(
        std::exit(runCli({"run"}, scenario).status),
        [](int status) { return WIFEXITED(status) && (WEXITSTATUS(status) == 0 || WEXITSTATUS(status) == 2); }, "");
}

namespace fs = std::filesystem;

// A scratch directory of this test's own, removed afterwards.
class CommandLine : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = fs::path(::testing::TempDir()) /
               ("quillmere-cli-" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
        fs::create_directories(dir_);
    }
    void TearDown() override { fs::remove_all(dir_); }

    std::string write(const std::string& name, const std::string& text) {
        std::ofstream(dir_ / name) << text;
        return (dir_ / name).string();
    }

    fs::path dir_;
};

TEST_F(CommandLine, BadCommandLinesFailWithStatusTwoAndSayWhy) {
    const std::string good = write("good.jsonl", launchedInEditor());
    const std::string missing = (dir_ / "missing.jsonl").string();
    const struct {
        std::vector<std::string> args;
        std::string mention;
    } cases[] = {
        {{}, "usage: "},
        {{"scroll"}, "unknown command scroll"},
        {{"run", good, good}, "at most one scenario"},
        {{"run", "--bogus"}, "unknown option --bogus"},
        {{"run", missing}, "cannot read " + missing + ": No such file or directory"},
        {{"run", dir_.string()}, "cannot read " + dir_.string() + ": Is a directory"},
        {{"run", "--strings", missing, good}, "strings table " + missing + ": cannot be read: No such file"},
        {{"run", "--strings", dir_.string(), good}, "cannot be read: Is a directory"},
        {{"run", good, "--strings"}, "--strings needs a path or none"},
        {{"demo", "--out"}, "demo: --out needs a directory"},
        {{"demo", "--out", "a", "--out", "b"}, "demo: --out is given twice"},
        {{"demo", "pictures"}, "demo: unexpected argument pictures"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::PrintToString(c.args));
        const CliResult result = runCli(c.args, launchedInEditor());
        EXPECT_EQ(result.status, 2);
        EXPECT_EQ(result.out, "");
        EXPECT_EQ(result.err.rfind(c.args.empty() ? "usage: " : "quillmere-sim: ", 0), 0u) << result.err;
        EXPECT_NE(result.err.find(c.mention), std::string::npos) << result.err;
    }
}

TEST_F(CommandLine, ATerminalIsToldThatAScenarioIsExpected) {
    std::istringstream in(launchedInEditor());
    std::ostringstream out, err;
    EXPECT_EQ(tools::simMain({"run"}, {in, out, err, true}), 0);
    EXPECT_EQ(err.str(), "quillmere-sim: reading a scenario from standard input; end it with Ctrl-D\n");
    EXPECT_EQ(runCli({"run"}, launchedInEditor()).err, "");
}

// Counts how often the stream is flushed, and notes whether each flush came at the end of a line.
class LineCounter : public std::stringbuf {
public:
    int flushes = 0;
    bool allAtLineEnds = true;

protected:
    int sync() override {
        ++flushes;
        allAtLineEnds = allAtLineEnds && str().ends_with('\n');
        return 0;
    }
};

TEST_F(CommandLine, TheTraceIsWrittenOutLineByLine) {
    std::istringstream in(launchedInEditor() + line(1, R"("menu": "open")"));
    LineCounter counter;
    std::ostream counted(&counter);
    std::ostringstream err;
    EXPECT_EQ(tools::simMain({"run"}, {in, counted, err}), 0);
    const std::string trace = counter.str();
    EXPECT_GE(counter.flushes, std::count(trace.begin(), trace.end(), '\n'));
    EXPECT_TRUE(counter.allAtLineEnds);
}

// Whatever escapes the commands is told in one line, and the status is not success.
TEST_F(CommandLine, AnExceptionThatEscapesIsToldInOneLine) {
    std::istringstream in(launchedInEditor());
    std::ofstream full("/dev/full");
    full.exceptions(std::ios::badbit);
    std::ostringstream err;
    EXPECT_EQ(tools::simMain({"run"}, {in, full, err}), 2);
    const std::string said = err.str();
    EXPECT_TRUE(said.starts_with("quillmere-sim: internal error: ")) << said;
    EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), 1) << said;
}

TEST_F(CommandLine, ScenarioFileAndStandardInputGiveTheSameTrace) {
    const std::string path = write("good.jsonl", launchedInEditor());
    const CliResult fromFile = runCli({"run", path});
    EXPECT_EQ(fromFile.status, 0) << fromFile.err;
    EXPECT_NE(fromFile.out, "");
    EXPECT_EQ(fromFile.out, runCli({"run", "-"}, launchedInEditor()).out);
    EXPECT_EQ(fromFile.out, runCli({"run"}, launchedInEditor()).out);
}

TEST_F(CommandLine, HelpSucceedsWithoutRunningAnything) {
    for (const auto& args : std::vector<std::vector<std::string>>{{"run", "--help"}, {"demo", "--help"}, {"--help"}}) {
        SCOPED_TRACE(::testing::PrintToString(args));
        // Standard input holds a scenario that must not be read.
        const CliResult result = runCli(args, launchedInEditor());
        EXPECT_EQ(result.status, 0);
        EXPECT_EQ(result.out.rfind("usage: ", 0), 0u) << result.out;
        EXPECT_EQ(result.err, "");
    }
    // The run's help names every action and record, and where they are described.
    const std::string help = runCli({"run", "--help"}).out;
    EXPECT_NE(help.find("docs/scenarios.md"), std::string::npos);
    const auto listed = [&](const std::string& name) {
        return help.find(" " + name + ",") != std::string::npos || help.find(" " + name + ".") != std::string::npos;
    };
    for (const auto& name : tools::actionNames()) EXPECT_TRUE(listed(name)) << name;
    for (const auto& name : tools::recordNames()) EXPECT_TRUE(listed(name)) << name;
}

}  // namespace
}  // namespace qm::test
