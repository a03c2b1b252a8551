#include "TempDir.h"
#include "update/UpdateSettings.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sys/stat.h>

namespace quaro {
namespace {

TEST(UpdateServerSettings, SettingsFileOverridesTheBuildsAddress) {
    test::TempDir settings;
    const UpdateServerSettings built = LoadUpdateServerSettings(settings.Path());
    EXPECT_FALSE(built.baseUrl.empty());
    EXPECT_TRUE(built.client.caFile.empty());

    test::WriteFileBytes(settings / kUpdateServerFile,
                         R"({"base_url":"https://127.0.0.1:9/api","ca_file":"/tmp/ca.pem"})");
    const UpdateServerSettings overridden = LoadUpdateServerSettings(settings.Path());
    EXPECT_EQ(overridden.baseUrl, "https://127.0.0.1:9/api/");
    EXPECT_EQ(overridden.client.caFile, "/tmp/ca.pem");

    test::WriteFileBytes(settings / kUpdateServerFile, R"({"base_url":7})");
    EXPECT_EQ(LoadUpdateServerSettings(settings.Path()).baseUrl, built.baseUrl);
}

TEST(UpdateDownloadFolder, IsPrivateToTheUser) {
    test::TempDir cache;
    const std::filesystem::path folder = UpdateDownloadFolder(cache.Path());
    ASSERT_EQ(folder, cache.Path() / "MV5521LUX gaming keyboard" / "UpdateData");
    struct stat info {};
    ASSERT_EQ(::stat(folder.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0700u);

    // A folder others could write into is closed again before anything is put in it.
    ::chmod(folder.c_str(), 0777);
    EXPECT_EQ(UpdateDownloadFolder(cache.Path()), folder);
    ASSERT_EQ(::stat(folder.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0700u);
}

TEST(UpdateDownloadFolder, SymbolicLinkInItsPlaceIsRefused) {
    test::TempDir cache;
    test::TempDir elsewhere;
    std::filesystem::create_directories(cache.Path() / "MV5521LUX gaming keyboard");
    std::filesystem::create_directory_symlink(
        elsewhere.Path(), cache.Path() / "MV5521LUX gaming keyboard" / "UpdateData");
    EXPECT_TRUE(UpdateDownloadFolder(cache.Path()).empty());
}

TEST(UpdateTime, FirstWriteThenStoredDateIsRead) {
    test::TempDir settings;
    EXPECT_EQ(ReadLastCheckText(settings.Path()), "");
    ASSERT_TRUE(WriteLastCheckText(settings.Path(), "2026-1-5"));
    EXPECT_EQ(ReadLastCheckText(settings.Path()), "2026-1-5");
    EXPECT_NE(test::ReadFileBytes(settings / kUpdateTimeFile).find("\"updatelasttime\""),
              std::string::npos);
}

TEST(UpdateTime, DamagedFileIsMovedAsideNotOverwritten) {
    test::TempDir settings;
    test::WriteFileBytes(settings / kUpdateTimeFile, "{ broken");
    EXPECT_EQ(ReadLastCheckText(settings.Path()), "");
    ASSERT_TRUE(WriteLastCheckText(settings.Path(), "2026-2-3"));
    EXPECT_EQ(ReadLastCheckText(settings.Path()), "2026-2-3");
    int aside = 0;
    for (const auto& item : std::filesystem::directory_iterator(settings.Path())) {
        if (item.path().filename().string().starts_with("updatetime.config.damaged-")) {
            EXPECT_EQ(test::ReadFileBytes(item.path()), "{ broken");
            ++aside;
        }
    }
    EXPECT_EQ(aside, 1);
}

TEST(UpdateTime, TodayIsYearMonthDayWithoutPadding) {
    const std::string today = TodayText();
    EXPECT_EQ(std::count(today.begin(), today.end(), '-'), 2);
    EXPECT_EQ(today.find('-'), 4u);
    EXPECT_NE(today[5], '0');
}

}  // namespace
}  // namespace quaro
