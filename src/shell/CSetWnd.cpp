#include "shell/CSetWnd.h"

#include "platform/Trace.h"
#include "shell/CUpdateInfoListItemUI.h"
#include "ui/Language.h"
#include "ui/MainMessages.h"
#include "ui/RegisteredMessages.h"
#include "ui/toolkit/CComboUI.h"
#include "ui/toolkit/CControlFactory.h"
#include "ui/toolkit/CDialogBuilder.h"
#include "ui/toolkit/CListUI.h"
#include "ui/toolkit/COptionUI.h"
#include "ui/toolkit/CProgressUI.h"
#include "ui/toolkit/CResourceManager.h"
#include "ui/toolkit/CTabLayoutUI.h"
#include "update/FetchProcessClient.h"
#include "update/UpdateChecker.h"

#include <QCoreApplication>
#include <QKeyEvent>
#include <QMetaObject>

namespace quaro {
namespace {

constexpr QSize kWindowSize(900, 500);
constexpr int kAcceptedScales[] = {48, 72, 96, 120, 144, 168, 192};
constexpr WPARAM kInstallerFinished = 1;
constexpr WPARAM kInstallerFailed = 2;
constexpr WPARAM kInstallerFailedToo = 3;
constexpr WPARAM kInstallerProgress = 4;

bool SetWndControlIs(const CControlUI* control, const char* name) {
    return control != nullptr &&
           control->GetName().compare(QLatin1String(name), Qt::CaseInsensitive) == 0;
}

QString FromUtf8(const std::string& text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

}  // namespace

template <class F>
void CSetWnd::PostToUi(F&& f) {
    // Dropped with the window if it is gone; the workers are joined before that anyway.
    QMetaObject::invokeMethod(this, std::forward<F>(f), Qt::QueuedConnection);
}

CSetWnd::CSetWnd(CResourceManager& resources, QWidget* owner, Services services)
    : WindowImplBase(resources, owner),
      m_services(std::move(services)),
      m_model(m_services.downloadFolder),
      m_installerMessage(RegisterWindowMessage(registered::kUpdateProgress)) {
    // Application-wide, so keys reach the filter before whichever control inside has the focus,
    // rows added later included.
    if (QCoreApplication::instance() != nullptr) {
        QCoreApplication::instance()->installEventFilter(this);
    }
}

CSetWnd::~CSetWnd() {
    StopThreads();
}

int CSetWnd::AcceptedScale(int dpi) {
    for (const int accepted : kAcceptedScales) {
        if (dpi == accepted) {
            return dpi;
        }
    }
    Trace("SET_WND DPI SET ERROR");
    return 96;
}

void CSetWnd::SetScale(int dpi) {
    SetDpi(AcceptedScale(dpi));
}

void CSetWnd::SetMainWindow(HWND mainWindow, int languageIndex) {
    m_mainWindow = std::move(mainWindow);
    m_languageIndex = languageIndex;
}

void CSetWnd::SetUpdateEntries(std::vector<UpdateEntry> entries) {
    m_entries = std::move(entries);
}

CUpdateInfoListItemUI* CSetWnd::Row(size_t index) const {
    if (m_list == nullptr || index >= static_cast<size_t>(m_list->GetCount())) {
        return nullptr;
    }
    return dynamic_cast<CUpdateInfoListItemUI*>(m_list->GetItemAt(static_cast<int>(index)));
}

CControlUI* CSetWnd::CreateControl(const QString& className) {
    if (className.compare(u"UpdateInfoListItem", Qt::CaseInsensitive) == 0) {
        return new CUpdateInfoListItemUI;
    }
    if (className.compare(u"CircleProgress", Qt::CaseInsensitive) == 0) {
        return CControlFactory::GetInstance().CreateControl(QStringLiteral("CCircleProgressUI"));
    }
    return nullptr;
}

void CSetWnd::InitWindow() {
    m_list = FindControlAs<CListUI>(QStringLiteral("device_update_list_info"));
    m_combo = FindControlAs<CComboUI>(QStringLiteral("Language_combox_info"));
    m_statusRing = FindControlAs<CProgressUI>(QStringLiteral("update_status_ring"));
    resize(kWindowSize);
}

void CSetWnd::Notify(TNotifyUI& msg) {
    if (msg.sType == notify::kWindowInit) {
        OnWindowInit();
    } else if (msg.sType == notify::kClick) {
        OnClick(msg);
    } else if (msg.sType == notify::kSelectChanged) {
        if (SetWndControlIs(msg.pSender, "check_name_select")) {
            OnRowTicked(msg.pSender);
        }
    } else if (msg.sType == notify::kItemSelect) {
        if (SetWndControlIs(msg.pSender, "Language_combox_info")) {
            OnLanguageChosen();
        }
    }
}

void CSetWnd::OnWindowInit() {
    FillLanguageCombo();
    std::string last = ReadLastCheckText(m_services.settingsFolder);
    if (last.empty()) {
        last = TodayText();
        WriteLastCheckText(m_services.settingsFolder, last);
    }
    m_lastCheckText = FromUtf8(last);

    SetStatus(kStatusChecking);
    m_model.AddProvisionalRows(m_entries);
    if (m_list != nullptr) {
        for (size_t i = 0; i < m_entries.size(); ++i) {
            CDialogBuilder builder;
            CControlUI* row =
                builder.Create(QLatin1String(CUpdateInfoListItemUI::kFragment), Resources(), this);
            if (row == nullptr) {
                break;
            }
            m_list->Add(row);
        }
    }
    SyncRows();

    m_checkThread.Start(
        [this, entries = m_entries](StopEvent& stop) { CheckLines(stop, entries); });
    m_downloadThread.Start([this](StopEvent& stop) { DownloadLoop(stop); });
}

void CSetWnd::FillLanguageCombo() {
    if (m_combo == nullptr) {
        return;
    }
    m_combo->RemoveAll();
    const LanguageCatalogue catalogue(m_services.defaultDataFolder, m_services.settingsFolder);
    for (const LanguageEntry& entry : catalogue.ReadEntries()) {
        auto* element = new CListLabelElementUI;
        element->SetResourceManager(&Resources());
        element->SetResourceText(true);
        element->SetText(FromUtf8(entry.text));
        m_combo->Add(element);
    }
    m_combo->SelectItem1(m_languageIndex, true, false);
}

void CSetWnd::OnLanguageChosen() {
    m_languageIndex = m_combo->GetCurSel();
    if (m_mainWindow) {
        m_mainWindow->Send(mainmsg::kApplyLanguage, static_cast<WPARAM>(m_languageIndex), 0);
    }
}

void CSetWnd::SetStatus(int status) {
    m_model.SetStatus(status);
    const bool checking = status == kStatusChecking;
    if (m_statusRing != nullptr) {
        m_statusRing->SetVisible(checking);
        // A ring that stands still while the server is asked looks like a hung window.
        if (checking) {
            SetTimer(kStatusRingTimer, kStatusRingStepMs);
        } else {
            KillTimer(kStatusRingTimer);
        }
    }
    if (CControlUI* image = FindControl(QStringLiteral("update_status_image"))) {
        image->SetVisible(!checking);
    }
    ShowStatusText();
    if (status == kStatusLatest && m_mainWindow) {
        m_mainWindow->Post(mainmsg::kClearUpdateIndicator, 0, 0);
    }
}

void CSetWnd::StepStatusRing() {
    if (m_statusRing == nullptr) {
        return;
    }
    const int span = m_statusRing->GetMaxValue() - m_statusRing->GetMinValue();
    if (span <= 0) {
        return;
    }
    const int offset = m_statusRing->GetValue() - m_statusRing->GetMinValue();
    m_statusRing->SetValue(m_statusRing->GetMinValue() + (offset + kStatusRingStep) % (span + 1));
}

void CSetWnd::ShowStatusText() {
    CControlUI* text = FindControl(QStringLiteral("Update_Status_text"));
    if (text == nullptr) {
        return;
    }
    static const char* const kTexts[] = {"GetUpdateInfoText", "HaveUpdateInfoText",
                                         "NoUpdateInfoText", "ISUpdateINGText", "UpdateIsLastText"};
    const int status = m_model.Status();
    if (status == kStatusLatest) {
        text->SetResourceText(false);
        text->SetText(Resources().GetText(QLatin1String(kTexts[status])) + m_lastCheckText);
    } else if (status >= 0 && status < kStatusLatest) {
        text->SetResourceText(true);
        text->SetText(QLatin1String(kTexts[status]));
    }
}

void CSetWnd::SyncRow(size_t index) {
    CUpdateInfoListItemUI* view = Row(index);
    if (view == nullptr || index >= m_model.Rows().size()) {
        return;
    }
    const UpdateRow& row = m_model.Rows()[index];
    view->SetName(FromUtf8(row.name));
    view->SetCurrentVersion(FromUtf8(row.currentVersionText));
    view->SetNewestVersion(FromUtf8(row.newestVersionText));
    view->SetUserData(FromUtf8(row.downloadPath));
    view->SetState(row.state);
    view->SetOptionEnabled(row.enabled);
    view->SetTicked(row.ticked);
    if (row.state == kRowDownloading || row.state == kRowInstalling) {
        view->SetPercent(row.percent);
    }
}

void CSetWnd::SyncRows() {
    for (size_t i = 0; i < m_model.Rows().size(); ++i) {
        SyncRow(i);
    }
}

void CSetWnd::ShowUpdateButton(bool shown) {
    if (CControlUI* button = FindControl(QStringLiteral("update_fw_and_ap"))) {
        button->SetEnabled(shown);
        button->SetVisible(shown);
    }
}

void CSetWnd::CheckLines(StopEvent& stop, std::vector<UpdateEntry> entries) {
    const UpdateChecker checker(m_services.server.baseUrl, m_services.server.client);
    for (size_t k = 0; k < entries.size(); ++k) {
        if (stop.IsSignalled()) {
            return;
        }
        UpdateResult result = checker.Check(entries[k], [&stop] { return stop.IsSignalled(); });
        PostToUi([this, k, entry = entries[k], result = std::move(result)]() mutable {
            m_model.ApplyResult(k, entry, std::move(result));
            SyncRow(k);
            const std::string today = TodayText();
            if (WriteLastCheckText(m_services.settingsFolder, today)) {
                m_lastCheckText = FromUtf8(today);
            }
        });
    }
    PostToUi([this] {
        const int status = m_model.FinishCheck();
        SyncRows();
        ShowUpdateButton(status == kStatusHaveUpdate);
        SetStatus(status);
    });
}

void CSetWnd::DownloadLoop(StopEvent& stop) {
    while (!stop.IsSignalled()) {
        if (!m_downloadRequested.load()) {
            stop.Wait(200);
            continue;
        }
        std::vector<UpdateListModel::DownloadJob> jobs;
        {
            std::lock_guard lock(m_jobsMutex);
            jobs.swap(m_jobs);
            m_downloadRequested = false;
        }
        for (const UpdateListModel::DownloadJob& job : jobs) {
            if (stop.IsSignalled()) {
                return;
            }
            const size_t row = job.row;
            PostToUi([this, row] {
                m_model.StartDownload(row);
                SyncRow(row);
                SetStatus(kStatusUpdating);
            });
            // In the helper process, like every transfer of the application.
            FetchProcessClient client(m_services.server.client);
            client.SetCancelCheck([&stop] { return stop.IsSignalled(); });
            const auto progress = [this, row](double total, double done) {
                TraceFormat("%.0f %.0f", total, done);
                PostToUi([this, row, total, done] {
                    m_model.Progress(row, total, done);
                    SyncRow(row);
                });
            };
            if (job.file.empty()) {
                progress(0, 0);
            } else {
                client.Download(job.url, job.file, progress);
            }
            PostMessage(kDownloadFinished, 0, 0);
        }
    }
}

void CSetWnd::ScheduleInstall() {
    const std::optional<size_t> next = m_model.NextInstall();
    if (!next) {
        return;
    }
    SyncRow(*next);
    SetStatus(kStatusUpdating);
    const UpdateRow& row = m_model.Rows()[*next];
    const bool shown = row.result.deviceId == 1;
    const bool started =
        m_services.startInstaller && m_services.startInstaller(row.result.localFile, shown);
    if (!started) {
        TraceFormat("installer could not be started: %s", row.result.localFile.c_str());
        // A row left installing would keep the window from ever closing.
        m_model.InstallerFailed();
        SyncRow(*next);
        if (!shown && m_services.showStartFailure) {
            m_services.showStartFailure(*this);
        }
        PostMessage(kDownloadFinished, 0, 0);
    }
}

void CSetWnd::OnInstallerMessage(WPARAM wParam, LPARAM lParam) {
    const std::optional<size_t> current = m_model.CurrentInstall();
    if (wParam == kInstallerFinished) {
        if (!current) {
            return;
        }
        const std::optional<int> status = m_model.InstallerFinished();
        SyncRows();
        PostMessage(kDownloadFinished, 0, 0);
        if (status) {
            SetStatus(*status);
        }
    } else if (wParam == kInstallerFailed || wParam == kInstallerFailedToo) {
        m_model.InstallerFailed();
        if (current) {
            SyncRow(*current);
        }
        PostMessage(kDownloadFinished, 0, 0);
    } else if (wParam == kInstallerProgress && current) {
        m_model.InstallerProgress(static_cast<int>(lParam));
        SyncRow(*current);
    }
}

void CSetWnd::OnRowTicked(CControlUI* option) {
    for (size_t i = 0; i < m_model.Rows().size(); ++i) {
        if (CUpdateInfoListItemUI* row = Row(i); row != nullptr && row->Option() == option) {
            m_model.SetTicked(i, row->IsTicked());
            SyncRow(i);
        }
    }
    ShowUpdateButton(m_model.AnyTicked());
}

void CSetWnd::OnClick(TNotifyUI& msg) {
    CControlUI* sender = msg.pSender;
    if (SetWndControlIs(sender, "closebtn") || SetWndControlIs(sender, "laterbtn")) {
        m_forceClose = true;
        StopThreads();
        Close(0);
    } else if (SetWndControlIs(sender, "minbtn")) {
        SystemCommand(msg::kScMinimize);
    } else if (SetWndControlIs(sender, "maxbtn") || SetWndControlIs(sender, "restorebtn")) {
        const bool maximise = SetWndControlIs(sender, "maxbtn");
        SystemCommand(maximise ? msg::kScMaximize : msg::kScRestore);
        if (CControlUI* max = FindControl(QStringLiteral("maxbtn"))) {
            max->SetVisible(!maximise);
        }
        if (CControlUI* restore = FindControl(QStringLiteral("restorebtn"))) {
            restore->SetVisible(maximise);
        }
    } else if (SetWndControlIs(sender, "set_in_update_wnd_btn")) {
        if (CControlUI* hint = FindControl(QStringLiteral("update_tishi_layout"))) {
            hint->SetVisible(false);
        }
        resize(kWindowSize);
    } else if (SetWndControlIs(sender, "update_fw_and_ap")) {
        if (auto* tabs = FindControlAs<CTabLayoutUI>(QStringLiteral("get_update_tab_layout"))) {
            tabs->SelectItem(1);
        }
    } else if (SetWndControlIs(sender, "update_OK_btn")) {
        std::vector<UpdateListModel::DownloadJob> jobs = m_model.ConfirmUpdate();
        SyncRows();
        if (CControlUI* button = FindControl(QStringLiteral("update_fw_and_ap"))) {
            button->SetEnabled(false);
        }
        {
            std::lock_guard lock(m_jobsMutex);
            m_jobs.insert(m_jobs.end(), jobs.begin(), jobs.end());
            m_downloadRequested = true;
        }
        if (auto* tabs = FindControlAs<CTabLayoutUI>(QStringLiteral("get_update_tab_layout"))) {
            tabs->SelectItem(0);
        }
    }
}

void CSetWnd::StopThreads() {
    m_checkThread.Signal();
    m_downloadThread.Signal();
    m_checkThread.Stop();
    m_downloadThread.Stop();
}

bool CSetWnd::ResponseDefaultKeyEvent(WPARAM key) {
    // Return stays with the control that has the focus; Escape is taken, so it neither
    // dismisses the window nor cancels anything while a download or installation runs.
    return key == kVkEscape;
}

LRESULT CSetWnd::MessageFilter(unsigned message, WPARAM wParam, LPARAM lParam, bool& handled) {
    (void)lParam;
    handled = false;
    if (message == kWmKeyDown && (wParam == kVkReturn || wParam == kVkEscape)) {
        handled = ResponseDefaultKeyEvent(wParam);
    }
    return 0;
}

bool CSetWnd::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::KeyPress || !watched->isWidgetType() ||
        static_cast<QWidget*>(watched)->window() != this) {
        return false;
    }
    WPARAM key = 0;
    switch (static_cast<QKeyEvent*>(event)->key()) {
        case Qt::Key_Return:
        case Qt::Key_Enter:
            key = kVkReturn;
            break;
        case Qt::Key_Escape:
            key = kVkEscape;
            break;
        default:
            return false;
    }
    bool handled = false;
    MessageFilter(kWmKeyDown, key, 0, handled);
    if (handled) {
        event->accept();
    }
    return handled;
}

void CSetWnd::OnDpiChanged(WPARAM wParam, LPARAM lParam) {
    SetDpi(static_cast<int>(wParam & 0xFFFF));
    // Sizes computed at the old scale are dropped: layouts ask their controls again and every
    // control paints at the new one.
    if (CControlUI* root = GetRoot()) {
        for (QWidget* widget : root->GetWidget()->findChildren<QWidget*>()) {
            widget->updateGeometry();
        }
        root->GetWidget()->updateGeometry();
    }
    if (lParam != 0) {
        const QRect suggested = *reinterpret_cast<const QRect*>(lParam);
        if (suggested.isValid()) {
            setGeometry(suggested);
        }
    }
    if (CControlUI* root = GetRoot()) {
        root->GetWidget()->update();
    }
}

LRESULT CSetWnd::HandleCustomMessage(unsigned message, WPARAM wParam, LPARAM lParam,
                                     bool& handled) {
    handled = false;
    if (message == m_installerMessage) {
        OnInstallerMessage(wParam, lParam);
        handled = true;
        return 0;
    }
    switch (message) {
        case msg::kWmClose:
            // Never while something is queued, downloading or installing; the window's own
            // close and later buttons still leave (their downloads are cancelled).
            if (!m_forceClose && !m_model.CanClose()) {
                handled = true;
                return 0;
            }
            StopThreads();
            return 0;
        case msg::kWmDestroy:
            StopThreads();
            return 0;
        case msg::kWmSysCommand:
            if (wParam == msg::kScClose) {
                // Ends this window's modal run only, never the application's loop.
                Close(0);
                handled = true;
            }
            return 0;
        case msg::kWmDpiChanged:
            OnDpiChanged(wParam, lParam);
            handled = true;
            return 0;
        case msg::kWmTimer:
            if (wParam == kStatusRingTimer) {
                StepStatusRing();
                handled = true;
            }
            return 0;
        case mainmsg::kApplyLanguage:
            if (m_model.Status() == kStatusLatest) {
                ShowStatusText();
            }
            if (m_combo != nullptr) {
                m_combo->RefreshItemTexts();
            }
            update();
            handled = true;
            return 0;
        case kDownloadFinished:
            ScheduleInstall();
            handled = true;
            return 0;
        default:
            return 0;
    }
}

}  // namespace quaro
