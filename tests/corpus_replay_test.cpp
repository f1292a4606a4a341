#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <string_view>
#include <vector>

#include "../fuzz/stored_values_input.h"
#include "../fuzz/strings_table_input.h"

namespace qm::test {
namespace {

namespace fs = std::filesystem;

// Found beside this source so that any build tree replays the same files.
fs::path corpusDirectory(const std::string& target) {
    return fs::path(__FILE__).parent_path() / "corpus" / target;
}

std::vector<fs::path> corpusFiles(const std::string& target) {
    std::vector<fs::path> files;
    std::error_code error;
    for (const auto& entry : fs::directory_iterator(corpusDirectory(target), error))
        if (entry.is_regular_file()) files.push_back(entry.path());
    std::sort(files.begin(), files.end());
    return files;
}

std::string contents(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// A test per file, so that a failure (an abort, under the fuzz targets' own
// checks) names the input that caused it.
std::string testName(const testing::TestParamInfo<fs::path>& info) {
    std::string name = info.param.filename().string();
    std::replace_if(
        name.begin(), name.end(), [](char c) { return !std::isalnum(static_cast<unsigned char>(c)); }, '_');
    return name;
}

class StringsTableCorpus : public testing::TestWithParam<fs::path> {};
class StoredValuesCorpus : public testing::TestWithParam<fs::path> {};

TEST_P(StringsTableCorpus, Replays) {
    fuzz::checkStringsTableInput(contents(GetParam()));
}
TEST_P(StoredValuesCorpus, Replays) {
    fuzz::checkStoredValuesInput(contents(GetParam()));
}

INSTANTIATE_TEST_SUITE_P(Corpus, StringsTableCorpus, testing::ValuesIn(corpusFiles("strings_table")), testName);
INSTANTIATE_TEST_SUITE_P(Corpus, StoredValuesCorpus, testing::ValuesIn(corpusFiles("stored_values")), testName);

// Without this a misplaced corpus would replay nothing and pass.
TEST(CorpusReplay, EveryCorpusHasFiles) {
    for (const char* target : {"strings_table", "stored_values"})
        EXPECT_FALSE(corpusFiles(target).empty()) << corpusDirectory(target);
}

}  // namespace
}  // namespace qm::test
