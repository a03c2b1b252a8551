#include "TempDir.h"
#include "platform/Paths.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace quaro {
namespace {

TEST(Paths, UserDataFolderCreatesEveryMissingLevelEachTime) {
    test::TempDir home;
    const auto dataHome = home / "share";  // the root itself is missing too
    const auto folder = UserDataFolder(dataHome, "keyboard");
    EXPECT_EQ(folder, dataHome / "MV5521LUX gaming keyboard" / "keyboard");
    EXPECT_TRUE(std::filesystem::is_directory(folder));

    // Deleted while running: the next call builds it again.
    std::filesystem::remove_all(dataHome / "MV5521LUX gaming keyboard");
    EXPECT_EQ(UserDataFolder(dataHome, "HD"), dataHome / "MV5521LUX gaming keyboard" / "HD");
    EXPECT_TRUE(std::filesystem::is_directory(dataHome / "MV5521LUX gaming keyboard" / "HD"));
}

TEST(Paths, UncreatableFolderYieldsEmptyPath) {
    test::TempDir home;
    test::WriteFileBytes(home / "file", "x");
    EXPECT_TRUE(UserDataFolder(home / "file", "keyboard").empty());
    EXPECT_TRUE(SettingsFolder(home / "file").empty());
}

TEST(Paths, XdgRootsHonourAbsoluteVariablesOnly) {
    const std::string savedData = std::getenv("XDG_DATA_HOME") ? std::getenv("XDG_DATA_HOME") : "";
    const std::string savedHome = std::getenv("HOME") ? std::getenv("HOME") : "";
    ::setenv("HOME", "/home/tester", 1);
    ::setenv("XDG_DATA_HOME", "/data/here", 1);
    ::setenv("XDG_CONFIG_HOME", "relative/config", 1);
    const XdgRoots roots = XdgRootsFromEnvironment();
    EXPECT_EQ(roots.dataHome, "/data/here");
    EXPECT_EQ(roots.configHome, "/home/tester/.config");
    ::unsetenv("XDG_DATA_HOME");
    EXPECT_EQ(XdgRootsFromEnvironment().dataHome, "/home/tester/.local/share");
    ::unsetenv("XDG_CONFIG_HOME");
    savedHome.empty() ? ::unsetenv("HOME") : ::setenv("HOME", savedHome.c_str(), 1);
    if (!savedData.empty()) {
        ::setenv("XDG_DATA_HOME", savedData.c_str(), 1);
    }
}

TEST(Paths, DefaultDataSitsBesideTheExecutable) {
    const auto exeDir = ExecutableDirectory();
    EXPECT_TRUE(std::filesystem::is_directory(exeDir));
    EXPECT_EQ(DefaultDataFolder(exeDir), exeDir / "DefaultData");
}

}  // namespace
}  // namespace quaro
