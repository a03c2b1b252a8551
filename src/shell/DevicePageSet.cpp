#include "shell/DevicePageSet.h"

#include "device/Catalogue.h"
#include "device/CatalogueTables.h"
#include "pages/CKestrovaUSBDevice.h"
#include "panels/devicetab/CDeviceOptionUI.h"
#include "panels/devicetab/CMpDevicePowerUI.h"
#include "platform/Trace.h"
#include "ui/toolkit/CContainerUI.h"
#include "ui/toolkit/CDialogBuilder.h"
#include "ui/toolkit/CTabLayoutUI.h"

#include <QStyle>
#include <QWidget>

#include <algorithm>
#include <cerrno>

namespace quaro {
namespace {

const QString kPowerWidgetLayout = QStringLiteral("XML/CustomControlXML/MpDevicePower.xml");
const QString kPageSwitch = QStringLiteral("device_switch");
const QString kNoDevice = QStringLiteral("No_device_Link");

// Where the rule that lets a user open the devices is kept in the source tree and installed.
constexpr const char* kUdevRule = "packaging/udev/70-quaro.rules";

QString Latin1(std::string_view text) {
    return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
}

// The page kind of a slot kind: a mouse behind a slow link has a mouse page.
int PageKind(int kind) {
    return kind == kKindMouseSlowLink ? kKindMouse : kind;
}

// The arrival and removal traces; the headset has none.
const char* ArrivalText(int kind) {
    switch (kind) {
        case kKindKeyboard:
            return "添加一个键盘设备";
        case kKindMouse:
        case kKindMouseSlowLink:
            return "添加一个鼠标设备";
        case kKindMousePad:
            return "添加一个鼠标垫设备";
        default:
            return nullptr;
    }
}

const char* RemovalText(int kind) {
    switch (kind) {
        case kKindKeyboard:
            return "删除一个键盘设备";
        case kKindMouse:
        case kKindMouseSlowLink:
            return "删除一个鼠标设备";
        case kKindMousePad:
            return "删除一个鼠标垫设备";
        default:
            return nullptr;
    }
}

// The catalogue row of a device type row's page; null when the catalogue has none.
const DeviceInterfaceEntry* RowEntry(std::size_t row) {
    const DeviceTypeEntry& type = kDeviceTypes[row];
    const int slot = CatalogueIndexOf(
        static_cast<uint16_t>(type.vendorId), static_cast<uint16_t>(type.productId),
        static_cast<uint16_t>(type.kind), static_cast<uint16_t>(type.role));
    return slot < 0 ? nullptr : &kInterfaceCatalogue[static_cast<std::size_t>(slot)];
}

PageLists<CKestrovaUSBDevice>::Kind ListOf(int kind) {
    switch (PageKind(kind)) {
        case kKindKeyboard:
            return PageLists<CKestrovaUSBDevice>::kKeyboards;
        case kKindMousePad:
            return PageLists<CKestrovaUSBDevice>::kMousePads;
        case kKindHeadset:
            return PageLists<CKestrovaUSBDevice>::kHeadsets;
        default:
            return PageLists<CKestrovaUSBDevice>::kMice;
    }
}

bool SameDevice(const DeviceInterfaceEntry& record, const DeviceInterfaceEntry& slot) {
    return record.vendorId == slot.vendorId && record.productId == slot.productId &&
           record.kind == slot.kind;
}

}  // namespace

DevicePageSet::DevicePageSet(Host host) : m_host(std::move(host)) {}

DevicePageSet::~DevicePageSet() = default;

template <class T>
T* DevicePageSet::Find(const char* name) const {
    return m_host.findControl ? dynamic_cast<T*>(m_host.findControl(QLatin1String(name))) : nullptr;
}

void DevicePageSet::BuildRow(std::size_t row) {
    if (row >= m_rowTried.size() || m_rowTried[row]) {
        return;
    }
    m_rowTried[row] = true;
    if (const DeviceInterfaceEntry* entry = RowEntry(row)) {
        CreatePage(static_cast<int>(entry - kInterfaceCatalogue.data()), *entry);
    }
}

CKestrovaUSBDevice* DevicePageSet::EnsurePage(int kind) {
    bool known = false;
    for (std::size_t row = 0; row < kDeviceTypes.size(); ++row) {
        if (PageKind(static_cast<int>(kDeviceTypes[row].kind)) == PageKind(kind)) {
            known = true;
            BuildRow(row);
        }
    }
    // A kind no row has would otherwise read as the mice's list.
    return known ? FirstPageOfKind(kind) : nullptr;
}

CKestrovaUSBDevice* DevicePageSet::CreatePage(int slot, const DeviceInterfaceEntry& entry) {
    const int typeKind = PageKind(entry.kind);
    uint16_t vendorId = entry.vendorId;
    uint16_t productId = entry.productId;
    if (entry.kind == kKindMouseSlowLink && entry.paired != 0 &&
        entry.partner < kInterfaceCatalogue.size()) {
        vendorId = kInterfaceCatalogue[entry.partner].vendorId;
        productId = kInterfaceCatalogue[entry.partner].productId;
    }
    const int row =
        DeviceTypeIndexOf(vendorId, productId, static_cast<uint32_t>(typeKind), entry.role);
    if (row < 0) {
        return nullptr;
    }
    const DeviceTypeEntry& type = kDeviceTypes[static_cast<std::size_t>(row)];
    const DevicePageEntry& pageRow = kDevicePages[static_cast<std::size_t>(row)];
    auto* pageSwitch = Find<CTabLayoutUI>("device_switch");
    auto* powerSwitch = Find<CTabLayoutUI>("device_power_switch");
    auto* tabList = Find<CContainerUI>("device_select_layout");
    if (pageSwitch == nullptr || powerSwitch == nullptr || tabList == nullptr ||
        m_host.resources == nullptr) {
        return nullptr;
    }

    // Each part is built by its own builder: a builder keeps what it read of its last file.
    auto* power = dynamic_cast<CMpDevicePowerUI*>(
        CDialogBuilder().Create(kPowerWidgetLayout, *m_host.resources, m_host.builder));
    auto* tab = dynamic_cast<CDeviceOptionUI*>(
        CDialogBuilder().Create(Latin1(type.tabLayout), *m_host.resources, m_host.builder));
    if (typeKind == kKindMouse && entry.kind == kKindMouseSlowLink) {
        Trace("12312312312312323123123");
    }
    auto* page = dynamic_cast<CKestrovaUSBDevice*>(
        CDialogBuilder().Create(Latin1(pageRow.pageLayout), *m_host.resources, m_host.builder));
    if (power == nullptr || tab == nullptr || page == nullptr) {
        TraceFormat("device page of slot %d (%s) could not be built\n", slot,
                    std::string(type.kindName).c_str());
        delete power;
        delete tab;
        delete page;
        return nullptr;
    }

    powerSwitch->Add(power);
    power->SetKind(typeKind, entry.role);
    m_powerWidgets.push_back(power);

    page->SetPageLayout(Latin1(pageRow.pageLayout));
    page->SetOwnerWindow(m_host.owner);
    page->SetKeyCount(pageRow.keyCount);
    page->SetLightCount(pageRow.lightCount);
    page->SetPowerMode(pageRow.powerMode);
    page->SetConfigFileStem(m_host.configFileStem);
    page->SetKindName(Latin1(type.kindName));
    page->SetPowerWidget(power);
    page->SetDeviceRecord(entry);
    page->SetPageStyle(type.pageStyle);
    page->SetLightName(Latin1(pageRow.lightName));
    if (!m_host.dataHome.empty()) {
        page->SetDataHome(m_host.dataHome);
    }
    page->SetResources(*m_host.resources);
    if (m_host.backend) {
        page->MakeDriver(m_host.backend);
    }
    page->InitPage();

    pageSwitch->Add(page);

    // After the tabs of earlier rows, before those of later ones.
    int tabIndex = 0;
    for (int earlier = 0; earlier < row; ++earlier) {
        if (CDeviceOptionUI* other = m_rowTabs[static_cast<std::size_t>(earlier)]) {
            tabIndex = std::max(tabIndex, tabList->GetItemIndex(other) + 1);
        }
    }
    tabList->AddAt(tab, tabIndex);
    m_rowTabs[static_cast<std::size_t>(row)] = tab;
    tab->ShowSynchroOption(false);
    tab->SetGroup(Latin1(type.tabGroup));
    tab->BindTab(kPageSwitch, pageSwitch->GetItemIndex(page));
    tab->SetPowerContainer(Latin1(type.powerContainer), powerSwitch->GetItemIndex(power));
    tab->SetKindIcons(typeKind, entry.role);
    tab->SetVisible(false);
    tab->SetDeviceName(Latin1(type.kindName));
    tab->AttachPage(page);
    page->SetDeviceTab(tab);
    tab->SetPreviewControl(page->GetSelectPanel());
    // A page built while two tabs show already takes part in light sync's choice as the others.
    page->SetMultiDevice(ShownTabCount() >= 2);
    // Published whole: a worker that finds the page in a list finds it configured.
    m_pages.Add(ListOf(typeKind), page);
    if (m_host.pageBuilt) {
        m_host.pageBuilt(*page);
    }
    return page;
}

const std::vector<CKestrovaUSBDevice*>& DevicePageSet::ListForKind(int kind) const {
    return m_pages.Of(ListOf(kind));
}

std::vector<CKestrovaUSBDevice*> DevicePageSet::AllPages() const {
    std::vector<CKestrovaUSBDevice*> pages;
    m_pages.CopyAll(pages);
    return pages;
}

CKestrovaUSBDevice* DevicePageSet::FirstPageOfKind(int kind) const {
    const std::vector<CKestrovaUSBDevice*>& list = ListForKind(kind);
    return list.empty() ? nullptr : list.front();
}

// --- arrival and removal ---

CKestrovaUSBDevice* DevicePageSet::PageForSlot(const DeviceInterfaceEntry& slot) const {
    for (CKestrovaUSBDevice* page : ListForKind(slot.kind)) {
        const DeviceInterfaceEntry record = page->GetDeviceRecord();
        // The secondary interface belongs to the page of the same device; the primary one to
        // the page bound to exactly that interface.
        if (slot.role == kRoleSecondary ? SameDevice(record, slot) : record.SameInterface(slot)) {
            return page;
        }
    }
    return nullptr;
}

// The page a slot belongs to is the one whose record is the slot's catalogue row, matched as
// PageForSlot matches a built page, so a page built on its device's arrival is the one that
// would have been waiting for it.
void DevicePageSet::BuildPageForSlot(const DeviceInterfaceEntry& slot) {
    for (std::size_t row = 0; row < kDeviceTypes.size(); ++row) {
        const DeviceInterfaceEntry* entry = RowEntry(row);
        if (m_rowTried[row] || entry == nullptr || PageKind(entry->kind) != PageKind(slot.kind)) {
            continue;
        }
        if (slot.role == kRoleSecondary ? SameDevice(*entry, slot) : entry->SameInterface(slot)) {
            BuildRow(row);
        }
    }
}

void DevicePageSet::Arrival(const DeviceInterfaceEntry& slot) {
    if (const char* text = ArrivalText(slot.kind)) {
        Trace(text);
    }
    CKestrovaUSBDevice* page = PageForSlot(slot);
    if (page == nullptr) {
        BuildPageForSlot(slot);
        page = PageForSlot(slot);
    }
    if (page == nullptr) {
        return;
    }
    if (slot.role == kRoleSecondary) {
        if (!page->AttachSecondary(slot.devicePath)) {
            TraceFormat("secondary interface %s not attached\n", slot.devicePath.c_str());
        }
        return;
    }
    if (page->IsPrimaryConnected()) {
        return;
    }
    // A failed open keeps the slot bound and the tab shown, so the user sees the device; its
    // commands answer nothing until it is plugged in again. The reason is left in the trace.
    if (!page->ConnectDevice(slot)) {
        const int error = page->Driver() != nullptr ? page->Driver()->LastOpenError() : 0;
        if (error == EACCES) {
            TraceFormat(
                "%s: permission denied; the udev rule that gives the user access to the "
                "device (%s) is not installed\n",
                slot.devicePath.c_str(), kUdevRule);
        } else {
            TraceFormat("%s could not be opened; the device page stays disconnected\n",
                        slot.devicePath.c_str());
        }
    }
    CDeviceOptionUI* tab = page->GetDeviceTab();
    if (tab == nullptr) {
        return;
    }
    const bool anyShown = ShownTabCount() > 0;
    ShowTab(tab, !anyShown);
    tab->StartPageTimers();
}

void DevicePageSet::Removal(const DeviceInterfaceEntry& slot) {
    if (const char* text = RemovalText(slot.kind)) {
        Trace(text);
    }
    CKestrovaUSBDevice* page = PageForSlot(slot);
    if (page == nullptr) {
        return;
    }
    if (slot.role == kRoleSecondary) {
        page->DetachSecondary();
        return;
    }
    page->DisconnectDevice();
    if (CDeviceOptionUI* tab = page->GetDeviceTab()) {
        HideTab(tab);
    }
}

// --- selection rules ---

std::vector<CDeviceOptionUI*> DevicePageSet::Tabs() const {
    std::vector<CDeviceOptionUI*> tabs;
    if (auto* list = Find<CContainerUI>("device_select_layout")) {
        for (int i = 0; i < list->GetCount(); ++i) {
            if (auto* tab = dynamic_cast<CDeviceOptionUI*>(list->GetItemAt(i))) {
                tabs.push_back(tab);
            }
        }
    }
    return tabs;
}

int DevicePageSet::ShownTabCount(int* first) const {
    if (first != nullptr) {
        *first = -1;
    }
    auto* list = Find<CContainerUI>("device_select_layout");
    if (list == nullptr) {
        return 0;
    }
    int count = 0;
    for (int i = 0; i < list->GetCount(); ++i) {
        auto* tab = dynamic_cast<CDeviceOptionUI*>(list->GetItemAt(i));
        if (tab != nullptr && tab->IsShown() && tab->GetPage() != nullptr) {
            if (count == 0 && first != nullptr) {
                *first = i;
            }
            ++count;
        }
    }
    return count;
}

CKestrovaUSBDevice* DevicePageSet::CurrentPage() const {
    for (CDeviceOptionUI* tab : Tabs()) {
        if (tab->IsShown() && tab->IsDeviceSelected() && tab->GetPage() != nullptr) {
            return dynamic_cast<CKestrovaUSBDevice*>(tab->GetPage());
        }
    }
    return nullptr;
}

void DevicePageSet::SelectPowerIndex(CDeviceOptionUI* tab) {
    auto* powerSwitch = Find<CTabLayoutUI>("device_power_switch");
    if (powerSwitch == nullptr) {
        return;
    }
    if (tab->GetPowerIndex() < 0) {
        powerSwitch->SetVisible(false);
    } else {
        powerSwitch->SetVisible(true);
        powerSwitch->SelectItem(tab->GetPowerIndex());
    }
}

void DevicePageSet::ShowTab(CDeviceOptionUI* tab, bool select) {
    tab->SetVisible(true);
    if (select) {
        // Selecting the option selects the page bound to it.
        tab->SetDeviceSelected(true);
        SelectPowerIndex(tab);
    }
    AfterTabChange();
}

void DevicePageSet::HideTab(CDeviceOptionUI* tab) {
    CDeviceOptionUI* successor = nullptr;
    if (tab->IsShown() && tab->IsDeviceSelected()) {
        if (m_host.selectedTabLeaving) {
            m_host.selectedTabLeaving();
        }
        for (CDeviceOptionUI* other : Tabs()) {
            if (other != tab && other->IsShown()) {
                successor = other;
                break;
            }
        }
    }
    tab->SetVisible(false);
    tab->SetDeviceSelected(false);
    if (successor != nullptr) {
        ShowTab(successor, true);
        return;
    }
    AfterTabChange();
}

void DevicePageSet::TabChosen(CDeviceOptionUI* tab) {
    if (tab != nullptr && tab->IsShown()) {
        SelectPowerIndex(tab);
    }
}

void DevicePageSet::ShowConnectionStatus(bool connected) {
    if (!m_host.findControl) {
        return;
    }
    if (CControlUI* text = m_host.findControl(QStringLiteral("status_text"))) {
        text->SetResourceText(true);
        text->SetText(connected ? QStringLiteral("status_connected")
                                : QStringLiteral("status_waiting"));
    }
    if (CControlUI* dot = m_host.findControl(QStringLiteral("status_dot"))) {
        QWidget* widget = dot->GetWidget();
        widget->setProperty("connected", connected);
        widget->style()->unpolish(widget);
        widget->style()->polish(widget);
    }
}

void DevicePageSet::AfterTabChange() {
    const int shown = ShownTabCount();
    if (CControlUI* overlay = m_host.findControl ? m_host.findControl(kNoDevice) : nullptr) {
        overlay->SetVisible(shown == 0);
    }
    ShowConnectionStatus(shown > 0);
    if (shown == 0) {
        if (auto* powerSwitch = Find<CTabLayoutUI>("device_power_switch")) {
            powerSwitch->SelectItem(0);
        }
        if (auto* pageSwitch = Find<CTabLayoutUI>("device_switch")) {
            pageSwitch->SelectItem(0);
        }
    }
    const bool multiDevice = shown >= 2;
    for (CKestrovaUSBDevice* page : AllPages()) {
        page->SetMultiDevice(multiDevice);
        if (!multiDevice) {
            page->SetLightSync(false);
        }
    }
    int synchronised = 0;
    const std::vector<CDeviceOptionUI*> tabs = Tabs();
    for (CDeviceOptionUI* tab : tabs) {
        if (tab->IsShown() && tab->IsSynchroSelected()) {
            ++synchronised;
        }
    }
    if (synchronised < 2) {
        for (CDeviceOptionUI* tab : tabs) {
            tab->SetSynchroSelected(false);
        }
    }
}

}  // namespace quaro
