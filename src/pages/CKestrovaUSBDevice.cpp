#include "pages/CKestrovaUSBDevice.h"

#include "devices/light/LedLightFrame.h"
#include "pages/ControlNameNumber.h"
#include "pages/PageProfileLink.h"
#include "panels/controls/CDeviceKeyButtonUI.h"
#include "panels/controls/CSelectPanelUI.h"
#include "panels/devicetab/CMpDevicePowerUI.h"
#include "panels/light/CLightControlUI.h"
#include "panels/profile/CDeviceProfileUI.h"
#include "panels/profile/IProfileFileChooser.h"
#include "panels/profile/ProfileBarRoutes.h"
#include "platform/Paths.h"
#include "platform/Trace.h"
#include "ui/MainMessages.h"
#include "ui/toolkit/CTabLayoutUI.h"

#include <QGuiApplication>
#include <QMetaObject>
#include <QScreen>

#include <algorithm>
#include <span>
#include <system_error>

namespace quaro {
namespace {

constexpr uint32_t kWhite = 0xFFFFFF;
constexpr uint32_t kFullIntensity = 255;

// Function pages as the main window's function buttons number them.
constexpr int kPageMacros = 3;
constexpr int kPageSystem = 4;
constexpr int kPagePointer = 5;
constexpr int kPageKeys = 2;
constexpr int kPageVoice = 6;
constexpr int kPageVoiceEffects = 7;

// The first control below root (depth first, in child order) of the given class.
CControlUI* FindFirstOfClass(QWidget* root, const QString& className) {
    for (QWidget* widget : root->findChildren<QWidget*>()) {
        CControlUI* control = AsControl(widget);
        if (control != nullptr && control->GetClass() == className) {
            return control;
        }
    }
    return nullptr;
}

// The table index a control names with the given prefix, or -1 when it names none below count.
int NamedIndex(const QString& text, QLatin1StringView prefix, int count) {
    const std::optional<ControlNameNumber> split = SplitControlNameNumber(text);
    if (!split || split->prefix.compare(prefix, Qt::CaseInsensitive) != 0) {
        return -1;
    }
    return split->number >= 0 && split->number < count ? split->number : -1;
}

int ClampCount(int count) {
    return std::clamp(count, 0, CKestrovaUSBDevice::kMaxKeyCount);
}

}  // namespace

CKestrovaUSBDevice::CKestrovaUSBDevice(QWidget* parent)
    : CHorizontalLayoutUI(parent), m_lightClock(SteadyMillisecondClock()) {}

CKestrovaUSBDevice::~CKestrovaUSBDevice() {
    // The worker reports to this object: it must be gone before any member is.
    StopDriver();
}

void CKestrovaUSBDevice::StopDriver() {
    if (m_driver) {
        m_driver->Stop();
        m_driver->DetachSecondary();
        m_driver->Disconnect();
        m_driver.reset();
    }
}

void CKestrovaUSBDevice::CreateDriver(const DriverFactory& factory) {
    StopDriver();
    m_driver = factory(this);
    if (m_driver) {
        m_driver->SetDeviceRecord(m_record);
        m_driver->Start();
    }
}

void CKestrovaUSBDevice::CreateDriver(std::shared_ptr<HidBackend> backend) {
    CreateDriver([&backend](DriverEventSink* sink) {
        return std::make_unique<DeviceDriver>(std::move(backend), sink);
    });
}

bool CKestrovaUSBDevice::ConnectDevice(const DeviceInterfaceEntry& slot) {
    if (!m_driver) {
        return false;
    }
    const bool opened = m_driver->Connect(slot.devicePath);
    if (opened) {
        SetDeviceRecord(slot);
    }
    return opened;
}

void CKestrovaUSBDevice::DisconnectDevice() {
    if (m_driver) {
        m_driver->Disconnect();
    }
}

bool CKestrovaUSBDevice::AttachSecondary(const std::string& path) {
    return m_driver && m_driver->AttachSecondary(path);
}

void CKestrovaUSBDevice::DetachSecondary() {
    if (m_driver) {
        m_driver->DetachSecondary();
    }
}

void CKestrovaUSBDevice::SetLightSync(bool on) {
    if (m_driver) {
        m_driver->Primary().SetLightSync(on);
        if (!on) {
            m_driver->WakeLight();
        }
    }
}

void CKestrovaUSBDevice::WakeLight() {
    if (m_driver) {
        m_driver->WakeLight();
    }
}

bool CKestrovaUSBDevice::IsLightSync() const {
    return m_driver && m_driver->Primary().LightSync();
}

bool CKestrovaUSBDevice::IsPrimaryConnected() const {
    return m_driver && m_driver->IsConnected();
}

// --- configuration ---

void CKestrovaUSBDevice::SetKeyCount(int count) {
    m_keyCount = ClampCount(count);
    m_keyButtons.assign(static_cast<std::size_t>(m_keyCount), nullptr);
}

void CKestrovaUSBDevice::SetLightCount(int count) {
    const int clamped = ClampCount(count);
    const auto size = static_cast<std::size_t>(clamped);
    std::lock_guard lock(m_lightLock);
    m_lightCount = clamped;
    m_lightColours.resize(size);
    m_perLightSettings.assign(size, LightSetting{});
    m_lightButtons.assign(size, nullptr);
}

void CKestrovaUSBDevice::SetPowerMode(int mode) {
    m_powerMode = mode;
    if (m_powerWidget) {
        m_powerWidget->ShowPowerLayout(mode);
    }
}

void CKestrovaUSBDevice::SetPowerWidget(CMpDevicePowerUI* widget) {
    m_powerWidget = widget;
    if (widget != nullptr) {
        widget->ShowPowerLayout(m_powerMode);
    }
}

void CKestrovaUSBDevice::SetDeviceRecord(const DeviceInterfaceEntry& record) {
    m_record = record;
    m_kind = record.kind;
    m_role = record.role;
    if (m_driver) {
        m_driver->SetDeviceRecord(record);
    }
}

CDeviceKeyButtonUI* CKestrovaUSBDevice::GetKeyButton(int index) const {
    return index >= 0 && index < m_keyCount ? m_keyButtons[static_cast<std::size_t>(index)].data()
                                            : nullptr;
}

CDeviceKeyButtonUI* CKestrovaUSBDevice::GetLightButton(int index) const {
    return index >= 0 && index < m_lightCount
               ? m_lightButtons[static_cast<std::size_t>(index)].data()
               : nullptr;
}

// --- the picture ---

void CKestrovaUSBDevice::InitPage() {
    SetUpProfileBar();
    m_lightPanel =
        dynamic_cast<CLightControlUI*>(FindFirstOfClass(this, QStringLiteral("LightControl")));
    if (m_lightPanel) {
        m_lightPanel->SetDeviceKind(m_kind);
        m_lightPanel->SetMultiDevice(m_multiDevice);
    }
    if (m_pageLayout.isEmpty()) {
        SetKeyCount(0);
        SetLightCount(0);
        return;
    }
    m_selectPanel =
        dynamic_cast<CSelectPanelUI*>(FindFirstOfClass(this, QStringLiteral("SelectPanel")));
    if (!m_selectPanel) {
        return;
    }
    for (QWidget* widget : m_selectPanel->findChildren<QWidget*>()) {
        auto* button = dynamic_cast<CDeviceKeyButtonUI*>(AsControl(widget));
        if (button == nullptr || button->GetClass() != u"DeviceKeyButton") {
            continue;
        }
        const int key = NamedIndex(button->GetName(), QLatin1StringView("key_"), m_keyCount);
        if (key >= 0) {
            m_keyButtons[static_cast<std::size_t>(key)] = button;
        }
        const int light =
            NamedIndex(button->GetUserData(), QLatin1StringView("light_"), m_lightCount);
        if (light >= 0) {
            m_lightButtons[static_cast<std::size_t>(light)] = button;
            button->SetLight(kWhite, kFullIntensity, true);
        }
    }
}

void CKestrovaUSBDevice::SelectFunctionTab(int page) {
    m_functionTab = page;
    CTabLayoutUI* functionSwitch =
        FindTabLayout(m_functionSwitch, QStringLiteral("device_function_switch"));
    CTabLayoutUI* keySwitch =
        FindTabLayout(m_keyFunctionSwitch, QStringLiteral("device_key_function_switch"));
    if (functionSwitch == nullptr || keySwitch == nullptr) {
        return;
    }
    switch (page) {
        case kPageMacros:
        case kPageVoiceEffects:
            functionSwitch->SelectItem(1);
            return;
        case kPagePointer:
            functionSwitch->SelectItem(2);
            return;
        default:
            break;
    }
    functionSwitch->SelectItem(0);
    int keyTab = 0;
    if (page == kPageKeys || page == kPageVoice) {
        keyTab = 1;
    } else if (page == kPageSystem) {
        keyTab = 2;
    }
    keySwitch->SelectItem(keyTab);
}

CTabLayoutUI* CKestrovaUSBDevice::FindTabLayout(QPointer<CTabLayoutUI>& cache,
                                                const QString& name) {
    if (!cache) {
        for (QWidget* widget : findChildren<QWidget*>(name)) {
            if (auto* tab = dynamic_cast<CTabLayoutUI*>(AsControl(widget))) {
                cache = tab;
                break;
            }
        }
    }
    return cache.data();
}

// --- light colours and setting ---

void CKestrovaUSBDevice::SetLightColour(int index, uint32_t entry) {
    {
        std::lock_guard lock(m_lightLock);
        if (index < 0 || index >= m_lightCount) {
            return;
        }
        m_lightColours[static_cast<std::size_t>(index)] = {
            static_cast<uint8_t>(entry), static_cast<uint8_t>(entry >> 8),
            static_cast<uint8_t>(entry >> 16), static_cast<uint8_t>(entry >> 24)};
    }
    // Set from outside (the light sync): the frames must carry it.
    NotifyLightChanged();
}

void CKestrovaUSBDevice::SetLightColours(std::span<const LedColor> colours) {
    std::lock_guard lock(m_lightLock);
    const std::size_t count = std::min(colours.size(), m_lightColours.size());
    std::copy_n(colours.begin(), count, m_lightColours.begin());
}

uint32_t CKestrovaUSBDevice::GetLightColour(int index) const {
    std::lock_guard lock(m_lightLock);
    if (index < 0 || index >= m_lightCount) {
        return 0;
    }
    const LedColor& c = m_lightColours[static_cast<std::size_t>(index)];
    return c.red | (uint32_t{c.green} << 8) | (uint32_t{c.blue} << 16) |
           (uint32_t{c.intensity} << 24);
}

void CKestrovaUSBDevice::SetLightSetting(uint32_t effectWord, uint32_t colourWord,
                                         uint32_t extraWord) {
    const LightSetting setting = LightSettingFromWords(effectWord, colourWord, extraWord);
    std::lock_guard lock(m_lightLock);
    m_lightSetting = setting;
}

void CKestrovaUSBDevice::ApplyLightRecord(const LightSetting& setting, int screenWidth,
                                          int screenHeight) {
    const LightWords words = LightSettingToWords(setting);
    SetLightSetting(words.first, words.second, words.third);
    SaveProfile();
    RefreshLightDisplay();
    WriteSettingsRecord(0, 0, 1, screenWidth, screenHeight);
}

void CKestrovaUSBDevice::SetMultiDevice(bool multi) {
    m_multiDevice = multi;
    if (m_lightPanel) {
        m_lightPanel->SetMultiDevice(multi);
    }
}

LightSetting CKestrovaUSBDevice::GetLightSetting() const {
    std::lock_guard lock(m_lightLock);
    return m_lightSetting;
}

// --- light steps (light thread) ---

void CKestrovaUSBDevice::LightStepBreathing() {
    std::lock_guard lock(m_lightLock);
    quaro::LightStepBreathing(m_lightColours, m_lightState, m_lightSetting);
}

void CKestrovaUSBDevice::LightStepBreathingFourColours() {
    std::lock_guard lock(m_lightLock);
    quaro::LightStepBreathingFourColours(m_lightColours, m_lightState, m_lightSetting);
}

void CKestrovaUSBDevice::LightStepStatic() {
    std::lock_guard lock(m_lightLock);
    quaro::LightStepStatic(m_lightColours, m_lightSetting);
}

void CKestrovaUSBDevice::LightStepSpectrum() {
    std::lock_guard lock(m_lightLock);
    quaro::LightStepSpectrum(m_lightColours, m_lightState, m_lightSetting);
}

void CKestrovaUSBDevice::LightStepBlink() {
    const uint32_t now = m_lightClock();
    std::lock_guard lock(m_lightLock);
    quaro::LightStepBlink(m_lightColours, m_lightState, m_lightSetting, now);
}

void CKestrovaUSBDevice::LightStepBlinkFourColours() {
    const uint32_t now = m_lightClock();
    std::lock_guard lock(m_lightLock);
    quaro::LightStepBlinkFourColours(m_lightColours, m_lightState, m_lightSetting, now);
}

void CKestrovaUSBDevice::LightStepOff() {
    std::lock_guard lock(m_lightLock);
    quaro::LightStepOff(m_lightColours);
}

void CKestrovaUSBDevice::FadeStep(int key, bool fast) {
    if (key < 0 || key >= kMaxKeyCount) {
        return;
    }
    std::lock_guard lock(m_lightLock);
    uint8_t& level = m_fadeLevels[static_cast<std::size_t>(key)];
    level = quaro::FadeStep(level, fast);
}

void CKestrovaUSBDevice::MarkRingKeys() {
    std::lock_guard lock(m_lightLock);
    quaro::MarkRingKeys(m_fadeLevels, m_ring);
}

void CKestrovaUSBDevice::RotateRing(bool forward) {
    std::lock_guard lock(m_lightLock);
    quaro::RotateRing(m_ring, forward);
}

void CKestrovaUSBDevice::ClearFades() {
    std::lock_guard lock(m_lightLock);
    quaro::ClearFades(m_fadeLevels, m_ring);
}

std::array<uint8_t, CKestrovaUSBDevice::kMaxKeyCount> CKestrovaUSBDevice::FadeLevels() const {
    std::lock_guard lock(m_lightLock);
    return m_fadeLevels;
}

// --- frames and status (UI thread) ---

void CKestrovaUSBDevice::RenderLightFrame() {
    if (!m_streamEnabled) {
        return;
    }
    {
        // The light thread keeps stepping; the frame and the picture show one consistent step.
        std::lock_guard lock(m_lightLock);
        m_frameColours.assign(m_lightColours.begin(), m_lightColours.end());
    }
    for (std::size_t l = 0; l < m_frameColours.size(); ++l) {
        CDeviceKeyButtonUI* button = m_lightButtons[l].data();
        if (button != nullptr && button->IsVisible()) {
            ShowLight(button, m_frameColours[l]);
        }
    }
    m_frame.fill(0);
    const std::size_t length = ComposeLedLightFrame(m_frameColours, m_frame);
    // The driver takes the frame or refuses it at once (slow link, not connected, pausing
    // after a failure); the device is never waited for here.
    if (m_driver && length > 0 && !m_driver->Primary().IsSlowLink()) {
        m_driver->SubmitFrame(std::span<const uint8_t>(m_frame.data(), length));
    }
}

bool CKestrovaUSBDevice::RestFrames() {
    // The frame just rendered saw at least the changes counted at the last decision.
    const std::uint64_t rendered = m_changesBeforeFrame;
    m_changesBeforeFrame = m_lightChanges.load();
    // Where frames are refused or dropped, the chain goes on as it always did.
    if (!m_streamEnabled || !m_driver || m_driver->Primary().IsSlowLink() ||
        rendered != m_changesBeforeFrame || !m_driver->IsFrameSettled()) {
        return false;
    }
    m_framesResting.store(true);
    // A change counted after the look above may have found the frames still running: take the
    // rest back unless its notice already took it (and resumes the frames).
    if (m_lightChanges.load() != m_changesBeforeFrame && m_framesResting.exchange(false)) {
        return false;
    }
    return true;
}

void CKestrovaUSBDevice::NotifyLightChanged() {
    ++m_lightChanges;
    if (m_framesResting.exchange(false)) {
        QMetaObject::invokeMethod(
            this,
            [this] {
                if (m_deviceTab) {
                    m_deviceTab->ResumeFrames();
                }
            },
            Qt::QueuedConnection);
    }
}

void CKestrovaUSBDevice::ShowLight(CDeviceKeyButtonUI* button, const LedColor& colour) {
    if (button->SetLight(PreviewColorValue(colour), colour.intensity, true)) {
        m_previewChanged = true;
    }
}

void CKestrovaUSBDevice::OnStatusTimer() {
    if (IsPrimaryConnected()) {
        m_driver->RequestStatus();
    }
}

void CKestrovaUSBDevice::OnStatusRead(const StatusBytes& status) {
    QMetaObject::invokeMethod(
        this, [this, status] { StatusArrived(status); }, Qt::QueuedConnection);
}

void CKestrovaUSBDevice::OnFlowDone(uint32_t flowId, int32_t result) {
    QMetaObject::invokeMethod(
        this, [this, flowId, result] { FlowFinished(flowId, result); }, Qt::QueuedConnection);
}

void CKestrovaUSBDevice::StatusArrived(const StatusBytes& status) {
    if (m_powerWidget) {
        m_powerWidget->ShowStatus(status);
    }
    if (m_owner) {
        m_owner->Send(mainmsg::kPageNotice2, status[4], 0);
    }
}

// --- operations the kinds fill ---

int CKestrovaUSBDevice::WriteKeyAssignments(int imageNumber,
                                            const std::vector<KeyAssignmentEntry>& keys) {
    (void)imageNumber;
    (void)keys;
    return 0;
}

int CKestrovaUSBDevice::SaveKeyAssignments(int imageNumber) {
    (void)imageNumber;
    return 0;
}

int CKestrovaUSBDevice::WriteSettingsRecord(int32_t v1, int32_t v2, int32_t v3, int32_t v4,
                                            int32_t v5) {
    (void)v1;
    (void)v2;
    (void)v3;
    (void)v4;
    (void)v5;
    return 0;
}

void CKestrovaUSBDevice::SetAuxiliaryList(std::vector<CControlUI*> list) {
    m_auxiliaryLists[2] = std::move(list);
}

// --- data folders ---

std::filesystem::path CKestrovaUSBDevice::ApplicationFolder() const {
    return m_applicationFolder.empty() ? ExecutableDirectory() : m_applicationFolder;
}

std::filesystem::path CKestrovaUSBDevice::DefaultDataFile() const {
    return DefaultDataFolder(ApplicationFolder()) / (m_kindName.toStdString() + ".Json");
}

std::filesystem::path CKestrovaUSBDevice::UserDataFolder() const {
    const std::filesystem::path dataHome =
        m_dataHome.empty() ? XdgRootsFromEnvironment().dataHome : m_dataHome;
    const std::string kind = m_kindName.toStdString();
    std::filesystem::path folder = quaro::UserDataFolder(dataHome, kind);
    if (folder.empty()) {
        // Never an empty path: the profile files would land in the working folder.
        folder = dataHome / kProductFolderName / kind;
    }
    return folder;
}

// --- the profile bar ---

void CKestrovaUSBDevice::SetUpProfileBar() {
    // A second set-up starts over: the old routes must not outlive a bar they no longer show.
    m_profileRoutes.reset();
    m_profileBar = nullptr;
    CDeviceProfileUI* bar = nullptr;
    for (QWidget* widget : findChildren<QWidget*>(QStringLiteral("DeviceProfileItem"))) {
        bar = dynamic_cast<CDeviceProfileUI*>(AsControl(widget));
        if (bar != nullptr) {
            break;
        }
    }
    if (bar == nullptr) {
        return;
    }
    if (!m_profileLink) {
        m_profileLink = std::make_unique<PageProfileLink>(*this);
    }
    if (!m_profileFiles) {
        m_profileFiles = std::make_unique<ProfileFileDialogs>();
    }
    CResourceManager* resources = m_resources != nullptr ? m_resources : bar->GetResourceManager();
    ProfileBarRoutes::Presenter presenter;
    if (resources != nullptr) {
        presenter = ProfileBarRoutes::MessageBoxes(*resources, *bar);
    } else {
        Trace("profile bar without skin resources: its failures cannot be shown");
    }
    m_profileBar = bar;
    m_profileRoutes =
        std::make_unique<ProfileBarRoutes>(*bar, *m_profileLink, *m_profileFiles, presenter);
    m_profileRoutes->SetUp();
    // Only the document is taken here; the device gets it when the page starts on arrival.
    m_profilePath = bar->GetCurrentProfilePath();
}

ProfileBarRoutes* CKestrovaUSBDevice::ProfileRoutes() const {
    return m_profileBar ? m_profileRoutes.get() : nullptr;
}

void CKestrovaUSBDevice::WriteProfileSettings() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    const QSize size = screen != nullptr ? screen->size() : QSize();
    WriteSettingsRecord(0, 0, 1, size.width(), size.height());
}

void CKestrovaUSBDevice::TakeProfile(const std::filesystem::path& profilePath) {
    m_profilePath = profilePath;
    LoadProfile();
    ValidateMacroAssignments();
    RefreshPanels();
    WriteProfileSettings();
    DownloadMacros();
    SaveKeyAssignments(0);
}

bool CKestrovaUSBDevice::ApplySelectedProfile() {
    if (!m_profileBar || !IsPrimaryConnected()) {
        return false;
    }
    m_profileBar->InitProfileList();
    const std::filesystem::path path = m_profileBar->GetCurrentProfilePath();
    if (path.empty()) {
        return false;
    }
    TakeProfile(path);
    return true;
}

void CKestrovaUSBDevice::ReloadResetProfile() {
    LoadProfile();
    RefreshPanels();
    WriteProfileSettings();
    const int macroResult = DownloadMacros();
    if (ProfileBarRoutes* routes = ProfileRoutes()) {
        routes->ReportResetMacroWrite(macroResult);
    }
    SaveKeyAssignments(0);
}

}  // namespace quaro
