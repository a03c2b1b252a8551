#pragma once

#include "device/CatalogueEntries.h"
#include "device/CatalogueTables.h"
#include "shell/PageLists.h"
#include "ui/toolkit/WindowHandle.h"

#include <QString>

#include <array>
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
// built hidden the first time that type is needed (its device arrives, or a screenshot scene or
// a test asks for its page) and kept for the window's life, and the arrival and removal steps
// with the tab selection rules that show and hide them as devices come and go. Building a page
// reads its layout, pictures and style; a window that built all four before its first arrival
// kept that arrival waiting for pages of devices that may never come.
//
// Threads: the UI thread, but for CopyPages. Discovery's notices are sent to the window and the
// instance endpoint's requests posted to it, and the update thread reads the tabs through the
// window's thread, so all of them reach the set on the UI thread. The light sync thread alone
// walks the pages from its own thread while pages are being added: it reads a copy taken under
// the lists' lock.
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
        // A page was just built, before it is shown: it takes the window's current state.
        std::function<void(CKestrovaUSBDevice& page)> pageBuilt;
    };

    explicit DevicePageSet(Host host);
    ~DevicePageSet();
    DevicePageSet(const DevicePageSet&) = delete;
    DevicePageSet& operator=(const DevicePageSet&) = delete;

    // The first page of the kind (kinds 2 and 6 are mice), its hidden tab and power widget built
    // now if they are not yet; null when no device type row has that kind or the build failed.
    CKestrovaUSBDevice* EnsurePage(int kind);

    // An interface was bound to the slot, or the one bound to it is gone (UI thread, with the
    // slot as discovery reported it). An arrival builds the page of its device type first if it
    // is not built yet; a removal never builds one.
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

    // The pages built so far, by kind, in the order they were built (UI thread). A loop over one
    // of these lists must not build a page.
    const std::vector<CKestrovaUSBDevice*>& Mice() const { return m_pages.Of(Lists::kMice); }
    const std::vector<CKestrovaUSBDevice*>& Keyboards() const {
        return m_pages.Of(Lists::kKeyboards);
    }
    const std::vector<CKestrovaUSBDevice*>& MousePads() const {
        return m_pages.Of(Lists::kMousePads);
    }
    const std::vector<CKestrovaUSBDevice*>& Headsets() const {
        return m_pages.Of(Lists::kHeadsets);
    }
    const std::vector<CMpDevicePowerUI*>& PowerWidgets() const { return m_powerWidgets; }
    // Every page built so far, in the order mice, keyboards, mouse pads, headsets.
    std::vector<CKestrovaUSBDevice*> AllPages() const;
    // From any thread, into out (its storage reused): every page built so far in the order the
    // light sync hands out its colours, mice, mouse pads, headsets, then keyboards.
    void CopyPages(std::vector<CKestrovaUSBDevice*>& out) const {
        m_pages.CopyAll(out,
                        {Lists::kMice, Lists::kMousePads, Lists::kHeadsets, Lists::kKeyboards});
    }
    // The first page of a kind (kinds 2 and 6 are mice) if it is built, or null.
    CKestrovaUSBDevice* FirstPageOfKind(int kind) const;
    // The tab of a device type row, or null while the row's page is not built.
    CDeviceOptionUI* RowTab(std::size_t row) const {
        return row < m_rowTabs.size() ? m_rowTabs[row] : nullptr;
    }

private:
    using Lists = PageLists<CKestrovaUSBDevice>;

    // Builds the device type row's page, tab and power widget; tried once per row.
    void BuildRow(std::size_t row);
    CKestrovaUSBDevice* CreatePage(int slot, const DeviceInterfaceEntry& entry);
    CKestrovaUSBDevice* PageForSlot(const DeviceInterfaceEntry& slot) const;
    // Builds the page an arrival on the slot belongs to, if its row is not built yet.
    void BuildPageForSlot(const DeviceInterfaceEntry& slot);
    const std::vector<CKestrovaUSBDevice*>& ListForKind(int kind) const;
    std::vector<CDeviceOptionUI*> Tabs() const;
    void AfterTabChange();
    void ShowConnectionStatus(bool connected);
    void SelectPowerIndex(CDeviceOptionUI* tab);
    template <class T>
    T* Find(const char* name) const;

    Host m_host;
    std::array<bool, kDeviceTypeCount> m_rowTried{};
    // The tab of each built row: a tab built late goes in before those of later rows, so the
    // tab strip keeps the rows' order whatever order the devices came in.
    std::array<CDeviceOptionUI*, kDeviceTypeCount> m_rowTabs{};
    Lists m_pages;
    std::vector<CMpDevicePowerUI*> m_powerWidgets;
};

}  // namespace quaro
