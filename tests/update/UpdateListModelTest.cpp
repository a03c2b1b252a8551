#include "update/UpdateListModel.h"

#include <gtest/gtest.h>

namespace quaro {
namespace {

UpdateResult Answer(int32_t status, const char* name, const char* newest, const char* path) {
    UpdateResult result;
    result.status = status;
    result.name = name;
    result.currentVersionText = "V0100";
    result.newestVersionText = newest;
    result.downloadPath = path;
    return result;
}

UpdateResult Unreachable() {
    UpdateResult result;
    result.name = "NO_LINK_SERVER";
    return result;
}

// Two firmware lines and the application, as the settings window gets them.
std::vector<UpdateEntry> ThreeEntries() {
    std::vector<UpdateEntry> entries = BuildUpdateEntries({0x0100, 0x0100}, 10);
    entries.erase(entries.begin() + 2);
    return entries;
}

TEST(UpdateListRows, ProvisionalRowsNameTheApplicationAp) {
    UpdateListModel model;
    model.AddProvisionalRows(BuildUpdateEntries({}, 10));
    ASSERT_EQ(model.Rows().size(), 4u);
    EXPECT_EQ(model.Rows()[3].name, "AP");
    EXPECT_EQ(model.Rows()[3].currentVersionText, "V1000.02");
    EXPECT_EQ(model.Rows()[0].currentVersionText, "V0000");
    EXPECT_EQ(model.Rows()[0].state, kRowDone);
}

TEST(UpdateListRows, EveryLineUnreachableShowsUpToDateAndNoServer) {
    const auto entries = ThreeEntries();
    UpdateListModel model("/cache/UpdateData");
    model.AddProvisionalRows(entries);
    for (size_t k = 0; k < entries.size(); ++k) {
        model.ApplyResult(k, entries[k], Unreachable());
    }
    EXPECT_EQ(model.FinishCheck(), kStatusNoServer);
    for (const UpdateRow& row : model.Rows()) {
        EXPECT_EQ(row.state, kRowDone);
        EXPECT_FALSE(row.enabled);
    }
    EXPECT_EQ(model.Rows()[2].currentVersionText, "V1000.02");
    EXPECT_TRUE(model.CanClose());
}

TEST(UpdateListRows, SomeReachedNothingNewIsLatestAndNewerRowsAreTicked) {
    const auto entries = ThreeEntries();
    UpdateListModel latest;
    latest.AddProvisionalRows(entries);
    latest.ApplyResult(0, entries[0], Unreachable());
    latest.ApplyResult(1, entries[1], Answer(kStatusCurrent, "QN4", "V0100", ""));
    latest.ApplyResult(2, entries[2], UpdateResult{});
    EXPECT_EQ(latest.FinishCheck(), kStatusLatest);
    EXPECT_EQ(latest.Rows()[1].newestVersionText, "");  // hidden for an up-to-date row

    UpdateListModel newer("/cache/UpdateData");
    newer.AddProvisionalRows(entries);
    newer.ApplyResult(0, entries[0], Answer(kStatusNewer, "../../evil", "V0105", "https://h/a"));
    EXPECT_EQ(newer.FinishCheck(), kStatusHaveUpdate);
    EXPECT_TRUE(newer.Rows()[0].ticked);
    EXPECT_TRUE(newer.Rows()[0].enabled);
    EXPECT_EQ(newer.Rows()[0].name, "QN4");
    EXPECT_EQ(newer.Rows()[0].result.localFile, "/cache/UpdateData/QN4.exe");
}

class UpdateListFlow : public ::testing::Test {
protected:
    void SetUp() override {
        entries = ThreeEntries();
        model.AddProvisionalRows(entries);
        model.ApplyResult(0, entries[0], Answer(kStatusNewer, "QN4", "V0105", "https://h/QN4"));
        model.ApplyResult(1, entries[1], Answer(kStatusNewer, "MV", "V0106", "https://h/MV"));
        model.ApplyResult(2, entries[2], Answer(kStatusNewer, "AP", "V11", "https://h/AP"));
        model.FinishCheck();
    }
    std::vector<UpdateEntry> entries;
    UpdateListModel model{"/cache/UpdateData"};
};

TEST_F(UpdateListFlow, ConfirmQueuesTickedRowsAndLocksTheOthers) {
    model.SetTicked(2, false);
    const auto jobs = model.ConfirmUpdate();
    ASSERT_EQ(jobs.size(), 2u);
    EXPECT_EQ(jobs[0].row, 0u);
    EXPECT_EQ(jobs[0].url, "https://h/QN4");
    EXPECT_EQ(jobs[1].row, 1u);
    EXPECT_EQ(model.Rows()[0].state, kRowDownloadWait);
    EXPECT_FALSE(model.Rows()[2].enabled);
    EXPECT_FALSE(model.CanClose());
}

TEST_F(UpdateListFlow, TwoRowsInstallOneAtATimeInRowOrder) {
    model.SetTicked(2, false);
    for (const auto& job : model.ConfirmUpdate()) {
        model.StartDownload(job.row);
        EXPECT_EQ(model.Rows()[job.row].state, kRowDownloading);
        model.Progress(job.row, 2500, 1024);
        EXPECT_EQ(model.Rows()[job.row].percent, 40);
        model.Progress(job.row, 2500, 2500);
        EXPECT_EQ(model.Rows()[job.row].state, kRowDownloaded);
    }
    EXPECT_EQ(model.NextInstall(), 0u);
    EXPECT_EQ(model.NextInstall(), std::nullopt);  // the first still installs
    EXPECT_FALSE(model.CanClose());
    EXPECT_EQ(model.InstallerFinished(), std::nullopt);  // row 1 is still to do
    EXPECT_EQ(model.Rows()[0].state, kRowDone);
    EXPECT_EQ(model.Rows()[0].currentVersionText, "V0105");
    EXPECT_EQ(model.NextInstall(), 1u);
    EXPECT_EQ(model.InstallerFinished(), kStatusHaveUpdate);  // the unticked AP row remains
    EXPECT_TRUE(model.Rows()[2].enabled);
    EXPECT_TRUE(model.CanClose());
}

TEST_F(UpdateListFlow, FailedDownloadAndInstallLeaveRowsToRetry) {
    model.SetTicked(1, false);
    model.SetTicked(2, false);
    auto jobs = model.ConfirmUpdate();
    model.StartDownload(jobs[0].row);
    model.Progress(jobs[0].row, 0, 0);
    EXPECT_EQ(model.Rows()[0].state, kRowFailed);
    EXPECT_TRUE(model.Rows()[0].enabled);
    EXPECT_TRUE(model.CanClose());
    EXPECT_EQ(model.NextInstall(), std::nullopt);

    jobs = model.ConfirmUpdate();  // a failed row is downloaded again
    ASSERT_EQ(jobs.size(), 1u);
    model.StartDownload(0);
    model.Progress(0, 10, 10);
    EXPECT_EQ(model.NextInstall(), 0u);
    model.InstallerFailed();
    EXPECT_EQ(model.Rows()[0].state, kRowFailed);
    EXPECT_EQ(model.InstallerFinished(), std::nullopt);  // a late report changes nothing
    EXPECT_EQ(model.Rows()[0].state, kRowFailed);
}

TEST_F(UpdateListFlow, LastInstallLeavingNothingIsLatest) {
    auto jobs = model.ConfirmUpdate();
    ASSERT_EQ(jobs.size(), 3u);
    for (const auto& job : jobs) {
        model.StartDownload(job.row);
        model.Progress(job.row, 1, 1);
    }
    std::optional<int> status;
    while (const auto row = model.NextInstall()) {
        model.InstallerProgress(50);
        EXPECT_EQ(model.Rows()[*row].percent, 50);
        status = model.InstallerFinished();
    }
    EXPECT_EQ(status, kStatusLatest);
}

}  // namespace
}  // namespace quaro
