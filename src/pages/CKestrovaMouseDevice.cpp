#include "pages/CKestrovaMouseDevice.h"

#include "panels/shoot/CShootControlUI.h"
#include "platform/Paths.h"
#include "platform/Trace.h"

namespace quaro {

CKestrovaMouseDevice::CKestrovaMouseDevice(QWidget* parent)
    : CKestrovaUSBDevice(parent), m_systemView(*this) {
    m_systemView.SetStoreWords([this](const MouseSystemWords& words) { StoreSystemWords(words); });
}

bool CKestrovaMouseDevice::ConnectDevice(const DeviceInterfaceEntry& slot) {
    const bool opened = CKestrovaUSBDevice::ConnectDevice(slot);
    if (opened && Driver() != nullptr) {
        Driver()->Primary().SetSlowLink(slot.kind == kKindMouseSlowLink);
    }
    return opened;
}

void CKestrovaMouseDevice::InitPage() {
    CKestrovaUSBDevice::InitPage();
    m_shootPanel = nullptr;
    for (QWidget* widget : findChildren<QWidget*>(QStringLiteral("ShootControlItem"))) {
        if (auto* panel = dynamic_cast<CShootControlUI*>(AsControl(widget))) {
            m_shootPanel = panel;
            break;
        }
    }
    if (m_shootPanel) {
        m_shootPanel->SetFolders(UserDataFolder(), DefaultDataFolder(ApplicationFolder()));
        m_shootPanel->FindControls();
        m_shootPanel->SelectGun(0);
        m_shootPanel->SelectBullet(0);
    }
}

int CKestrovaMouseDevice::LoadProfile() {
    m_profile.SetDefaultProfilePath(DefaultDataFile());
    if (!CurrentProfilePath().empty()) {
        m_profile.SetProfilePath(CurrentProfilePath());
    }
    m_profile.Load(m_profile.GetProfilePath());
    m_keyList = m_profile.GetKeyList();
    m_systemWords = MouseSystemWords::FromWords(m_profile.GetSystemStages());
    return ApplyProfile();
}

void CKestrovaMouseDevice::RefreshPanels() {
    m_systemView.Show(m_systemWords);
}

void CKestrovaMouseDevice::StoreSystemWords(const MouseSystemWords& words) {
    m_systemWords = words;
    const SystemWords packed = words.ToWords();
    m_profile.SetSystemStages(packed[0], packed[1], packed[2]);
    if (m_profile.GetProfilePath().empty()) {
        Trace("the mouse's pointer settings are not stored: no profile is loaded");
        return;
    }
    if (m_profile.Save() != 0) {
        Trace("the mouse's profile could not be saved");
    }
}

}  // namespace quaro
