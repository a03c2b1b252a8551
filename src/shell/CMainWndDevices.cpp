// The main window's devices: discovery's notices become pages, and a page built after the start
// takes the window's current state.
#include "device/CatalogueTables.h"
#include "pages/CKestrovaKeyboardDevice.h"
#include "pages/CKestrovaMouseDevice.h"
#include "shell/CMainWnd.h"
#include "shell/DiscoveryLink.h"
#include "ui/MainMessages.h"

namespace quaro {

void CMainWnd::ConfigureNewPage(CKestrovaUSBDevice& page) {
    if (m_services.systemSettings != nullptr) {
        if (auto* keyboard = dynamic_cast<CKestrovaKeyboardDevice*>(&page)) {
            keyboard->SetSystemSettingsService(*m_services.systemSettings);
        }
    }
    if (auto* mouse = dynamic_cast<CKestrovaMouseDevice*>(&page)) {
        mouse->SetPointerApplier(m_pointerApplier.get());
    }
    // The flags every page built at start would have been given as they changed; the headset
    // takes neither, as the copies below never reach it.
    if (page.GetDeviceKind() != kKindHeadset) {
        page.SetLightControl(m_resumed ? m_lightControl : 0);
        page.SetForeground(m_foreground);
    }
}

void CMainWnd::StartDiscovery() {
    if (!m_services.backend || m_discovery) {
        return;
    }
    m_discovery = std::make_unique<DiscoveryLink>(GetHWND(), m_instanceMessage, m_services.backend,
                                                  m_services.discovery);
    m_discovery->Start();
}

std::vector<DeviceInterfaceEntry> CMainWnd::SlotTable() const {
    if (m_discovery) {
        return m_discovery->Slots().Snapshot();
    }
    return {kInterfaceCatalogue.begin(), kInterfaceCatalogue.end()};
}

void CMainWnd::OnDeviceMessage(unsigned message, WPARAM slot) {
    // Discovery stops before the window goes; a notice it queued meanwhile is dropped.
    if (!m_discovery || m_exiting) {
        return;
    }
    const std::optional<DeviceInterfaceEntry> entry =
        m_discovery->Slots().Slot(static_cast<int>(slot));
    if (!entry) {
        return;
    }
    if (message == mainmsg::kDeviceArrival) {
        // The slot may have been freed again since the notice was sent; its path then is empty
        // and the page would open nothing.
        if (entry->connected == 0) {
            return;
        }
        m_devices.Arrival(*entry);
        // Nothing can be synchronised before a device is there, and an idle sync thread still
        // wakes every second: it starts with the first arrival and runs from then on.
        if (!m_workers[kLightSyncSlot]) {
            StartWorker(kLightSyncSlot, [this](StopEvent& stop) { m_lightSync.Run(stop); });
        }
        OnInstanceMessage(m_instanceMessage, 0, 0);
    } else {
        // The removed interface's path is gone from the slot; the page matches by interface.
        m_devices.Removal(*entry);
    }
}

}  // namespace quaro
