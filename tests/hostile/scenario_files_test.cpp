#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <exception>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "scenario_harness.h"
#include "tools/sim_main.h"

namespace qm::test {
namespace {

struct CliResult {
    int status;
    std::string out;
    std::string err;
};

// Runs the quillmere-sim command line in-process with input as standard input.
// An escaping exception would end the real program, so it counts as a status
// of its own rather than ending the test.
CliResult runCli(const std::vector<std::string>& args, const std::string& input = "") {
    std::istringstream in(input);
    std::ostringstream out, err;
    int status;
    try {
        status = tools::simMain(args, in, out, err);
    } catch (const std::exception& e) {
        status = -1;
        err << "escaped exception: " << e.what();
    }
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
        {R"({"at": 0, "end": true)", "JSON"},
        {R"({"at": 0, "end": true} {"at": 1, "end": true})", "JSON"},
        {R"([{"at": 0, "end": true}])", "object"},
        {R"("at")", "object"},
        {R"({"end": true})", "at"},
        {R"({"at": "0", "end": true})", "at"},
        {R"({"at": null, "end": true})", "at"},
        {R"({"at": -1, "end": true})", "at"},
        {R"({"at": 1e400, "end": true})", "number"},
        {R"({"at": 0})", "action"},
        {R"({"at": 0, "flags": ["shift"]})", "action"},
        {R"({"at": 0, "move": [1, 1], "end": true})", "more than one action"},
        {R"({"at": 0, "jump": true})", "jump"},
        {R"({"at": 0, "move": [1, 1], "flags": ["shift"]})", "flags"},
        {R"({"at": 0, "down": "middle", "notice": "timeout"})", "notice"},
        {R"({"at": 0, "end": true, "colour": "red"})", "colour"},
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
        {R"("frontmost": {"bundle": 7, "pid": 1})", "bundle"},
        {R"("frontmost": {"pid": 2147483648})", "pid"},
        {R"("frontmost": {"pid": 1, "path": "x"})", "path"},
        {R"("defaults": ["excludedBundleIDs"])", "defaults"},
        {R"("window": {"id": 1, "pid": 1, "layer": 0})", "bounds"},
        {R"("window": {"id": 1, "pid": 1, "layer": 0.5, "bounds": [0, 0, 1, 1]})", "layer"},
        {R"("window": {"id": 1, "pid": 1, "layer": 0, "bounds": [0, 0, 1]})", "bounds"},
        {R"("window": {"id": 1, "pid": 1, "layer": 0, "bounds": [0, 0, 1, 1], "title": "x"})", "title"},
        {R"("windowInfo": [1])", "windowInfo"},
        {R"("closeWindow": "1")", "closeWindow"},
        {R"("ax": {"bounds": [0, 0, 1, 1], "roles": []})", "roles"},
        {R"("ax": {"roles": ["AXLink"]})", "bounds"},
        {R"("ax": {"bounds": [0, 0, 1, 1], "roles": ["AXLink"], "depth": 1})", "depth"},
        {R"("move": [1, "2"])", "move"},
        {R"("move": [1e400, 0])", "number"},
        {R"("down": "centre")", "button"},
        {R"("down": 32)", "button"},
        {R"("down": "middle", "flags": "shift")", "flags"},
        {R"("down": "middle", "flags": ["hyper"])", "hyper"},
        {R"("up": true)", "button"},
        {R"("key": 65536)", "key"},
        {R"("launch": false)", "launch"},
        {R"("disableTap": "keyboard")", "disableTap"},
        {R"("disableTap": "mouse", "notice": "crash")", "notice"},
        {R"("end": null)", "end"},
        {R"("refreshRate": 0)", "hz"},
        {R"("refreshRate": "60")", "refreshRate"},
        {R"("refreshRate": {"jitter": 0.001})", "hz"},
        {R"("refreshRate": {"hz": 60, "jitter": 0.02})", "jitter"},
        {R"("refreshRate": {"hz": 60, "jitter": -0.001})", "jitter"},
        {R"("refreshRate": {"hz": 60, "seed": 1.5})", "seed"},
        {R"("refreshRate": {"hz": 60, "phase": 0})", "phase"},
        {R"("menu": "showPreferences")", "menu"},
        {R"("settings": "open")", "settings"},
        {R"("settings": {})", "one control"},
        {R"("settings": {"scrollSpeed": 1, "deadZone": 2})", "one control"},
        {R"("settings": {"scrollSpeed": 5})", "scrollSpeed"},
        {R"("settings": {"deadZone": "10"})", "deadZone"},
        {R"("settings": {"triggerButton": 5})", "triggerButton"},
        {R"("settings": {"triggerButton": 3.0})", "triggerButton"},
        {R"("settings": {"smoothScrolling": 1})", "smoothScrolling"},
        {R"("settings": {"removeExclusion": 7})", "removeExclusion"},
        {R"("settings": {"reset": false})", "reset"},
        {R"("settings": {"speed": 2})", "speed"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.action);
        expectRejected(line(0, c.action), 1, c.mention);
    }
}

TEST(ScenarioRejection, LineNumbersCountBlankAndCommentLines) {
    expectRejected("\n# a comment\n   \n\t# indented comment\n" + line(0, R"("end": true)") + line(1, R"("end": 1)"), 6,
                   "end");
    expectRejected("{\"at\": 0, \"end\": true}\r\n\r\n{\"at\": 1, \"end\": 1}\r\n", 3, "end");
    expectRejected(line(2, R"("end": true)") + "# later\n" + line(1, R"("end": true)"), 3, "back in time");
}

TEST(ScenarioRejection, FaultAfterGoodLinesRunsNothing) {
    // The first five lines alone would launch the program and print a trace.
    ASSERT_NE(runCli({"run"}, launchedInEditor()).out, "");
    expectRejected(launchedInEditor() + line(1, R"("down": "middel")"), 6, "button");
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

TEST_F(CommandLine, BadCommandLinesFailWithStatusTwo) {
    const std::string good = write("good.jsonl", launchedInEditor());
    const std::vector<std::vector<std::string>> commands = {
        {},
        {"scroll"},
        {"RUN"},
        {"run", good, good},
        {"run", "--bogus"},
        {"run", (dir_ / "missing.jsonl").string()},
        // Opening a directory for reading succeeds; reading from it does not.
        {"run", dir_.string()},
        {"demo", "--out"},
        {"demo", "pictures"},
    };
    for (const auto& args : commands) {
        SCOPED_TRACE(::testing::PrintToString(args));
        const CliResult result = runCli(args, launchedInEditor());
        EXPECT_EQ(result.status, 2);
        EXPECT_EQ(result.out, "");
        EXPECT_EQ(result.err.rfind(args.empty() ? "usage: " : "quillmere-sim: ", 0), 0u) << result.err;
    }
    EXPECT_NE(runCli({"run", (dir_ / "missing.jsonl").string()}).err.find("missing.jsonl"), std::string::npos);
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
}

}  // namespace
}  // namespace qm::test
