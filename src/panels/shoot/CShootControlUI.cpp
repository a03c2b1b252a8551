#include "panels/shoot/CShootControlUI.h"

#include "platform/Trace.h"
#include "ui/toolkit/CEditUI.h"
#include "ui/toolkit/CLabelUI.h"
#include "ui/toolkit/COptionUI.h"
#include "ui/toolkit/CTabLayoutUI.h"

#include <algorithm>

namespace quaro {

CShootControlUI::CShootControlUI(QWidget* parent)
    : CHorizontalLayoutUI(parent),
      m_gunPictures(this, QStringLiteral("shoot_image_display_switch")),
      m_bulletIndex(this, QStringLiteral("bullet_select_index")),
      m_previous(this, QStringLiteral("bullet_selected_prev")),
      m_next(this, QStringLiteral("bullet_selected_next")),
      m_xCheck(this, QStringLiteral("bullet_x_check")),
      m_yCheck(this, QStringLiteral("bullet_y_check")),
      m_xEdit(this, QStringLiteral("bullet_x_eidt")),
      m_yEdit(this, QStringLiteral("bullet_y_eidt")),
      m_delayEdit(this, QStringLiteral("bullet_delay_eidt")),
      m_editLayout(this, QStringLiteral("bullet_edit_layout")),
      m_saveButton(this, QStringLiteral("shootdate_save_btn")),
      m_resetButton(this, QStringLiteral("shootdate_reset_btn")),
      m_importButton(this, QStringLiteral("shootdate_import_btn")),
      m_exportButton(this, QStringLiteral("shootdate_export_btn")) {
    m_gunOptions.reserve(kGunCount);
    for (int n = 0; n < kGunCount; ++n) {
        m_gunOptions.emplace_back(this, QStringLiteral("shoot_gun_op_%1").arg(n));
    }
    m_bulletOptions.reserve(kBulletCount);
    for (int n = 0; n < kBulletCount; ++n) {
        m_bulletOptions.emplace_back(this, QStringLiteral("bullet_op_%1").arg(n));
    }
}

void CShootControlUI::SetFolders(std::filesystem::path userFolder,
                                 std::filesystem::path defaultFolder) {
    m_userFolder = std::move(userFolder);
    m_defaultFolder = std::move(defaultFolder);
}

bool CShootControlUI::FindControls() {
    bool all = m_gunPictures.Get() != nullptr && m_bulletIndex.Get() != nullptr &&
               m_previous.Get() != nullptr && m_next.Get() != nullptr &&
               m_xCheck.Get() != nullptr && m_yCheck.Get() != nullptr && m_xEdit.Get() != nullptr &&
               m_yEdit.Get() != nullptr && m_delayEdit.Get() != nullptr &&
               m_editLayout.Get() != nullptr && m_saveButton.Get() != nullptr &&
               m_resetButton.Get() != nullptr && m_importButton.Get() != nullptr &&
               m_exportButton.Get() != nullptr;
    for (auto& option : m_gunOptions) {
        all = option.Get() != nullptr && all;
    }
    for (auto& option : m_bulletOptions) {
        all = option.Get() != nullptr && all;
    }
    m_allFound = all;
    if (!all) {
        Trace("the shoot panel's layout lacks some of its controls");
    }
    return all;
}

std::filesystem::path CShootControlUI::UserGunFile() const {
    return m_userFolder / ShootPattern::FileName(m_gun);
}

std::filesystem::path CShootControlUI::FactoryGunFile() const {
    return m_defaultFolder / ShootPattern::FileName(m_gun);
}

void CShootControlUI::SelectGun(int n) {
    for (auto& option : m_gunOptions) {
        if (COptionUI* control = option.Get()) {
            control->Selected(false, false);
        }
    }
    m_gun = std::clamp(n, 0, kGunCount - 1);
    if (COptionUI* control = m_gunOptions[static_cast<std::size_t>(m_gun)].Get()) {
        control->Selected(true, false);
    }
    if (CTabLayoutUI* pictures = m_gunPictures.Get()) {
        pictures->SelectItem(m_gun, false);
    }
}

void CShootControlUI::SelectBullet(int n) {
    for (auto& option : m_bulletOptions) {
        if (COptionUI* control = option.Get()) {
            control->Selected(false, false);
        }
    }
    m_bullet = std::clamp(n, 0, kBulletCount - 1);
    if (COptionUI* control = m_bulletOptions[static_cast<std::size_t>(m_bullet)].Get()) {
        control->Selected(true, false);
    }
    if (CLabelUI* label = m_bulletIndex.Get()) {
        label->SetResourceText(false);
        label->SetText(QString::number(m_bullet + 1));
    }
    ShowBullet();
}

void CShootControlUI::ShowBullet() {
    // A missing or damaged file reads as null and shows a bullet of zeros; nothing is written.
    const ShootBullet bullet = ShootPattern::ReadBullet(m_store.ReadJson(UserGunFile()), m_bullet);
    if (COptionUI* check = m_xCheck.Get()) {
        check->Selected(bullet.left, false);
    }
    if (COptionUI* check = m_yCheck.Get()) {
        check->Selected(bullet.up, false);
    }
    ShowDirections();
    if (CEditUI* edit = m_xEdit.Get()) {
        edit->SetText(QString::number(bullet.x));
    }
    if (CEditUI* edit = m_yEdit.Get()) {
        edit->SetText(QString::number(bullet.y));
    }
    if (CEditUI* edit = m_delayEdit.Get()) {
        edit->SetText(QString::number(bullet.delay));
    }
}

int CShootControlUI::EditNumber(CEditUI* edit) {
    if (edit == nullptr) {
        return 0;
    }
    bool ok = false;
    const int value = edit->GetEditText().trimmed().toInt(&ok);
    return ok ? value : 0;
}

bool CShootControlUI::SaveBullet() {
    if (m_bullet < 0) {
        return false;
    }
    const std::filesystem::path path = UserGunFile();
    std::optional<Json::Value> document = m_store.ReadForUpdate(path);
    if (!document) {
        TraceFormat("the gun file %s is damaged and could not be moved aside: not saved",
                    path.c_str());
        return false;
    }
    ShootBullet bullet;
    const COptionUI* xCheck = m_xCheck.Get();
    const COptionUI* yCheck = m_yCheck.Get();
    bullet.left = xCheck != nullptr && xCheck->IsSelected();
    bullet.up = yCheck != nullptr && yCheck->IsSelected();
    bullet.x = EditNumber(m_xEdit.Get());
    bullet.y = EditNumber(m_yEdit.Get());
    bullet.delay = EditNumber(m_delayEdit.Get());
    ShootPattern::WriteBullet(*document, m_bullet, bullet);
    if (m_store.WriteJson(path, *document) != 0) {
        TraceFormat("the gun file %s could not be written", path.c_str());
        return false;
    }
    return true;
}

bool CShootControlUI::ResetGun() {
    bool copied = false;
    const TextRead factory = m_store.ReadTextFile(FactoryGunFile());
    if (factory.state == ReadState::Read) {
        copied = m_store.WriteText(UserGunFile(), factory.text) == 0;
        if (!copied) {
            TraceFormat("the gun file %s could not be reset", UserGunFile().c_str());
        }
    } else {
        TraceFormat("no factory gun file %s: nothing reset", FactoryGunFile().c_str());
    }
    SelectBullet(m_bullet);
    return copied;
}

void CShootControlUI::XCheckChanged() {
    ShowDirections();
}

void CShootControlUI::YCheckChanged() {
    ShowDirections();
}

void CShootControlUI::ShowDirections() {
    if (COptionUI* check = m_xCheck.Get()) {
        check->SetResourceText(true);
        check->SetText(check->IsSelected() ? QStringLiteral("mouse_move_to_left_text")
                                           : QStringLiteral("mouse_move_to_right_text"));
    }
    if (COptionUI* check = m_yCheck.Get()) {
        check->SetResourceText(true);
        check->SetText(check->IsSelected() ? QStringLiteral("mouse_move_to_up_text")
                                           : QStringLiteral("mouse_move_to_down_text"));
    }
}

}  // namespace quaro
