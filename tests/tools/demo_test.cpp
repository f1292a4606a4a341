#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "tools/sim_main.h"

namespace qm::test {
namespace {

namespace fs = std::filesystem;

class Demo : public testing::Test {
protected:
    void TearDown() override { fs::remove_all(root_); }

    int run(const std::vector<std::string>& args, std::string& out, std::string& err) {
        std::istringstream in;
        std::ostringstream o, e;
        const int status = tools::simMain(args, {in, o, e});
        out = o.str();
        err = e.str();
        return status;
    }
    static std::string read(const fs::path& path) {
        std::ifstream in(path, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }

    const fs::path root_ = fs::path(testing::TempDir()) / ("quillmere-demo-" + std::to_string(::getpid()));
};

TEST_F(Demo, TellsAStoryThatRunCanReplayFromTheScenarioItWrites) {
    const fs::path dir = root_ / "out";
    std::string out, err;
    ASSERT_EQ(run({"demo", "--out", dir.string()}, out, err), 0) << err;
    EXPECT_EQ(err, "");
    const std::string story = read(dir / "story.txt");
    EXPECT_TRUE(out.starts_with(story)) << out;
    for (const char* name :
         {"story.txt", "scenario.jsonl", "trace.jsonl", "marker.png", "marker-enlarged.png", "scroll-plot.png",
          "status-menu.png", "onboarding-step1.png", "onboarding-step2.png", "onboarding-step3.png"}) {
        EXPECT_GT(fs::file_size(dir / name), 0u) << name;
        EXPECT_NE(out.find(std::string("\n  ") + name + "\n"), std::string::npos) << name;
    }

    // The excluded application's own window is under its click.
    const std::size_t vm = story.find("VMware Fusion (pid 503)");
    ASSERT_NE(vm, std::string::npos);
    EXPECT_NE(story.find("Process 503 receives the middle press.", vm), std::string::npos) << story.substr(vm);
    EXPECT_EQ(story.find("Process 501 receives", vm), std::string::npos) << story.substr(vm);

    // One column of times, before and after ten seconds.
    const std::regex timed(R"(^  ( *\d+\.\d\d) s  )");
    std::istringstream lines(story);
    std::size_t width = 0, pastTen = 0;
    for (std::string text; std::getline(lines, text);) {
        std::smatch match;
        if (!std::regex_search(text, match, timed)) continue;
        if (width == 0) width = match[1].length();
        EXPECT_EQ(match[1].length(), width) << text;
        pastTen += std::stod(match[1]) >= 10;
    }
    EXPECT_GT(pastTen, 0u);

    std::string replayed;
    ASSERT_EQ(run({"run", (dir / "scenario.jsonl").string()}, replayed, err), 0) << err;
    EXPECT_EQ(replayed, read(dir / "trace.jsonl"));
}

TEST_F(Demo, AFileThatCannotBeWrittenIsNamedAndIsNoSuccess) {
    const fs::path unopenable = root_ / "unopenable", full = root_ / "full", storyless = root_ / "storyless";
    fs::create_directories(unopenable / "trace.jsonl");
    // A disk that fills part way through the run.
    fs::create_directories(full);
    fs::create_symlink("/dev/full", full / "trace.jsonl");
    fs::create_directories(storyless / "story.txt");
    for (const fs::path& file : {unopenable / "trace.jsonl", full / "trace.jsonl", storyless / "story.txt"}) {
        std::string out, err;
        EXPECT_EQ(run({"demo", "--out", file.parent_path().string()}, out, err), 1) << file;
        EXPECT_NE(err.find("quillmere-sim: cannot write " + file.string() + "\n"), std::string::npos) << err;
    }
}

}  // namespace
}  // namespace qm::test
