#pragma once

#include "panels/devicetab/InnerControl.h"
#include "profiles/ProfileListStore.h"
#include "ui/toolkit/CComboUI.h"
#include "ui/toolkit/CContainerUI.h"
#include "ui/toolkit/CEditUI.h"
#include "ui/toolkit/COptionUI.h"

#include <QString>

#include <array>
#include <filesystem>
#include <string>

namespace quaro {

// How a change of the profile list went. Refused: the change does not apply (the list is full,
// nothing is selected, the last profile, a taken name, a file that is no profile); nothing was
// touched. Failed: it should have happened but the folder could not be written; the list, the
// documents and the combo are as they were.
enum class ProfileChange { Done, Refused, Failed };

// The profile bar of a device page: the device's profiles in "device_profile_combo", the name
// edit, the collapsible row of profile buttons and the page's option tabs. The list lives on
// disk (ProfileListStore); the combo always shows the list as last written, so a failed write
// leaves the bar showing what the disk holds.
class CDeviceProfileUI : public CHorizontalLayoutUI {
public:
    static constexpr int kItemHeight = 30;

    explicit CDeviceProfileUI(QWidget* parent = nullptr);
    QString GetClass() const override { return QStringLiteral("DeviceProfile"); }

    void SetDeviceKind(int kind) { m_store.SetDeviceKind(kind); }
    int GetDeviceKind() const { return m_store.DeviceKind(); }
    void SetFolder(const std::filesystem::path& folder) { m_store.SetFolder(folder); }
    const std::filesystem::path& GetFolder() const { return m_store.Folder(); }
    void SetDefaultProfilePath(const std::filesystem::path& path) {
        m_store.SetDefaultProfilePath(path);
    }

    // Reads (or starts) the list, fills the combo, selects the stored profile and shows the
    // kind's option tabs.
    void InitProfileList();
    // Makes profile index current and stores the choice. On a failed write the combo returns
    // to the profile that stays current.
    ProfileChange SelectProfile(int index);
    // The combo's selected index, or -1.
    int GetSelectedIndex();
    // The text of "device_profile_name_edit"; empty without the control.
    QString GetEditedName();
    const std::string& GetCurrentProfileId() const { return m_store.GetCurrentProfileId(); }
    // The current profile's document; empty when there is none.
    std::filesystem::path GetCurrentProfilePath() const;
    int GetProfileCount() const { return static_cast<int>(m_store.Names().size()); }

    ProfileChange AddProfile();
    ProfileChange CopyProfile();
    // The profile before the deleted one (the first when the first went) becomes current.
    ProfileChange DeleteProfile();
    // Refused unless the file is a JSON document holding "profilename" and "profileUUID".
    ProfileChange ImportProfile(const std::filesystem::path& path);
    ProfileChange ExportProfile(const std::filesystem::path& path);
    // Refused when another profile carries the name (without regard to case).
    ProfileChange RenameProfile(const QString& name);
    ProfileChange ResetProfile();

    // Selects exactly the option tab n (1 to 7); any other n selects none. Silent: the page
    // has already been told.
    void SelectOptionTab(int n);
    // Whether "profile_menu_layout" is open.
    bool IsSpread();
    void SetSpread(bool spread);

private:
    // The combo, the edit and the selection mirror the store.
    void ShowStore();
    void ApplyTabVisibility();
    COptionUI* OptionTab(int n);

    ProfileListStore m_store;
    JsonFileStore m_files;
    InnerControl<CComboUI> m_combo;
    InnerControl<CEditUI> m_nameEdit;
    InnerControl<CControlUI> m_menu;
    std::array<InnerControl<COptionUI>, kOptionTabNames.size()> m_tabs;
};

}  // namespace quaro
