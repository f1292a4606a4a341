#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "tools/scenario.h"
#include "tools/sim_main.h"
#include "tools/trace.h"

namespace qm::test {
namespace {

// The format's page, found beside this source so that any build tree reads the same file.
std::string scenariosPage() {
    std::ifstream in(std::filesystem::path(__FILE__).parent_path() / ".." / ".." / "docs" / "scenarios.md");
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Whether a heading of the page names it.
bool hasHeading(const std::string& page, const std::string& name) {
    std::istringstream lines(page);
    for (std::string line; std::getline(lines, line);)
        if (line.starts_with("### ") && line.find("`" + name + "`") != std::string::npos) return true;
    return false;
}

// An action or record that the runner knows and the page does not is one
// nobody can use without reading the code.
TEST(ScenarioDocs, TheFormatPageDescribesEveryActionAndRecord) {
    const std::string page = scenariosPage();
    ASSERT_FALSE(page.empty());
    for (const auto& name : tools::actionNames()) EXPECT_TRUE(hasHeading(page, name)) << "action " << name;
    for (const auto& name : tools::recordNames())
        EXPECT_NE(page.find("| `" + name + "` |"), std::string::npos) << "record " << name;
}

// The code blocks of the page's worked example: the scenario, then its trace.
std::vector<std::string> workedExample(const std::string& page) {
    std::vector<std::string> blocks;
    std::size_t at = page.find("## A worked example");
    while (at != std::string::npos && blocks.size() < 2) {
        const std::size_t start = page.find("```\n", at);
        const std::size_t end = start == std::string::npos ? start : page.find("```\n", start + 4);
        if (end == std::string::npos) break;
        blocks.push_back(page.substr(start + 4, end - start - 4));
        at = end + 4;
    }
    return blocks;
}

// The example was written by the runner; a change to the runner's output must change the page too.
TEST(ScenarioDocs, TheWorkedExampleIsWhatTheRunnerWrites) {
    const std::vector<std::string> blocks = workedExample(scenariosPage());
    ASSERT_EQ(blocks.size(), 2u);
    std::istringstream in(blocks[0]);
    std::ostringstream out, err;
    EXPECT_EQ(tools::simMain({"run"}, {in, out, err}), 0) << err.str();
    EXPECT_EQ(out.str(), blocks[1]);
}

}  // namespace
}  // namespace qm::test
