#pragma once

#include "platform/WorkerThread.h"
#include "ui/toolkit/WindowImplBase.h"
#include "update/UpdateListModel.h"
#include "update/UpdateSettings.h"

#include <atomic>
#include <filesystem>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

namespace quaro {

class CComboUI;
class CListUI;
class CProgressUI;
class CUpdateInfoListItemUI;

// The settings and update window: the language chooser and one row per product line whose
// version is known. On opening it asks the update server about every line; the user ticks
// lines and starts the update; chosen releases are downloaded by a worker into the private
// download folder and their installers are run one after the other, each reporting back
// through the installer message. Workers never touch rows: they post to the UI thread.
class CSetWnd : public WindowImplBase {
public:
    static constexpr unsigned kDownloadFinished = 3092;
    // Turns the status ring while the window asks the server.
    static constexpr unsigned kStatusRingTimer = 1;
    static constexpr int kStatusRingStepMs = 40;
    static constexpr int kStatusRingStep = 5;
    // Key-downs as the message filter sees them: the message and its virtual keys.
    static constexpr unsigned kWmKeyDown = 0x0100;
    static constexpr WPARAM kVkReturn = 13;
    static constexpr WPARAM kVkEscape = 27;

    struct Services {
        std::filesystem::path settingsFolder;
        std::filesystem::path defaultDataFolder;
        // Where installers are downloaded to; empty: nothing can be downloaded.
        std::filesystem::path downloadFolder;
        UpdateServerSettings server;
        // Runs an installer; false when it cannot be started. shown: a window of its own.
        std::function<bool(const std::string& file, bool shown)> startInstaller;
        // Tells the user an installer could not be started.
        std::function<void(CSetWnd& window)> showStartFailure;
    };

    CSetWnd(CResourceManager& resources, QWidget* owner, Services services);
    ~CSetWnd() override;

    QString GetWindowClassName() const override { return QStringLiteral("SetWnd"); }
    QString GetSkinFile() const override { return QStringLiteral("setwnd.xml"); }
    void Notify(TNotifyUI& msg) override;
    CControlUI* CreateControl(const QString& className) override;

    // Handed over by the main window before the window runs.
    void SetScale(int dpi);
    void SetMainWindow(HWND mainWindow, int languageIndex);
    void SetUpdateEntries(std::vector<UpdateEntry> entries);

    const UpdateListModel& Model() const { return m_model; }
    CUpdateInfoListItemUI* Row(size_t index) const;
    int GetLanguageIndex() const { return m_languageIndex; }
    QString LastCheckText() const { return m_lastCheckText; }
    // The scale the window runs at for a requested one.
    static int AcceptedScale(int dpi);
    // Signals the workers and waits for them; a download in flight is cancelled.
    void StopThreads();

protected:
    void InitWindow() override;
    LRESULT HandleCustomMessage(unsigned message, WPARAM wParam, LPARAM lParam,
                                bool& handled) override;
    // Sees this window's key-downs before the control with the focus does; handled keys go no
    // further.
    LRESULT MessageFilter(unsigned message, WPARAM wParam, LPARAM lParam, bool& handled);
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void OnWindowInit();
    void OnClick(TNotifyUI& msg);
    void OnRowTicked(CControlUI* option);
    void OnLanguageChosen();
    void OnInstallerMessage(WPARAM wParam, LPARAM lParam);
    // wParam: the new scale in its low 16 bits; lParam: the suggested rectangle (a QRect*).
    void OnDpiChanged(WPARAM wParam, LPARAM lParam);
    static bool ResponseDefaultKeyEvent(WPARAM key);
    void StepStatusRing();
    void FillLanguageCombo();
    void SetStatus(int status);
    void ShowStatusText();
    void SyncRow(size_t index);
    void SyncRows();
    void ShowUpdateButton(bool shown);
    void ScheduleInstall();
    void CheckLines(StopEvent& stop, std::vector<UpdateEntry> entries);
    void DownloadLoop(StopEvent& stop);
    // Runs f on the UI thread, after the events already queued.
    template <class F>
    void PostToUi(F&& f);

    Services m_services;
    HWND m_mainWindow;
    int m_languageIndex = -1;
    std::vector<UpdateEntry> m_entries;
    UpdateListModel m_model;
    CListUI* m_list = nullptr;
    CComboUI* m_combo = nullptr;
    CProgressUI* m_statusRing = nullptr;
    QString m_lastCheckText;
    unsigned m_installerMessage = 0;
    bool m_forceClose = false;

    std::mutex m_jobsMutex;
    std::vector<UpdateListModel::DownloadJob> m_jobs;
    std::atomic<bool> m_downloadRequested{false};
    WorkerThread m_checkThread{WorkerThread::kWindowTexts};
    WorkerThread m_downloadThread{WorkerThread::kWindowTexts};
};

}  // namespace quaro
