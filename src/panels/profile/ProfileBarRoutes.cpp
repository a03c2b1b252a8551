#include "panels/profile/ProfileBarRoutes.h"

#include "panels/profile/IProfileFileChooser.h"
#include "panels/profile/IProfilePage.h"
#include "platform/Trace.h"
#include "ui/CMsgWnd.h"
#include "ui/MessageTexts.h"
#include "ui/toolkit/CResourceManager.h"

#include <QPointer>

namespace quaro {

const ProfileBarRoutes::Route ProfileBarRoutes::kRoutes[] = {
    {notify::kClick, "device_add_btn", Qt::CaseInsensitive, &ProfileBarRoutes::OnAdd},
    {notify::kClick, "device_sub_btn", Qt::CaseInsensitive, &ProfileBarRoutes::OnDelete},
    {notify::kClick, "device_copy_btn", Qt::CaseInsensitive, &ProfileBarRoutes::OnCopy},
    {notify::kClick, "device_export_btn", Qt::CaseInsensitive, &ProfileBarRoutes::OnExport},
    {notify::kClick, "device_import_btn", Qt::CaseInsensitive, &ProfileBarRoutes::OnImport},
    {notify::kClick, "device_reset_btn", Qt::CaseInsensitive, &ProfileBarRoutes::OnReset},
    {notify::kClick, "device_profile_edit_save_btn", Qt::CaseInsensitive,
     &ProfileBarRoutes::OnRename},
    {notify::kClick, "profile_fun_spread_btn", Qt::CaseSensitive, &ProfileBarRoutes::OnSpread},
    {notify::kSelectChanged, "deng_Op_tab", Qt::CaseInsensitive, &ProfileBarRoutes::OnOptionTab},
    {notify::kSelectChanged, "key_Op_tab", Qt::CaseInsensitive, &ProfileBarRoutes::OnOptionTab},
    {notify::kSelectChanged, "macro_Op_tab", Qt::CaseInsensitive, &ProfileBarRoutes::OnOptionTab},
    {notify::kSelectChanged, "system_Op_tab", Qt::CaseInsensitive, &ProfileBarRoutes::OnOptionTab},
    {notify::kSelectChanged, "cursor_Op_tab", Qt::CaseInsensitive, &ProfileBarRoutes::OnOptionTab},
    {notify::kSelectChanged, "6533_voice_Op_tab", Qt::CaseInsensitive,
     &ProfileBarRoutes::OnOptionTab},
    {notify::kSelectChanged, "magic_Op_tab", Qt::CaseInsensitive, &ProfileBarRoutes::OnOptionTab},
    {notify::kItemSelect, "device_profile_combo", Qt::CaseInsensitive,
     &ProfileBarRoutes::OnProfileChosen},
};

ProfileBarRoutes::ProfileBarRoutes(CDeviceProfileUI& bar, IProfilePage& page,
                                   IProfileFileChooser& files, Presenter presenter)
    : m_bar(bar), m_page(page), m_files(files), m_presenter(std::move(presenter)) {}

ProfileBarRoutes::Presenter ProfileBarRoutes::MessageBoxes(CResourceManager& resources,
                                                           const CDeviceProfileUI& bar, int scale) {
    QPointer<const QWidget> anchor(&bar);
    return [&resources, anchor, scale](const char* messageId, std::optional<int> number) {
        QWidget* owner = anchor.isNull() ? nullptr : anchor->window();
        if (number) {
            const QString format = resources.GetText(QLatin1String(messageId));
            CMsgWnd::ShowMessage(resources, owner, QString(),
                                 QString::asprintf(format.toUtf8().constData(), *number), scale,
                                 false);
        } else {
            CMsgWnd::ShowMessage(resources, owner, QString(), QLatin1String(messageId), scale);
        }
    };
}

void ProfileBarRoutes::SetUp() {
    m_bar.SetDeviceKind(m_page.GetDeviceKind());
    m_bar.SetFolder(m_page.GetUserDataFolder());
    m_bar.SetDefaultProfilePath(m_page.GetDefaultProfilePath());
    m_bar.InitProfileList();
    m_bar.SelectOptionTab(1);
}

bool ProfileBarRoutes::Dispatch(const TNotifyUI& msg) {
    if (msg.pSender == nullptr) {
        return false;
    }
    // Every page has a bar with the same control names; only this bar's controls are ours.
    QWidget* sender = msg.pSender->GetWidget();
    QWidget* bar = m_bar.GetWidget();
    if (sender != bar && !bar->isAncestorOf(sender)) {
        return false;
    }
    const QString name = msg.pSender->GetName();
    for (const Route& route : kRoutes) {
        if (msg.sType == route.type &&
            name.compare(QLatin1String(route.name), route.nameCase) == 0) {
            (this->*route.handler)(msg);
            return true;
        }
    }
    return false;
}

void ProfileBarRoutes::TellFailure(ProfileChange change, const char* messageId) {
    if (change == ProfileChange::Failed && m_presenter) {
        m_presenter(messageId, std::nullopt);
    }
}

void ProfileBarRoutes::ApplyCurrentProfile() {
    const std::filesystem::path path = m_bar.GetCurrentProfilePath();
    if (!path.empty()) {
        m_page.LoadProfile(path);
    }
}

void ProfileBarRoutes::OnAdd(const TNotifyUI&) {
    TellFailure(m_bar.AddProfile(), msgtext::kProfileNotSaved);
}

void ProfileBarRoutes::OnCopy(const TNotifyUI&) {
    TellFailure(m_bar.CopyProfile(), msgtext::kProfileNotSaved);
}

void ProfileBarRoutes::OnDelete(const TNotifyUI&) {
    const ProfileChange change = m_bar.DeleteProfile();
    // The deleted profile's document is gone: a page still working on it would write it back.
    if (change == ProfileChange::Done) {
        ApplyCurrentProfile();
    }
    TellFailure(change, msgtext::kProfileNotSaved);
}

void ProfileBarRoutes::OnExport(const TNotifyUI&) {
    if (m_bar.GetSelectedIndex() < 0) {
        return;
    }
    const std::filesystem::path path = m_files.ChooseExportFile(&m_bar);
    if (path.empty()) {
        return;
    }
    const ProfileChange change = m_bar.ExportProfile(path);
    if (change != ProfileChange::Done) {
        Trace("profile export failed");
    }
    TellFailure(change, msgtext::kProfileExportFailed);
}

void ProfileBarRoutes::OnImport(const TNotifyUI&) {
    if (m_bar.GetSelectedIndex() < 0) {
        return;
    }
    const std::filesystem::path path = m_files.ChooseImportFile(&m_bar);
    if (path.empty()) {
        return;
    }
    // A file that is no profile is ignored, as the user can see from the unchanged list.
    TellFailure(m_bar.ImportProfile(path), msgtext::kProfileNotSaved);
}

void ProfileBarRoutes::OnReset(const TNotifyUI&) {
    const ProfileChange change = m_bar.ResetProfile();
    if (change == ProfileChange::Done) {
        m_page.ReapplyProfile();
    }
    TellFailure(change, msgtext::kProfileNotSaved);
}

void ProfileBarRoutes::ReportResetMacroWrite(int count) {
    if (!m_presenter || count == 0) {
        return;
    }
    if (count == -1) {
        m_presenter(msgtext::kMacroWriteFailed, std::nullopt);
    } else {
        m_presenter(msgtext::kMacrosDoNotFit, count);
    }
}

void ProfileBarRoutes::OnRename(const TNotifyUI&) {
    const QString name = m_bar.GetEditedName();
    if (name.isEmpty()) {
        return;
    }
    const ProfileChange change = m_bar.RenameProfile(name);
    if (change == ProfileChange::Refused && m_presenter) {
        m_presenter(msgtext::kNameRefused, std::nullopt);
    }
    TellFailure(change, msgtext::kProfileNotSaved);
}

void ProfileBarRoutes::OnSpread(const TNotifyUI&) {
    m_bar.SetSpread(!m_bar.IsSpread());
}

void ProfileBarRoutes::OnOptionTab(const TNotifyUI& msg) {
    // The tab that lost the selection says so too; only the chosen one counts.
    if (msg.wParam == 0) {
        return;
    }
    const QString name = msg.pSender->GetName();
    for (int n = 1; n <= static_cast<int>(kOptionTabNames.size()); ++n) {
        const std::string_view tab = OptionTabName(n);
        if (name.compare(QLatin1String(tab.data(), static_cast<qsizetype>(tab.size())),
                         Qt::CaseInsensitive) == 0) {
            m_page.SelectFunctionTab(n);
            m_bar.SelectOptionTab(n);
            return;
        }
    }
}

void ProfileBarRoutes::OnProfileChosen(const TNotifyUI&) {
    const int index = m_bar.GetSelectedIndex();
    const ProfileChange change = m_bar.SelectProfile(index);
    if (change == ProfileChange::Done) {
        ApplyCurrentProfile();
    }
    TellFailure(change, msgtext::kProfileNotSaved);
}

}  // namespace quaro
