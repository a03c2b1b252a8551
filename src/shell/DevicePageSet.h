#pragma once

#include "device/CatalogueEntries.h"
#include "ui/toolkit/WindowHandle.h"

#include <QString>

#include <filesystem>
#include <functional>
#include <memory>
#include <vector>

namespace quaro {

class CControlUI;
class CDeviceOptionUI;
class CKestrovaUSBDevice;
class CMpDevicePowerUI;
class CResourceManager;
class HidBackend;
class IDialogBuilderCallback;

// The main window's device pages, their tabs and power widgets: one of each per device type,
// built hidden at start and kept for the window's life, and the arrival and removal steps with
// the tab selection rules that show and hide them as devices come and go.
//
// Threads: the UI thread only. The page lists are filled once by CreatePages, before any worker
// starts, and never change afterwards, so workers may read them without a lock.
class DevicePageSet {
public:
    // What the set needs of its window.
    struct Host {
        std::function<CControlUI*(const QString& name)> findControl;
        IDialogBuilderCallback* builder = nullptr;
        CResourceManager* resources = nullptr;
        HWND owner;
        std::shared_ptr<HidBackend> backend;
        // Where the pages keep their profiles; empty: the user's data folder.
        std::filesystem::path dataHome;
        QString configFileStem;
        // The selected tab is about to go: pop-up menus close, key capture ends.
        std::function<void()> selectedTabLeaving;
    };

    explicit DevicePageSet(Host host);
    ~DevicePageSet();
    DevicePageSet(const DevicePageSet&) = delete;
    DevicePageSet& operator=(const DevicePageSet&) = delete;

    // Builds the hidden page, tab and power widget of every device type row. Once.
    void CreatePages();

    // An interface was bound to the slot, or the one bound to it is gone (UI thread, with the
    // slot as discovery reported it).
    void Arrival(const DeviceInterfaceEntry& slot);
    void Removal(const DeviceInterfaceEntry& slot);

    // The selection rules.
    void ShowTab(CDeviceOptionUI* tab, bool select);
    void HideTab(CDeviceOptionUI* tab);
    // The user chose a tab: its power widget follows its page.
    void TabChosen(CDeviceOptionUI* tab);

    // The page of the first selected tab that shows and has one; null when there is none.
    CKestrovaUSBDevice* CurrentPage() const;
    // Tabs shown; first: the index of the first in "device_select_layout", or -1.
    int ShownTabCount(int* first = nullptr) const;

    const std::vector<CKestrovaUSBDevice*>& Mice() const { return m_mice; }
    const std::vector<CKestrovaUSBDevice*>& Keyboards() const { return m_keyboards; }
    const std::vector<CKestrovaUSBDevice*>& MousePads() const { return m_mousePads; }
    const std::vector<CKestrovaUSBDevice*>& Headsets() const { return m_headsets; }
    const std::vector<CMpDevicePowerUI*>& PowerWidgets() const { return m_powerWidgets; }
    // Every page, in the order mice, keyboards, mouse pads, headsets.
    std::vector<CKestrovaUSBDevice*> AllPages() const;
    // The first page of a kind (kinds 2 and 6 are mice), or null.
    CKestrovaUSBDevice* FirstPageOfKind(int kind) const;

private:
    void CreatePage(int slot, const DeviceInterfaceEntry& entry);
    CKestrovaUSBDevice* PageForSlot(const DeviceInterfaceEntry& slot) const;
    std::vector<CKestrovaUSBDevice*>* ListForKind(int kind);
    const std::vector<CKestrovaUSBDevice*>* ListForKind(int kind) const;
    std::vector<CDeviceOptionUI*> Tabs() const;
    void AfterTabChange();
    void ShowConnectionStatus(bool connected);
    void SelectPowerIndex(CDeviceOptionUI* tab);
    template <class T>
    T* Find(const char* name) const;

    Host m_host;
    bool m_created = false;
    std::vector<CKestrovaUSBDevice*> m_mice;
    std::vector<CKestrovaUSBDevice*> m_keyboards;
    std::vector<CKestrovaUSBDevice*> m_mousePads;
    std::vector<CKestrovaUSBDevice*> m_headsets;
    std::vector<CMpDevicePowerUI*> m_powerWidgets;
};

}  // namespace quaro
