#pragma once

#include "pages/CKestrovaUSBDevice.h"
#include "pages/MouseSystemView.h"
#include "panels/shoot/CShootControlUI.h"
#include "profiles/CMouseProfiledata.h"

#include <QPointer>

namespace quaro {

class PointerSettingsApplier;

// The mouse's page. A mouse reached through a slow link (kind 6) shares the page of kind 2;
// its channel then waits longer for replies and carries no light frames.
class CKestrovaMouseDevice : public CKestrovaUSBDevice {
public:
    explicit CKestrovaMouseDevice(QWidget* parent = nullptr);
    QString GetClass() const override { return QStringLiteral("KestrovaMouseDevice"); }

    bool ConnectDevice(const DeviceInterfaceEntry& slot) override;
    // Besides the base's controls: the shoot panel gets its folders and shows gun 0, bullet 0.
    void InitPage() override;

    // The profile's buttons and system words; the controls follow in RefreshPanels.
    int LoadProfile() override;
    void RefreshPanels() override;

    // Where the pointer settings go; the main window owns it and outlives the page's use of it.
    void SetPointerApplier(PointerSettingsApplier* applier) { m_systemView.SetApplier(applier); }
    MouseSystemView& SystemView() { return m_systemView; }
    const std::vector<KeyAssignmentEntry>& GetKeyList() const { return m_keyList; }
    // The "ShootControlItem" panel, or null when the layout has none.
    CShootControlUI* GetShootPanel() const { return m_shootPanel; }

private:
    void StoreSystemWords(const MouseSystemWords& words);

    CMouseProfiledata m_profile;
    MouseSystemWords m_systemWords;
    MouseSystemView m_systemView;
    QPointer<CShootControlUI> m_shootPanel;
};

}  // namespace quaro
