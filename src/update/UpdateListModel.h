#pragma once

#include "update/UpdateProtocol.h"

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace quaro {

// Row states of the update list, in the order a row goes through them.
enum UpdateRowState : int {
    kRowLess = 0,
    kRowNeed = 1,
    kRowNeedToo = 2,
    kRowDownloadWait = 3,
    kRowDownloading = 4,
    kRowDownloaded = 5,
    kRowInstalling = 6,
    kRowDone = 7,
    kRowFailed = 8,
};

// Window-wide states: checking, something to update, no server, updating, all up to date.
enum UpdateWindowStatus : int {
    kStatusChecking = 0,
    kStatusHaveUpdate = 1,
    kStatusNoServer = 2,
    kStatusUpdating = 3,
    kStatusLatest = 4,
};

struct UpdateRow {
    std::string name;
    std::string currentVersionText;
    std::string newestVersionText;
    int state = kRowDone;
    bool ticked = false;
    bool enabled = false;
    int percent = 0;
    std::string downloadPath;
    UpdateResult result;  // result.localFile: where the installer is downloaded to
};

// The settings window's update list without its widgets: what each row shows, which rows are
// downloaded and installed in which order, and when the window may close. Used on the UI thread
// only; workers hand it their results through posted calls.
class UpdateListModel {
public:
    struct DownloadJob {
        size_t row;
        std::string url;
        std::filesystem::path file;
    };

    explicit UpdateListModel(std::filesystem::path downloadFolder = {})
        : m_downloadFolder(std::move(downloadFolder)) {}

    // A row per entry before the server answered: name and version, up to date.
    void AddProvisionalRows(const std::vector<UpdateEntry>& entries);
    // The server's answer for row k (entry k).
    void ApplyResult(size_t k, const UpdateEntry& entry, UpdateResult result);
    // After the last answer: rows with something newer are ticked; the window status.
    int FinishCheck();

    bool AnyTicked() const;
    void SetTicked(size_t row, bool ticked);
    // "update_OK_btn": ticked rows wait for their download, the others can no longer be ticked.
    // The downloads to run, in row order (rows that failed before are tried again).
    std::vector<DownloadJob> ConfirmUpdate();
    void StartDownload(size_t row);
    // (total, done) of a row's download: percentage, done at total, failed at total 0.
    void Progress(size_t row, double total, double done);

    // The next downloaded row to install, now marked installing; none while one installs.
    std::optional<size_t> NextInstall();
    std::optional<size_t> CurrentInstall() const { return m_currentInstall; }
    // The current installer finished; the new window status when the last ticked row is done.
    std::optional<int> InstallerFinished();
    void InstallerFailed();
    void InstallerProgress(int percent);

    // False while a row waits for or is in a download or an installation.
    bool CanClose() const;
    const std::vector<UpdateRow>& Rows() const { return m_rows; }
    int Status() const { return m_status; }
    void SetStatus(int status) { m_status = status; }

private:
    void SetState(UpdateRow& row, int state);

    std::filesystem::path m_downloadFolder;
    std::vector<UpdateRow> m_rows;
    std::vector<bool> m_unreachable;
    std::optional<size_t> m_currentInstall;
    int m_status = kStatusChecking;
};

// Whether a row in this state can be ticked.
bool RowOptionEnabled(int state);

}  // namespace quaro
