#pragma once

#include "panels/devicetab/InnerControl.h"
#include "panels/shoot/ShootPattern.h"
#include "profiles/JsonFileStore.h"
#include "ui/toolkit/CContainerUI.h"

#include <QString>

#include <filesystem>
#include <vector>

namespace quaro {

class CEditUI;
class CLabelUI;
class COptionUI;
class CTabLayoutUI;

// The mouse page's firing patterns: four guns of thirty bullets, each gun in its own file in the
// user's folder with a factory copy in the default data folder. The controls always show the
// current bullet of the current gun as its file holds it; nothing is written until a bullet is
// saved or a gun reset.
//
// Threads: the UI thread only.
class CShootControlUI : public CHorizontalLayoutUI {
public:
    static constexpr int kGunCount = ShootPattern::kGunCount;
    static constexpr int kBulletCount = ShootPattern::kBulletCount;

    explicit CShootControlUI(QWidget* parent = nullptr);
    QString GetClass() const override { return QStringLiteral("ShootControl"); }

    void SetFolders(std::filesystem::path userFolder, std::filesystem::path defaultFolder);
    // Looks every control up; true when the layout has all of them.
    bool FindControls();
    bool HasAllControls() const { return m_allFound; }

    int GetGun() const { return m_gun; }
    int GetBullet() const { return m_bullet; }
    std::filesystem::path UserGunFile() const;
    std::filesystem::path FactoryGunFile() const;

    // n is clamped to the guns (0-3) and bullets (0-29) there are.
    void SelectGun(int n);
    void SelectBullet(int n);
    void PreviousBullet() { SelectBullet(m_bullet - 1); }
    void NextBullet() { SelectBullet(m_bullet + 1); }
    void ShowBullet();
    // False when nothing was written: no bullet selected, or a damaged gun file that could not
    // be moved aside (it is kept, not written over).
    bool SaveBullet();
    // The factory file copied byte for byte over the user's; false when there is none to copy
    // or it could not be written. The bullet is shown again either way.
    bool ResetGun();
    // The check boxes' texts follow their state; nothing is saved.
    void XCheckChanged();
    void YCheckChanged();

private:
    void ShowDirections();
    int EditNumber(CEditUI* edit);

    std::filesystem::path m_userFolder;
    std::filesystem::path m_defaultFolder;
    JsonFileStore m_store;
    std::vector<InnerControl<COptionUI>> m_gunOptions;
    std::vector<InnerControl<COptionUI>> m_bulletOptions;
    InnerControl<CTabLayoutUI> m_gunPictures;
    InnerControl<CLabelUI> m_bulletIndex;
    InnerControl<CControlUI> m_previous;
    InnerControl<CControlUI> m_next;
    InnerControl<COptionUI> m_xCheck;
    InnerControl<COptionUI> m_yCheck;
    InnerControl<CEditUI> m_xEdit;
    InnerControl<CEditUI> m_yEdit;
    InnerControl<CEditUI> m_delayEdit;
    InnerControl<CControlUI> m_editLayout;
    InnerControl<CControlUI> m_saveButton;
    InnerControl<CControlUI> m_resetButton;
    InnerControl<CControlUI> m_importButton;
    InnerControl<CControlUI> m_exportButton;
    bool m_allFound = false;
    int m_gun = 0;
    int m_bullet = -1;
};

}  // namespace quaro
