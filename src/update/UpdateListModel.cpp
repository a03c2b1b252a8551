#include "update/UpdateListModel.h"

namespace quaro {
namespace {

std::string RowName(const UpdateEntry& entry) {
    return entry.lineId == "ALL" ? std::string("AP") : entry.secondModel;
}

std::string ProvisionalVersionText(const UpdateEntry& entry) {
    return entry.kind != 0 ? VersionText(entry.version, entry.kind) : entry.versionText;
}

}  // namespace

bool RowOptionEnabled(int state) {
    return state == kRowNeed || state == kRowNeedToo || state == kRowFailed;
}

void UpdateListModel::SetState(UpdateRow& row, int state) {
    if (row.state == state) {
        return;
    }
    row.state = state;
    row.enabled = RowOptionEnabled(state);
    if (state == kRowDownloading) {
        row.percent = 0;
    }
}

void UpdateListModel::AddProvisionalRows(const std::vector<UpdateEntry>& entries) {
    for (const UpdateEntry& entry : entries) {
        UpdateRow row;
        row.name = RowName(entry);
        row.currentVersionText = ProvisionalVersionText(entry);
        row.state = kRowDone;
        m_rows.push_back(row);
        m_unreachable.push_back(false);
    }
}

void UpdateListModel::ApplyResult(size_t k, const UpdateEntry& entry, UpdateResult result) {
    if (k >= m_rows.size()) {
        return;
    }
    if (IsNoLinkServer(result.name)) {
        m_unreachable[k] = true;
        result.name.clear();
    }
    if (result.name.empty()) {
        // No answer: the line shows as it is, up to date.
        result.currentVersionText = ProvisionalVersionText(entry);
        result.newestVersionText.clear();
        result.status = kStatusCurrent;
    }
    UpdateRow& row = m_rows[k];
    row.name = entry.secondModel;
    row.currentVersionText = result.currentVersionText;
    const int state = result.status.value_or(kStatusCurrent);
    row.newestVersionText = state == kRowDone ? std::string() : result.newestVersionText;
    row.downloadPath = result.downloadPath;
    row.state = state;
    row.enabled = false;
    row.ticked = false;
    // The file's name comes from our own table, never from the server.
    result.localFile = m_downloadFolder.empty() ? std::string()
                                                : (m_downloadFolder / (row.name + ".exe")).string();
    row.result = std::move(result);
}

int UpdateListModel::FinishCheck() {
    bool anyEnabled = false;
    for (UpdateRow& row : m_rows) {
        const bool offered = row.state != kRowDone && row.state != kRowLess;
        row.enabled = offered;
        row.ticked = offered;
        anyEnabled = anyEnabled || offered;
    }
    bool allUnreachable = !m_unreachable.empty();
    for (const bool unreachable : m_unreachable) {
        allUnreachable = allUnreachable && unreachable;
    }
    m_status = anyEnabled ? kStatusHaveUpdate : (allUnreachable ? kStatusNoServer : kStatusLatest);
    return m_status;
}

bool UpdateListModel::AnyTicked() const {
    for (const UpdateRow& row : m_rows) {
        if (row.ticked) {
            return true;
        }
    }
    return false;
}

void UpdateListModel::SetTicked(size_t row, bool ticked) {
    if (row < m_rows.size() && m_rows[row].enabled) {
        m_rows[row].ticked = ticked;
    }
}

std::vector<UpdateListModel::DownloadJob> UpdateListModel::ConfirmUpdate() {
    std::vector<DownloadJob> jobs;
    for (size_t i = 0; i < m_rows.size(); ++i) {
        UpdateRow& row = m_rows[i];
        if (row.state == kRowNeed || row.state == kRowNeedToo) {
            if (row.ticked) {
                SetState(row, kRowDownloadWait);
            } else {
                row.enabled = false;
            }
        }
        if (row.ticked && (row.state == kRowDownloadWait || row.state == kRowFailed)) {
            jobs.push_back({i, row.downloadPath, row.result.localFile});
        }
    }
    return jobs;
}

void UpdateListModel::StartDownload(size_t row) {
    if (row < m_rows.size()) {
        SetState(m_rows[row], kRowDownloading);
        m_status = kStatusUpdating;
    }
}

void UpdateListModel::Progress(size_t row, double total, double done) {
    if (row >= m_rows.size()) {
        return;
    }
    UpdateRow& target = m_rows[row];
    if (total > 0) {
        target.percent = static_cast<int>(done * 100 / total);
        if (done == total) {
            SetState(target, kRowDownloaded);
        }
    } else {
        SetState(target, kRowFailed);
    }
}

std::optional<size_t> UpdateListModel::NextInstall() {
    for (size_t i = 0; i < m_rows.size(); ++i) {
        UpdateRow& row = m_rows[i];
        if (!row.ticked) {
            continue;
        }
        if (row.state == kRowInstalling) {
            return std::nullopt;
        }
        if (row.state == kRowDownloaded) {
            SetState(row, kRowInstalling);
            m_status = kStatusUpdating;
            m_currentInstall = i;
            return i;
        }
    }
    return std::nullopt;
}

std::optional<int> UpdateListModel::InstallerFinished() {
    if (!m_currentInstall) {
        return std::nullopt;
    }
    UpdateRow& row = m_rows[*m_currentInstall];
    if (row.state != kRowInstalling) {
        return std::nullopt;
    }
    row.currentVersionText = row.newestVersionText;
    row.newestVersionText.clear();
    SetState(row, kRowDone);
    row.ticked = false;
    for (const UpdateRow& other : m_rows) {
        if (other.ticked && other.state != kRowDone) {
            return std::nullopt;
        }
    }
    bool remaining = false;
    for (UpdateRow& other : m_rows) {
        if (other.state != kRowDone) {
            other.enabled = true;
            remaining = true;
        }
    }
    m_status = remaining ? kStatusHaveUpdate : kStatusLatest;
    return m_status;
}

void UpdateListModel::InstallerFailed() {
    if (m_currentInstall && m_rows[*m_currentInstall].state == kRowInstalling) {
        SetState(m_rows[*m_currentInstall], kRowFailed);
    }
}

void UpdateListModel::InstallerProgress(int percent) {
    if (m_currentInstall) {
        m_rows[*m_currentInstall].percent = percent;
    }
}

bool UpdateListModel::CanClose() const {
    for (const UpdateRow& row : m_rows) {
        switch (row.state) {
            case kRowLess:
            case kRowDownloadWait:
            case kRowDownloading:
            case kRowDownloaded:
            case kRowInstalling:
                return false;
            default:
                break;
        }
    }
    return true;
}

}  // namespace quaro
