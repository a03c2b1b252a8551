#include "panels/profile/CDeviceProfileUI.h"

#include "ui/toolkit/CListUI.h"

#include <QAbstractItemView>

#include <utility>

namespace quaro {
namespace {

std::array<InnerControl<COptionUI>, kOptionTabNames.size()> TabControls(QWidget* owner) {
    auto make = [owner](std::size_t i) {
        return InnerControl<COptionUI>(
            owner, QString::fromLatin1(kOptionTabNames[i].data(),
                                       static_cast<qsizetype>(kOptionTabNames[i].size())));
    };
    return {make(0), make(1), make(2), make(3), make(4), make(5), make(6)};
}

ProfileChange Outcome(bool done) {
    return done ? ProfileChange::Done : ProfileChange::Failed;
}

}  // namespace

CDeviceProfileUI::CDeviceProfileUI(QWidget* parent)
    : CHorizontalLayoutUI(parent),
      m_combo(this, QStringLiteral("device_profile_combo")),
      m_nameEdit(this, QStringLiteral("device_profile_name_edit")),
      m_menu(this, QStringLiteral("profile_menu_layout")),
      m_tabs(TabControls(this)) {}

void CDeviceProfileUI::InitProfileList() {
    m_store.InitProfileList();
    ShowStore();
    ApplyTabVisibility();
}

void CDeviceProfileUI::ShowStore() {
    const int selected = m_store.SelectedIndex();
    if (CComboUI* combo = m_combo.Get()) {
        combo->RemoveAll();
        for (const std::string& name : m_store.Names()) {
            auto* item = new CListLabelElementUI;
            const QString text = QString::fromStdString(name);
            // A profile may well be called like a language id; it is shown as typed.
            item->SetResourceText(false);
            item->SetText(text);
            item->SetUserData(text);
            item->GetWidget()->setFixedHeight(kItemHeight);
            combo->Add(item);
        }
        combo->SelectItem(selected, false, false);
    }
    if (CEditUI* edit = m_nameEdit.Get()) {
        const auto& names = m_store.Names();
        const bool valid = selected >= 0 && selected < static_cast<int>(names.size());
        edit->SetResourceText(false);
        edit->SetText(valid ? QString::fromStdString(names[static_cast<std::size_t>(selected)])
                            : QString());
    }
}

void CDeviceProfileUI::ApplyTabVisibility() {
    const OptionTabVisibility visibility = m_store.TabVisibility();
    for (int n = 1; n <= static_cast<int>(kOptionTabNames.size()); ++n) {
        COptionUI* tab = OptionTab(n);
        if (tab == nullptr) {
            continue;
        }
        const std::string_view name = OptionTabName(n);
        for (std::string_view hidden : visibility.hidden) {
            if (hidden == name) {
                tab->SetVisible(false);
            }
        }
        for (std::string_view shown : visibility.shown) {
            if (shown == name) {
                tab->SetVisible(true);
            }
        }
    }
}

ProfileChange CDeviceProfileUI::SelectProfile(int index) {
    if (index < 0 || index >= GetProfileCount()) {
        return ProfileChange::Refused;
    }
    const bool done = m_store.SelectProfile(index);
    ShowStore();
    return Outcome(done);
}

int CDeviceProfileUI::GetSelectedIndex() {
    CComboUI* combo = m_combo.Get();
    return combo != nullptr ? combo->GetCurSel() : -1;
}

QString CDeviceProfileUI::GetEditedName() {
    CEditUI* edit = m_nameEdit.Get();
    return edit != nullptr ? edit->GetEditText() : QString();
}

std::filesystem::path CDeviceProfileUI::GetCurrentProfilePath() const {
    return m_store.ProfilePath(m_store.GetCurrentProfileId());
}

ProfileChange CDeviceProfileUI::AddProfile() {
    if (GetProfileCount() >= ProfileListStore::kMaxProfiles) {
        return ProfileChange::Refused;
    }
    const bool done = m_store.AddProfile();
    ShowStore();
    return Outcome(done);
}

ProfileChange CDeviceProfileUI::CopyProfile() {
    if (m_store.SelectedIndex() < 0) {
        return ProfileChange::Refused;
    }
    const bool done = m_store.CopyProfile();
    ShowStore();
    return Outcome(done);
}

ProfileChange CDeviceProfileUI::DeleteProfile() {
    if (m_store.SelectedIndex() < 0 || GetProfileCount() < 2) {
        return ProfileChange::Refused;
    }
    const bool done = m_store.DeleteProfile();
    ShowStore();
    return Outcome(done);
}

ProfileChange CDeviceProfileUI::ImportProfile(const std::filesystem::path& path) {
    const DocumentRead document = m_files.ReadDocument(path);
    if (document.state != ReadState::Read || !document.value.isObject() ||
        !document.value["profilename"].isString() || !document.value.isMember("profileUUID")) {
        return ProfileChange::Refused;
    }
    const bool done = m_store.ImportProfile(path);
    ShowStore();
    return Outcome(done);
}

ProfileChange CDeviceProfileUI::ExportProfile(const std::filesystem::path& path) {
    if (m_store.SelectedIndex() < 0) {
        return ProfileChange::Refused;
    }
    return Outcome(m_store.ExportProfile(path));
}

ProfileChange CDeviceProfileUI::RenameProfile(const QString& name) {
    const int selected = m_store.SelectedIndex();
    if (selected < 0) {
        return ProfileChange::Refused;
    }
    const std::string wanted = name.toStdString();
    const QString folded = name.toCaseFolded();
    const auto& names = m_store.Names();
    for (int i = 0; i < static_cast<int>(names.size()); ++i) {
        if (i != selected &&
            QString::fromStdString(names[static_cast<std::size_t>(i)]).toCaseFolded() == folded) {
            return ProfileChange::Refused;
        }
    }
    const bool done = m_store.RenameProfile(wanted);
    ShowStore();
    return Outcome(done);
}

ProfileChange CDeviceProfileUI::ResetProfile() {
    if (m_store.SelectedIndex() < 0) {
        return ProfileChange::Refused;
    }
    return Outcome(m_store.ResetProfile());
}

COptionUI* CDeviceProfileUI::OptionTab(int n) {
    if (n < 1 || n > static_cast<int>(m_tabs.size())) {
        return nullptr;
    }
    return m_tabs[static_cast<std::size_t>(n - 1)].Get();
}

void CDeviceProfileUI::SelectOptionTab(int n) {
    for (int i = 1; i <= static_cast<int>(m_tabs.size()); ++i) {
        if (COptionUI* tab = OptionTab(i)) {
            tab->Selected(i == n, false);
        }
    }
}

bool CDeviceProfileUI::IsSpread() {
    CControlUI* menu = m_menu.Get();
    return menu != nullptr && menu->IsVisible();
}

void CDeviceProfileUI::SetSpread(bool spread) {
    if (CControlUI* menu = m_menu.Get()) {
        menu->SetVisible(spread);
    }
}

}  // namespace quaro
