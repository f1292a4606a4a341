#include "platform/linux/json_defaults_file.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <fstream>
#include <sstream>

namespace qm::desktop {
namespace {

namespace fs = std::filesystem;
using platform::Value;

std::string read(const fs::path& path) {
    std::ifstream in(path);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

class DefaultsFile : public ::testing::Test {
protected:
    void SetUp() override {
        std::string pattern = (fs::temp_directory_path() / "quillmere-defaults-XXXXXX").string();
        ASSERT_TRUE(mkdtemp(pattern.data()));
        dir = pattern;
        file = dir / "quillmere" / "defaults.json";
    }
    void TearDown() override { fs::remove_all(dir); }

    JsonDefaultsFile open() {
        return JsonDefaultsFile(file, [this](const std::string& line) { log.push_back(line); });
    }
    // Written as another process writes it: whole, by renaming.
    void writeAsAnother(const std::string& text) {
        fs::create_directories(file.parent_path());
        std::ofstream(dir / "next") << text;
        fs::rename(dir / "next", file);
    }

    fs::path dir, file;
    std::vector<std::string> log;
};

TEST_F(DefaultsFile, ValuesLastAcrossRunsAndWhatAnotherProcessWritesCountsAtOnce) {
    auto defaults = open();
    EXPECT_FALSE(defaults.boolForKey("didShowOnboarding"));
    defaults.setBool(true, "didShowOnboarding");
    defaults.setObject(Value::Array{"Blender", "Gimp"}, "excludedBundleIDs");

    auto later = open();
    EXPECT_TRUE(later.boolForKey("didShowOnboarding"));
    EXPECT_EQ(later.stringArrayForKey("excludedBundleIDs"), (std::vector<std::string>{"Blender", "Gimp"}));

    writeAsAnother(R"({"didShowOnboarding": "YES", "excludedBundleIDs": "Gimp"})");
    EXPECT_TRUE(later.boolForKey("didShowOnboarding"));
    // A value of the wrong type reads as nothing, and the next write replaces it.
    EXPECT_EQ(later.stringArrayForKey("excludedBundleIDs"), std::nullopt);
    later.setObject(Value(), "didShowOnboarding");
    EXPECT_FALSE(open().boolForKey("didShowOnboarding"));
    EXPECT_EQ(read(file).find("didShowOnboarding"), std::string::npos);
    EXPECT_TRUE(log.empty());
}

TEST_F(DefaultsFile, AFileThatIsNotOneObjectReadsAsEmptyAndIsKeptAside) {
    const std::string broken[] = {"{\"excludedBundleIDs\": [\"Gimp\"", "[1, 2]", std::string(100, '[')};
    for (std::size_t n = 0; n < std::size(broken); ++n) {
        writeAsAnother(broken[n]);
        auto defaults = open();
        EXPECT_EQ(defaults.stringArrayForKey("excludedBundleIDs"), std::nullopt);
        EXPECT_FALSE(fs::exists(file));
        const fs::path aside = n == 0 ? dir / "quillmere" / "defaults.json.bad"
                                      : dir / "quillmere" / ("defaults.json.bad." + std::to_string(n));
        EXPECT_EQ(read(aside), broken[n]) << "nothing of what the user had is lost";
        ASSERT_EQ(log.size(), 2 * (n + 1));
        EXPECT_NE(log[2 * n].find("read as empty"), std::string::npos) << log[2 * n];
        EXPECT_NE(log[2 * n + 1].find(aside.string()), std::string::npos) << log[2 * n + 1];
    }
    // A fresh file starts with the next write.
    open().setBool(true, "didShowOnboarding");
    EXPECT_TRUE(open().boolForKey("didShowOnboarding"));
}

TEST_F(DefaultsFile, AWriteThatFailsIsToldAndKeptForTheRun) {
    // The settings directory cannot be made where a file stands.
    std::ofstream(dir / "quillmere") << "in the way";
    auto defaults = open();
    defaults.setObject(Value::Array{"Gimp"}, "excludedBundleIDs");
    ASSERT_EQ(log.size(), 1u);
    EXPECT_NE(log[0].find("cannot save the settings"), std::string::npos) << log[0];
    EXPECT_EQ(defaults.stringArrayForKey("excludedBundleIDs"), (std::vector<std::string>{"Gimp"}));
}

}  // namespace
}  // namespace qm::desktop
