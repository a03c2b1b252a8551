#include "pages/CKestrovaMouseDevice.h"

#include "devices/light/LedLightFrame.h"
#include "panels/shoot/CShootControlUI.h"
#include "platform/Paths.h"
#include "platform/Trace.h"
#include "profiles/MacroLibrary.h"

#include <QGuiApplication>
#include <QScreen>

#include <algorithm>

namespace quaro {
namespace {

constexpr int kPageLight = 1;
constexpr int kPageKeys = 2;
constexpr int kPageSystem = 4;

}  // namespace

// The driver's news, from its worker and event reader, handed to the page's thread.
class CKestrovaMouseDevice::Sink : public PagePostingSink<MouseDriverSink> {
public:
    explicit Sink(CKestrovaMouseDevice& page)
        : PagePostingSink(page, page.CommonSink()), m_page(page) {}

    void OnMouseStartRead(const MouseStartRead& read) override {
        Post([page = &m_page, read] { page->StartRead(read); });
    }
    void OnMacroDownload(const MouseMacroDownload& download) override {
        if (download.result != kResultSuccess || download.figure != 0) {
            TraceFormat("mouse macros not written (%d, %d)", download.result, download.figure);
        }
    }
    void OnSettingsRecordRead(const MouseRecordRead& read) override {
        Post([page = &m_page, read] { page->RecordRead(read); });
    }

private:
    CKestrovaMouseDevice& m_page;
};

CKestrovaMouseDevice::CKestrovaMouseDevice(QWidget* parent)
    : CKestrovaUSBDevice(parent),
      m_sink(std::make_unique<Sink>(*this)),
      m_led(*this, m_profile),
      m_systemView(*this),
      m_stageView(*this),
      m_keyAssignment(*this, m_profile, m_keyList, kKeySetMouseKind,
                      {[this] { DownloadMacros(); },
                       [this]() -> uint32_t {
                           MouseDriver* driver = GetMouseDriver();
                           return driver != nullptr && IsPrimaryConnected()
                                      ? driver->RequestWriteKeyAssignments(m_keyList)
                                      : 0;
                       }}) {
    m_systemView.SetStoreWords([this](const MouseSystemWords& words) { StoreSystemWords(words); });
}

CKestrovaMouseDevice::~CKestrovaMouseDevice() {
    // The driver reports to the sink and reads nothing of the page; it goes first.
    StopDriver();
}

void CKestrovaMouseDevice::MakeDriver(std::shared_ptr<HidBackend> backend) {
    CreateDriver([this, &backend](quaro::DriverEventSink*) {
        return std::make_unique<MouseDriver>(std::move(backend), m_sink.get());
    });
}

MouseDriver* CKestrovaMouseDevice::GetMouseDriver() const {
    return dynamic_cast<MouseDriver*>(Driver());
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
    // The mouse scales its correction to the screen as it was when the application started.
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        m_screenWidth = screen->size().width();
        m_screenHeight = screen->size().height();
    }
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
    m_keyAssignment.FindPanels();
    m_stageView.ShowSettingsPage(0);
    // The preview LEDs and the logo, looked up once rather than on every frame.
    m_previewLeds.clear();
    for (int led = 0; led < GetLightCount(); ++led) {
        m_previewLeds.emplace_back(dynamic_cast<CDeviceKeyButtonUI*>(
            AsControl(findChild<QWidget*>(QStringLiteral("light_0_") + QString::number(led)))));
    }
    m_logo =
        dynamic_cast<CDeviceKeyButtonUI*>(AsControl(findChild<QWidget*>(QStringLiteral("logo"))));
}

// --- reading and loading ---

void CKestrovaMouseDevice::OnStart() {
    m_led.Start(GetMouseDriver());
}

void CKestrovaMouseDevice::OnTimer1002() {
    if (MouseDriver* driver = GetMouseDriver(); driver != nullptr && IsPrimaryConnected()) {
        driver->RequestReadSettings();
    }
}

int CKestrovaMouseDevice::LoadProfile() {
    m_led.LoadProfileDocument();
    m_keyList = m_profile.GetKeyList();
    m_stages = m_profile.GetDpiStages();
    m_systemWords = MouseSystemWords::FromWords(m_profile.GetSystemStages());
    return ApplyProfile();
}

int CKestrovaMouseDevice::ApplyProfile() {
    const LightSetting setting = m_led.TakeProfileLight();
    if (MouseDriver* driver = GetMouseDriver()) {
        driver->ApplyLight(setting);
        driver->Light().SetCustomSteps(m_profile.GetCustomLightEffect());
    }
    return 1;
}

void CKestrovaMouseDevice::LoadLibraries() {
    m_led.FillLightEffects(kBrightnessMax, kSpeedMax);
}

void CKestrovaMouseDevice::RefreshPanels() {
    LoadLibraries();
    m_keyAssignment.ShowMacroNames();
    m_led.ShowLight();
    ShowStages();
    // Shown as stored: neither the session nor the mouse hears of it.
    m_systemView.Show(m_systemWords);
    m_stageView.SelectReportRate(m_systemWords.reportRate);
}

DpiStageRules::Limits CKestrovaMouseDevice::Limits() const {
    return {m_info.dpiStep, m_info.minDpi, m_info.sliderMax};
}

void CKestrovaMouseDevice::ShowStages() {
    m_stageView.SetLimits(Limits());
    const int active = m_profile.GetActiveStage();
    for (int stage = 0; stage < kStageCount; ++stage) {
        if (static_cast<std::size_t>(stage) < m_stages.size()) {
            const DpiStage& entry = m_stages[static_cast<std::size_t>(stage)];
            m_stageView.SetStageEnabled(stage, entry.enabled != 0);
            m_stageView.SetStageSlider(stage, entry.dpiX, stage == active);
        } else {
            // The mouse gets zeros for a stage the profile lacks: its row shows it off.
            m_stageView.SetStageEnabled(stage, false);
            m_stageView.SetStageSlider(stage, 0, stage == active);
        }
    }
}

void CKestrovaMouseDevice::StartRead(const MouseStartRead& read) {
    if (!read.imageRead) {
        TraceFormat("mouse not read whole (%d, %d buttons): its profile still loads", read.result,
                    read.info.buttonCount);
    }
    if (read.infoRead) {
        m_info = read.info;
        ShowStages();
    }
}

void CKestrovaMouseDevice::RecordRead(const MouseRecordRead& read) {
    if (!read.Succeeded()) {
        // Half a record is no record: the profile keeps what it holds.
        return;
    }
    const LightWords words = LightSettingToWords(read.light);
    SetLightSetting(words.first, words.second, words.third);
    m_profile.SetActiveStage(read.record.activeStage);
    SaveProfile();
    RefreshPanels();
}

// --- what goes to the mouse ---

void CKestrovaMouseDevice::SaveProfile() {
    m_led.StoreLight();
    m_profile.SetDpiStages(m_stages);
    const SystemWords system = m_systemWords.ToWords();
    m_profile.SetSystemStages(system[0], system[1], system[2]);
    if (m_profile.GetProfilePath().empty()) {
        Trace("the mouse's settings are not stored: no profile is loaded");
        return;
    }
    m_led.Save("the mouse's profile could not be saved");
}

void CKestrovaMouseDevice::StoreSystemWords(const MouseSystemWords& words) {
    // The pointer view owns the pointer fields only; the report rate is the page's.
    const uint16_t reportRate = m_systemWords.reportRate;
    m_systemWords = words;
    m_systemWords.reportRate = reportRate;
    SaveProfile();
}

void CKestrovaMouseDevice::StoreAndWrite() {
    SaveProfile();
    WriteSettingsRecord(0, 0, 1, 0, 0);
}

void CKestrovaMouseDevice::RefreshLightDisplay() {
    if (MouseDriver* driver = GetMouseDriver()) {
        driver->ApplyLight(GetLightSetting());
    }
}

int CKestrovaMouseDevice::WriteSettingsRecord(int32_t recordNumber, int32_t, int32_t,
                                              int32_t screenWidth, int32_t screenHeight) {
    if (screenWidth > 0 && screenHeight > 0) {
        m_screenWidth = screenWidth;
        m_screenHeight = screenHeight;
    }
    MouseDriver* driver = GetMouseDriver();
    if (driver == nullptr || !IsPrimaryConnected()) {
        return 0;
    }
    MouseSettingsWrite settings;
    settings.light = GetLightSetting();
    settings.reportRate = static_cast<uint8_t>(m_systemWords.reportRate);
    settings.activeStage = static_cast<uint8_t>(m_profile.GetActiveStage());
    settings.stages = m_stages;
    settings.screenWidth = static_cast<uint16_t>(std::clamp(m_screenWidth, 0, 0xFFFF));
    settings.screenHeight = static_cast<uint16_t>(std::clamp(m_screenHeight, 0, 0xFFFF));
    settings.corrections = m_profile.GetCorrectInfo();
    driver->RequestWriteSettingsRecord(settings, static_cast<uint8_t>(std::max(recordNumber, 0)));
    return 1;
}

int CKestrovaMouseDevice::DownloadMacros() {
    MouseDriver* driver = GetMouseDriver();
    if (driver == nullptr || !IsPrimaryConnected()) {
        return 0;
    }
    const MacroLibrary library(UserDataFolder());
    std::vector<MacroEvents> macros;
    for (int number = 0; number < library.Count(); ++number) {
        macros.push_back(library.Load(number));
    }
    driver->RequestDownloadMacros(std::move(macros));
    return 0;
}

int CKestrovaMouseDevice::SaveKeyAssignments(int imageNumber) {
    return WriteKeyAssignments(imageNumber, m_keyList);
}

int CKestrovaMouseDevice::WriteKeyAssignments(int, const std::vector<KeyAssignmentEntry>& keys) {
    MouseDriver* driver = GetMouseDriver();
    if (driver == nullptr || !IsPrimaryConnected()) {
        return 0;
    }
    // The mouse keeps one button image.
    driver->RequestWriteKeyAssignments(keys);
    return 1;
}

// --- the DPI stages and the report rate ---

DpiStage* CKestrovaMouseDevice::GrowStages(int stage) {
    if (stage < 0 || stage >= kStageCount) {
        return nullptr;
    }
    if (m_stages.size() <= static_cast<std::size_t>(stage)) {
        m_stages.resize(static_cast<std::size_t>(stage) + 1);
    }
    return &m_stages[static_cast<std::size_t>(stage)];
}

void CKestrovaMouseDevice::SetStageSlider(int stage, int units) {
    m_stageView.SetStageSlider(stage, units, stage == m_profile.GetActiveStage());
}

void CKestrovaMouseDevice::TakeStageCheck(int stage) {
    DpiStage* entry = GrowStages(stage);
    if (entry == nullptr) {
        return;
    }
    const bool checked = m_stageView.IsStageChecked(stage);
    bool otherOn = false;
    for (int other = 0; other < kStageCount; ++other) {
        otherOn = otherOn || (other != stage && m_stageView.IsStageChecked(other));
    }
    if (!checked && !otherOn) {
        // The mouse always keeps a stage: the last one stays on.
        m_stageView.SetStageEnabled(stage, true);
        return;
    }
    m_stageView.SetStageEnabled(stage, checked);
    entry->enabled = checked ? 1 : 0;
    StoreAndWrite();
}

void CKestrovaMouseDevice::TakeStageSlider(int stage) {
    DpiStage* entry = GrowStages(stage);
    if (entry == nullptr) {
        return;
    }
    const int units = m_stageView.GetStageSlider(stage);
    SetStageSlider(stage, units);
    entry->dpiX = static_cast<uint16_t>(std::clamp(units, 0, 0xFFFF));
    StoreAndWrite();
}

void CKestrovaMouseDevice::TakeStageEdit(int stage) {
    if (stage < 0 || stage >= kStageCount) {
        return;
    }
    const std::optional<int> units =
        DpiStageRules::UnitsForEditDpi(m_stageView.GetStageEditDpi(stage), Limits());
    if (!units) {
        Trace("the DPI edit is ignored: the mouse has not told its DPI step");
        return;
    }
    SetStageSlider(stage, *units);
    GrowStages(stage)->dpiX = static_cast<uint16_t>(std::clamp(*units, 0, 0xFFFF));
    StoreAndWrite();
}

void CKestrovaMouseDevice::TakeReportRate(int option) {
    // An option the mouse does not know is stored as the one shown, never as received.
    m_systemWords.reportRate = static_cast<uint16_t>(m_stageView.SelectReportRate(option));
    m_systemView.Show(m_systemWords);
    StoreAndWrite();
}

// --- light frames, the picture and the function pages ---

void CKestrovaMouseDevice::RenderLightFrame() {
    MouseDriver* driver = GetMouseDriver();
    if (!IsStreamEnabled() || driver == nullptr) {
        return;
    }
    std::vector<LedColor> colours;
    if (IsLightSync()) {
        // The window's sync thread sets the page's colours; the light thread stands still and
        // streams them.
        colours.resize(kMouseLedCount);
        for (int led = 0; led < kMouseLedCount; ++led) {
            const uint32_t entry = GetLightColour(led);
            colours[static_cast<std::size_t>(led)] = {
                static_cast<uint8_t>(entry), static_cast<uint8_t>(entry >> 8),
                static_cast<uint8_t>(entry >> 16), static_cast<uint8_t>(entry >> 24)};
        }
        driver->Light().SetColors(colours);
    } else {
        colours = driver->Light().SnapshotColors();
        SetLightColours(colours);
    }
    const int count = std::min<int>(GetLightCount(), static_cast<int>(colours.size()));
    for (int led = 0; led < count; ++led) {
        const LedColor& colour = colours[static_cast<std::size_t>(led)];
        CDeviceKeyButtonUI* preview = static_cast<std::size_t>(led) < m_previewLeds.size()
                                          ? m_previewLeds[static_cast<std::size_t>(led)].data()
                                          : nullptr;
        for (CDeviceKeyButtonUI* button : {GetLightButton(led), preview}) {
            if (button != nullptr && button->IsVisible()) {
                ShowLight(button, colour);
            }
        }
    }
    if (m_logo && m_logo->IsVisible() && !colours.empty()) {
        ShowLight(m_logo, colours.front());
    }
    // Refused at once when the mouse is away or behind a slow link; never waited for.
    if (!driver->Primary().IsSlowLink()) {
        driver->SubmitLightFrame();
    }
}

void CKestrovaMouseDevice::SelectFunctionTab(int page) {
    CKestrovaUSBDevice::SelectFunctionTab(page);
    m_stageView.ShowHint(page == kPageLight || page == kPageKeys || page == kPageSystem);
}

}  // namespace quaro
