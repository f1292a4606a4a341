#include "platform/linux/xdg_autostart.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <fstream>

#include "x11/desktop.h"

namespace qm::desktop {
namespace {

namespace fs = std::filesystem;
using platform::LoginItemStatus;

class Autostart : public ::testing::Test {
protected:
    x11test::TempDir temp;
    const fs::path dir = temp.path(), entry = dir / "autostart" / "quillmere.desktop";
};

TEST_F(Autostart, RegisteringWritesAnEntryThatStartsThisProgramAndTheDesktopMaySwitchItOff) {
    XdgAutostart items(entry, "/opt/Quill mere/bin/quillmere");
    std::string error;
    EXPECT_EQ(items.status(), LoginItemStatus::notRegistered);
    ASSERT_TRUE(items.registerApp(error)) << error;
    EXPECT_EQ(items.status(), LoginItemStatus::enabled);
    EXPECT_NE(x11test::readFile(entry).find("\nExec=\"/opt/Quill mere/bin/quillmere\"\n"), std::string::npos)
        << x11test::readFile(entry);

    // Switched off in the desktop's settings, the entry stays but runs nothing.
    for (const std::string off : {"Hidden=true", "X-GNOME-Autostart-enabled=false"}) {
        std::ofstream(entry, std::ios::app) << off << "\n";
        EXPECT_EQ(items.status(), LoginItemStatus::notRegistered) << off;
        ASSERT_TRUE(items.registerApp(error)) << error;
        EXPECT_EQ(items.status(), LoginItemStatus::enabled);
    }

    ASSERT_TRUE(items.unregisterApp(error)) << error;
    EXPECT_FALSE(fs::exists(entry));
    EXPECT_EQ(items.status(), LoginItemStatus::notRegistered);
}

TEST_F(Autostart, PathsAreQuotedAsDesktopEntriesWantAndFailuresSayWhy) {
    // Inside quotes ", `, $ and \ take a backslash, which the value's own
    // escaping doubles; % is the sign of field codes.
    EXPECT_EQ(XdgAutostart::execValue(R"(/a "b" `c` $d \e 100%)"),
              std::optional<std::string>(R"("/a \\"b\\" \\`c\\` \\$d \\\\e 100%%")"));
    EXPECT_EQ(XdgAutostart::execValue("/a\nb"), std::nullopt);

    std::string error;
    EXPECT_FALSE(XdgAutostart(entry, "/a\nb").registerApp(error));
    EXPECT_NE(error.find("line break"), std::string::npos) << error;

    std::ofstream(dir / "autostart") << "in the way";
    EXPECT_FALSE(XdgAutostart(entry, "/usr/bin/quillmere").registerApp(error));
    EXPECT_NE(error.find(entry.string()), std::string::npos) << error;
}

}  // namespace
}  // namespace qm::desktop
