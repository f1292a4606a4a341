#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "scenario_harness.h"

// The real quillmere-sim, run as a person runs it from a shell: what its main
// does with the process's own streams, exit status and signals.
namespace qm::test {
namespace {

namespace fs = std::filesystem;

struct Outcome {
    bool exited;  // false when a signal ended it
    int status;
    std::string out;
    std::string err;
};

class SimProcess : public testing::Test {
protected:
    void SetUp() override { fs::create_directories(dir_); }
    void TearDown() override { fs::remove_all(dir_); }

    std::string write(const std::string& name, const std::string& text) {
        std::ofstream(dir_ / name, std::ios::binary) << text;
        return (dir_ / name).string();
    }
    std::string read(const std::string& name) const {
        std::ifstream in(dir_ / name, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }
    // Runs the simulator with arguments and redirections as a shell writes them.
    Outcome run(const std::string& arguments) const {
        const std::string command = "cd '" + dir_.string() + "' && '" QUILLMERE_SIM_PATH "' " + arguments +
                                    " 2> err.txt" + (arguments.find('>') == std::string::npos ? " > out.txt" : "");
        const int raw = std::system(command.c_str());
        return {WIFEXITED(raw), WIFEXITED(raw) ? WEXITSTATUS(raw) : WTERMSIG(raw), read("out.txt"), read("err.txt")};
    }

    const fs::path dir_ = fs::path(testing::TempDir()) / ("quillmere-process-" + std::to_string(::getpid()));
};

TEST_F(SimProcess, ALatin1StringsTableRunsWithReplacementCharactersAndOneWarning) {
    write("t.strings", "\"menu.enabled\" = \"Caf\xe9\";\n");
    write("menu.jsonl", launchedInEditor() + line(1, R"("menu": "open")"));
    const Outcome outcome = run("run --strings t.strings menu.jsonl");
    ASSERT_TRUE(outcome.exited) << "signal " << outcome.status;
    EXPECT_EQ(outcome.status, 0) << outcome.err;
    EXPECT_NE(outcome.out.find("\"title\": \"Caf\xEF\xBF\xBD\""), std::string::npos) << outcome.out;
    EXPECT_EQ(outcome.err,
              "quillmere-sim: strings table t.strings: line 1: bytes that are not UTF-8, read as U+FFFD\n");
}

TEST_F(SimProcess, StandardInputThatIsADirectoryIsRefused) {
    const Outcome outcome = run("run < .");
    ASSERT_TRUE(outcome.exited);
    EXPECT_EQ(outcome.status, 2);
    EXPECT_EQ(outcome.out, "");
    EXPECT_EQ(outcome.err, "quillmere-sim: cannot read standard input: Is a directory\n");
}

TEST_F(SimProcess, ATraceThatCannotBeWrittenIsNoSuccess) {
    write("s.jsonl", launchedInEditor());
    const Outcome outcome = run("run s.jsonl > /dev/full");
    ASSERT_TRUE(outcome.exited);
    EXPECT_EQ(outcome.status, 1);
    EXPECT_EQ(outcome.err, "quillmere-sim: cannot write the trace to standard output\n");
}

}  // namespace
}  // namespace qm::test
