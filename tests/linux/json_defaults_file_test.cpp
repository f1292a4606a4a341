#include "platform/linux/json_defaults_file.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <fstream>

#include "x11/desktop.h"

namespace qm::desktop {
namespace {

namespace fs = std::filesystem;
using platform::Value;
using x11test::readFile;
// The file's changes are noticed on GLib's main loop, which the wait serves.
using x11test::waitFor;

class DefaultsFile : public ::testing::Test {
protected:
    JsonDefaultsFile open() {
        return JsonDefaultsFile(file, [this](const std::string& line) { log.push_back(line); });
    }
    // Written as another process writes it: whole, by renaming.
    void writeAsAnother(const std::string& text) {
        fs::create_directories(file.parent_path());
        std::ofstream(dir / "next") << text;
        fs::rename(dir / "next", file);
    }

    x11test::TempDir temp;
    const fs::path dir = temp.path(), file = dir / "quillmere" / "defaults.json";
    std::vector<std::string> log;
};

TEST_F(DefaultsFile, ValuesLastAcrossRunsAndWhatAnotherProcessWritesCountsOnceNoticed) {
    auto defaults = open();
    EXPECT_FALSE(defaults.boolForKey("didShowOnboarding"));
    defaults.setBool(true, "didShowOnboarding");
    defaults.setObject(Value::Array{"Blender", "Gimp"}, "excludedBundleIDs");

    auto later = open();
    EXPECT_TRUE(later.boolForKey("didShowOnboarding"));
    EXPECT_EQ(later.stringArrayForKey("excludedBundleIDs"), (std::vector<std::string>{"Blender", "Gimp"}));

    writeAsAnother(R"({"didShowOnboarding": "YES", "excludedBundleIDs": "Gimp"})");
    // A value of the wrong type reads as nothing, and the next write replaces it.
    ASSERT_TRUE(waitFor([&] { return !later.stringArrayForKey("excludedBundleIDs"); }));
    EXPECT_TRUE(later.boolForKey("didShowOnboarding"));
    // Written in place, the file is read once its writer has closed it.
    std::ofstream(file) << R"({"didShowOnboarding": false})";
    ASSERT_TRUE(waitFor([&] { return !later.boolForKey("didShowOnboarding"); }));
    later.setObject(Value(), "didShowOnboarding");
    EXPECT_FALSE(open().boolForKey("didShowOnboarding"));
    EXPECT_EQ(readFile(file).find("didShowOnboarding"), std::string::npos);
    EXPECT_TRUE(log.empty());
}

// What is not a file to read, or too large to be settings, is never waited
// on nor read whole: it is told once, and the settings read before stay.
TEST_F(DefaultsFile, AFifoADeviceOrAHugeFileIsToldOnceAndTheLastSettingsStay) {
    writeAsAnother(R"({"excludedBundleIDs": ["Gimp"]})");
    auto defaults = open();
    int changes = 0;
    defaults.setOnChange([&] { ++changes; });
    const fs::path next = dir / "next";
    const std::vector<std::pair<std::function<void(int)>, std::string>> hostile{
        {[&](int) { ASSERT_EQ(mkfifo(next.c_str(), 0600), 0); }, "not a regular file"},
        {[&](int again) { fs::create_symlink(again ? "/dev/null" : "/dev/zero", next); }, "not a regular file"},
        {[&](int) { std::ofstream(next) << R"({"a": ")" << std::string(1 << 20, 'x') << "\"}"; }, "larger than 1 MiB"}};
    for (std::size_t n = 0; n < hostile.size(); ++n) {
        const auto& [make, told] = hostile[n];
        const std::size_t before = log.size();
        // Come again, it is not told again.
        for (int again = 0; again < 2; ++again) {
            const int seen = changes;
            make(again);
            fs::rename(next, file);
            ASSERT_TRUE(waitFor([&] { return changes > seen; })) << told;
        }
        ASSERT_EQ(log.size(), before + 1) << told;
        EXPECT_NE(log.back().find(told), std::string::npos) << log.back();
        const std::vector<std::string> kept{n == 0 ? "Gimp" : "Gimp" + std::to_string(n)};
        EXPECT_EQ(defaults.stringArrayForKey("excludedBundleIDs"), kept);
        EXPECT_FALSE(fs::exists(file.string() + ".bad"));
        // A good file is read as ever.
        const std::string good = "Gimp" + std::to_string(n + 1);
        writeAsAnother(R"({"excludedBundleIDs": [")" + good + "\"]}");
        ASSERT_TRUE(waitFor([&] { return defaults.stringArrayForKey("excludedBundleIDs")->front() == good; }));
    }
}

TEST_F(DefaultsFile, AFileThatIsNotOneObjectReadsAsEmptyAndIsKeptAsideSayingWhere) {
    // A settings file nested half a million deep is no reason to crash.
    const std::string deep = "{\"a\": " + std::string(500000, '[') + std::string(500000, ']') + "}";
    const std::pair<std::string, std::string> broken[] = {
        {"{\"excludedBundleIDs\": [\"Gimp\"", "line 1, column 30"},
        {"[1, 2]", "not a JSON object"},
        {deep, "nests too deeply"},
        {"{\"deadZone\": 4,\n  \"scrollSpeed\": 1e400}", "line 2, column 18"},
        {"{\"deadZone\": 4,\n\"scrollSpeed\": NaN}", "line 2, column 16"},
        {"{\"excludedBundleIDs\": [\"Caf\xE9\"]}", "line 1, column 29"}};
    for (std::size_t n = 0; n < std::size(broken); ++n) {
        const auto& [text, told] = broken[n];
        writeAsAnother(text);
        auto defaults = open();
        EXPECT_EQ(defaults.stringArrayForKey("excludedBundleIDs"), std::nullopt);
        EXPECT_FALSE(fs::exists(file));
        const fs::path aside = n == 0 ? dir / "quillmere" / "defaults.json.bad"
                                      : dir / "quillmere" / ("defaults.json.bad." + std::to_string(n));
        EXPECT_EQ(readFile(aside), text) << "nothing of what the user had is lost";
        ASSERT_EQ(log.size(), 2 * (n + 1));
        EXPECT_NE(log[2 * n].find("read as empty"), std::string::npos) << log[2 * n];
        EXPECT_NE(log[2 * n].find(told), std::string::npos) << log[2 * n];
        EXPECT_NE(log[2 * n + 1].find(aside.string()), std::string::npos) << log[2 * n + 1];
    }
    // A fresh file starts with the next write.
    open().setBool(true, "didShowOnboarding");
    EXPECT_TRUE(open().boolForKey("didShowOnboarding"));
}

// The file is replaced, never rewritten in place: a reader that opened it
// before reads the old text whole. A link to it stays a link, as dotfile
// managers keep it, and text that is not UTF-8 is written all the same.
TEST_F(DefaultsFile, AWriteReplacesTheFileWholeThroughALinkWhateverItsText) {
    const fs::path kept = dir / "dotfiles" / "quillmere.json";
    fs::create_directories(kept.parent_path());
    fs::create_directories(file.parent_path());
    const std::string old = R"({"excludedBundleIDs": ["Gimp"]})";
    std::ofstream(kept) << old;
    fs::create_symlink(kept, file);
    auto defaults = open();
    const int reader = ::open(file.c_str(), O_RDONLY);
    ASSERT_GE(reader, 0);

    EXPECT_NO_THROW(defaults.setObject(Value::Array{"Caf\xE9", "Gimp"}, "excludedBundleIDs"));
    std::string seen(old.size() + 1, '\0');
    EXPECT_EQ(pread(reader, seen.data(), seen.size(), 0), static_cast<ssize_t>(old.size()));
    seen.resize(old.size());
    EXPECT_EQ(seen, old);
    close(reader);

    EXPECT_TRUE(fs::is_symlink(file));
    EXPECT_EQ(open().stringArrayForKey("excludedBundleIDs"), (std::vector<std::string>{"Caf\uFFFD", "Gimp"}));
    EXPECT_TRUE(log.empty()) << log.front();
}

TEST_F(DefaultsFile, AWriteThatFailsIsToldOnceWithItsCauseAndKeptForTheRun) {
    // The settings folder cannot be made where a file stands.
    std::ofstream(dir / "quillmere") << "in the way";
    auto defaults = open();
    std::vector<std::string> failures;
    defaults.setOnSaveFailure([&](const std::string& reason) { failures.push_back(reason); });
    defaults.setObject(Value::Array{"Gimp"}, "excludedBundleIDs");
    defaults.setBool(true, "didShowOnboarding");
    ASSERT_EQ(log.size(), 1u);
    EXPECT_NE(log[0].find("cannot save the settings"), std::string::npos) << log[0];
    EXPECT_NE(log[0].find("cannot make the folder " + (dir / "quillmere").string()), std::string::npos) << log[0];
    EXPECT_EQ(failures.size(), 1u);
    EXPECT_EQ(defaults.stringArrayForKey("excludedBundleIDs"), (std::vector<std::string>{"Gimp"}));
    EXPECT_TRUE(defaults.boolForKey("didShowOnboarding"));

    // Without a home folder nothing is written anywhere, least of all here.
    JsonDefaultsFile homeless({}, [&](const std::string& line) { log.push_back(line); });
    homeless.setBool(true, "didShowOnboarding");
    ASSERT_EQ(log.size(), 2u);
    EXPECT_NE(log[1].find("no home folder"), std::string::npos) << log[1];
    EXPECT_TRUE(homeless.boolForKey("didShowOnboarding"));
}

// The password database knows the home when the environment does not.
TEST(StandardDefaultsFile, WithoutHomeOrConfigHomeIsStillAbsolute) {
    const char* home = getenv("HOME");
    const std::string kept = home ? home : "";
    unsetenv("HOME");
    unsetenv("XDG_CONFIG_HOME");
    const fs::path file = JsonDefaultsFile::standardFile();
    if (home) setenv("HOME", kept.c_str(), 1);
    EXPECT_TRUE(file.is_absolute()) << file;
    EXPECT_EQ(file.filename(), "defaults.json");
}

}  // namespace
}  // namespace qm::desktop
