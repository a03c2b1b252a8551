#include "pages/CKestrovaKeyboardDevice.h"

#include "devices/driver/BracketedCommand.h"
#include "devices/keyboard/KeyboardSettingsRecord.h"
#include "devices/light/LedLightFrame.h"
#include "panels/light/CLightControlUI.h"
#include "panels/macro/CMacroControlUI.h"
#include "panels/profile/ProfileBarRoutes.h"
#include "platform/SystemSettings.h"
#include "platform/Trace.h"
#include "profiles/KeyCode.h"
#include "profiles/MacroLibrary.h"

#include <algorithm>
#include <future>

namespace quaro {
namespace {

constexpr int kPageLight = 1;
constexpr int kPageKeys = 2;
constexpr uint8_t kHandBackSpeed = 4;

const char* Outcome(SettingApplied applied) {
    switch (applied) {
        case SettingApplied::kApplied:
            return "applied";
        case SettingApplied::kNotApplied:
            return "not applied";
        case SettingApplied::kFailed:
            return "refused";
    }
    return "?";
}

uint16_t Flag(bool on) {
    return on ? 1 : 0;
}

}  // namespace

// The driver's news, from its worker and event reader, handed to the page's thread.
class CKestrovaKeyboardDevice::Sink : public PagePostingSink<KeyboardDriverSink> {
public:
    explicit Sink(CKestrovaKeyboardDevice& page)
        : PagePostingSink(page, page.CommonSink()), m_page(page) {}

    void OnKeyboardStartRead(const KeyboardStartRead& read) override {
        if (!read.imageRead) {
            TraceFormat("keyboard not read whole (%d, %d keys): its profile still loads",
                        read.result, read.keyCount);
        }
    }
    void OnMacroDownload(const KeyboardMacroDownload& download) override {
        Post([page = &m_page, download] { page->MacrosDownloaded(download); });
    }
    void OnSettingsRecordRead(const KeyboardRecordRead& read) override {
        Post([page = &m_page, read] { page->RecordRead(read); });
    }

private:
    CKestrovaKeyboardDevice& m_page;
};

CKestrovaKeyboardDevice::CKestrovaKeyboardDevice(QWidget* parent)
    : CKestrovaUSBDevice(parent),
      m_sink(std::make_unique<Sink>(*this)),
      m_led(*this, m_profile),
      m_customColours(kMaxKeyCount),
      m_systemView(*this),
      m_keyAssignment(*this, m_profile, m_keyList, kKeySetKeyboardKind,
                      {[this] { DownloadMacros(); },
                       [this]() -> uint32_t {
                           KeyboardDriver* driver = GetKeyboardDriver();
                           return driver != nullptr && IsPrimaryConnected()
                                      ? driver->RequestWriteKeyAssignments(m_keyList, 0)
                                      : 0;
                       }}) {}

CKestrovaKeyboardDevice::~CKestrovaKeyboardDevice() {
    // The driver reports to the sink and reads nothing of the page; it goes first.
    StopDriver();
}

void CKestrovaKeyboardDevice::MakeDriver(std::shared_ptr<HidBackend> backend) {
    CreateDriver([this, &backend](quaro::DriverEventSink*) {
        return std::make_unique<KeyboardDriver>(std::move(backend), m_sink.get());
    });
}

KeyboardDriver* CKestrovaKeyboardDevice::GetKeyboardDriver() const {
    return dynamic_cast<KeyboardDriver*>(Driver());
}

void CKestrovaKeyboardDevice::InitPage() {
    CKestrovaUSBDevice::InitPage();
    m_keyAssignment.FindPanels();
    if (CLightControlUI* panel = GetLightPanel()) {
        std::vector<std::string> groups;
        for (int group = 1; group <= kCustomGroupCount; ++group) {
            groups.push_back((m_systemView.LanguageText(QStringLiteral("light_custom_group")) +
                              QString::number(group))
                                 .toStdString());
        }
        panel->FillCustomEffects(groups);
    }
}

// --- reading and loading ---

void CKestrovaKeyboardDevice::OnStart() {
    m_led.Start(GetKeyboardDriver());
}

void CKestrovaKeyboardDevice::OnTimer1002() {
    if (KeyboardDriver* driver = GetKeyboardDriver(); driver != nullptr && IsPrimaryConnected()) {
        driver->RequestReadSettings();
    }
}

int CKestrovaKeyboardDevice::LoadProfile() {
    m_led.LoadProfileDocument();
    m_keyList = m_profile.GetKeyList();
    const SystemWords words = m_profile.GetSystemStages();
    m_system = SystemSettings::FromWords(words);
    return ApplyProfile();
}

int CKestrovaKeyboardDevice::ApplyProfile() {
    const LightSetting setting = m_led.TakeProfileLight();
    m_customGroup = std::clamp(m_profile.GetCustomLightGroupIndex(), 0, kCustomGroupCount - 1);
    m_customColours = m_profile.GetCustomLightColors(m_customGroup, kMaxKeyCount);
    m_customColours.resize(kMaxKeyCount);
    if (setting.effect == kCustomColourMode) {
        if (CLightControlUI* panel = GetLightPanel()) {
            panel->SelectCustomEffect(m_customGroup);
        }
    }
    if (KeyboardDriver* driver = GetKeyboardDriver()) {
        driver->ApplyLight(setting, m_customColours);
        driver->Light().SetLightList(m_profile.GetLightList());
        driver->Light().SetCustomSteps(m_profile.GetCustomLightEffect());
    }
    return 1;
}

void CKestrovaKeyboardDevice::LoadLibraries() {
    // The custom entries of the keyboard's light panel are its colour groups (InitPage).
    m_led.FillLightEffects(kBrightnessMax, kSpeedMax, false);
}

void CKestrovaKeyboardDevice::RefreshPanels() {
    LoadLibraries();
    m_keyAssignment.ShowMacroNames();
    m_led.ShowLight();
    if (CLightControlUI* panel = GetLightPanel();
        panel != nullptr && GetLightSetting().effect == kCustomColourMode) {
        panel->SelectCustomEffect(m_customGroup);
    }
    // Shown as stored: neither the session nor the keyboard hears of it.
    m_systemView.Show(m_system);
}

void CKestrovaKeyboardDevice::ValidateMacroAssignments() {
    m_keyAssignment.ValidateMacros();
}

std::vector<MacroEvents> CKestrovaKeyboardDevice::LoadMacros() const {
    const MacroLibrary library(UserDataFolder());
    std::vector<MacroEvents> macros;
    const int count = library.Count();
    macros.reserve(static_cast<std::size_t>(std::max(count, 0)));
    for (int number = 0; number < count; ++number) {
        macros.push_back(library.Load(number));
    }
    return macros;
}

// --- what goes to the keyboard ---

void CKestrovaKeyboardDevice::StoreSystemSettings() {
    const std::array<uint32_t, 3> words = m_system.ToWords();
    m_profile.SetSystemStages(words[0], words[1], words[2]);
}

void CKestrovaKeyboardDevice::SaveProfile() {
    m_led.StoreLight();
    StoreSystemSettings();
    m_led.Save("the keyboard's profile could not be saved");
}

void CKestrovaKeyboardDevice::PlayLight() {
    if (KeyboardDriver* driver = GetKeyboardDriver()) {
        driver->ApplyLight(GetLightSetting(), m_customColours);
    }
}

void CKestrovaKeyboardDevice::RefreshLightDisplay() {
    PlayLight();
}

int CKestrovaKeyboardDevice::WriteSettingsRecord(int32_t, int32_t, int32_t, int32_t, int32_t) {
    KeyboardDriver* driver = GetKeyboardDriver();
    if (driver == nullptr || !IsPrimaryConnected()) {
        return 0;
    }
    // The keyboard keeps one record; the other arguments mean nothing to it.
    driver->RequestWriteSettingsRecord(GetLightSetting(), m_system, 0);
    return 1;
}

int CKestrovaKeyboardDevice::DownloadMacros() {
    KeyboardDriver* driver = GetKeyboardDriver();
    if (driver == nullptr || !IsPrimaryConnected()) {
        return 0;
    }
    driver->RequestDownloadMacros(LoadMacros());
    return 0;
}

int CKestrovaKeyboardDevice::SaveKeyAssignments(int imageNumber) {
    return WriteKeyAssignments(imageNumber, m_keyList);
}

int CKestrovaKeyboardDevice::WriteKeyAssignments(int imageNumber,
                                                 const std::vector<KeyAssignmentEntry>& keys) {
    KeyboardDriver* driver = GetKeyboardDriver();
    if (driver == nullptr || !IsPrimaryConnected()) {
        return 0;
    }
    driver->RequestWriteKeyAssignments(keys, imageNumber);
    return 1;
}

uint32_t CKestrovaKeyboardDevice::WriteProfileToKeyboard(KeyboardProfileWrite kind) {
    KeyboardDriver* driver = GetKeyboardDriver();
    if (driver == nullptr || !IsPrimaryConnected()) {
        return 0;
    }
    KeyboardProfileImage image;
    image.light = GetLightSetting();
    image.system = m_system;
    if (kind == KeyboardProfileWrite::kSwitch) {
        image.macros = LoadMacros();
    }
    image.keys = m_keyList;
    return driver->RequestApplyProfile(std::move(image), kind);
}

void CKestrovaKeyboardDevice::TakeProfile(const std::filesystem::path& profilePath) {
    SetCurrentProfilePath(profilePath);
    LoadProfile();
    ValidateMacroAssignments();
    RefreshPanels();
    // Settings record, macros and key image as one flow: a failed block never stops the
    // others, and nothing read from the keyboard goes back into the document here.
    WriteProfileToKeyboard(KeyboardProfileWrite::kSwitch);
}

void CKestrovaKeyboardDevice::ReloadResetProfile() {
    LoadProfile();
    RefreshPanels();
    // The bar tells the user what became of the macros once the keyboard answered.
    m_resetFlow = WriteProfileToKeyboard(KeyboardProfileWrite::kSwitch);
}

void CKestrovaKeyboardDevice::ReapplyProfile() {
    // The factory entry replaces the current document's entry; the page then shows it.
    CKeyboardProfiledata factory;
    factory.SetDefaultProfilePath(DefaultDataFile());
    const Json::Value entry = factory.Load(DefaultDataFile());
    if (entry.isNull()) {
        Trace("the keyboard's factory profile cannot be read: the profile is kept");
        return;
    }
    if (m_profile.SaveDeviceEntry(entry, m_profile.GetProfilePath()) != 0) {
        Trace("the keyboard's profile could not take the defaults");
        return;
    }
    LoadProfile();
    RefreshPanels();
}

bool CKestrovaKeyboardDevice::RestoreDefaults() {
    ReapplyProfile();
    return WriteProfileToKeyboard(KeyboardProfileWrite::kDefaults) != 0;
}

void CKestrovaKeyboardDevice::MacrosDownloaded(const KeyboardMacroDownload& download) {
    if (download.flowId == 0 || download.flowId != m_resetFlow) {
        return;
    }
    m_resetFlow = 0;
    int figure = download.figure;
    if (figure == 0 && download.result != kResultSuccess) {
        figure = -1;
    }
    if (ProfileBarRoutes* routes = ProfileRoutes()) {
        routes->ReportResetMacroWrite(figure);
    }
}

void CKestrovaKeyboardDevice::RecordRead(const KeyboardRecordRead& read) {
    if (!read.Succeeded()) {
        return;
    }
    // The driver already plays the record; the page, the profile and the panels follow it.
    const LightWords words = LightSettingToWords(read.light);
    SetLightSetting(words.first, words.second, words.third);
    m_system.wFlag = read.record.wFlag;
    m_system.key6Flag = read.record.key6Flag;
    m_system.winFlag = read.record.winFlag;
    SaveProfile();
    RefreshPanels();
}

// --- light frames and the picture ---

void CKestrovaKeyboardDevice::RenderLightFrame() {
    KeyboardDriver* driver = GetKeyboardDriver();
    if (!IsStreamEnabled() || driver == nullptr) {
        return;
    }
    std::array<LedColor, kLogicalKeyCount> colours{};
    if (IsLightSync()) {
        // The window's sync thread sets the page's colours; the light thread stands still and
        // streams them.
        for (int key = 0; key < kLogicalKeyCount; ++key) {
            const uint32_t entry = GetLightColour(key);
            colours[static_cast<std::size_t>(key)] = {
                static_cast<uint8_t>(entry), static_cast<uint8_t>(entry >> 8),
                static_cast<uint8_t>(entry >> 16), static_cast<uint8_t>(entry >> 24)};
        }
        driver->Light().SetColors(colours);
    } else {
        colours = driver->Light().SnapshotColors();
        SetLightColours(colours);
    }
    for (int key = 0; key < kLogicalKeyCount; ++key) {
        CDeviceKeyButtonUI* button = GetLightButton(key);
        if (button != nullptr && button->IsVisible()) {
            ShowLight(button, colours[static_cast<std::size_t>(key)]);
        }
    }
    // Refused at once when the keyboard is away or behind a slow link; never waited for.
    if (!driver->Primary().IsSlowLink()) {
        driver->SubmitLightFrame();
    }
}

void CKestrovaKeyboardDevice::SelectFunctionTab(int page) {
    CKestrovaUSBDevice::SelectFunctionTab(page);
    // FN lights like any key but cannot be assigned.
    if (CDeviceKeyButtonUI* fn = GetKeyButton(kFnKey)) {
        if (page == kPageLight) {
            fn->SetEnabled(true);
        } else if (page == kPageKeys) {
            fn->SetEnabled(false);
        }
    }
}

void CKestrovaKeyboardDevice::PaintKey(int key) {
    if (GetLightSetting().effect != kCustomColourMode || key < 0 || key >= kMaxKeyCount) {
        return;
    }
    const LightSetting setting = GetLightSetting();
    CustomLightColor paint;
    if (m_paintBright) {
        paint = {setting.red, setting.green, setting.blue, 255};
    }
    m_customColours[static_cast<std::size_t>(key)] = paint;
    m_profile.SetCustomLightColors(m_customColours, m_customGroup);
    if (m_profile.Save() != 0) {
        Trace("the keyboard's profile could not be saved");
    }
    PlayLight();
}

void CKestrovaKeyboardDevice::PaintBandSelection() {
    if (GetLightSetting().effect != kCustomColourMode) {
        return;
    }
    const LightSetting setting = GetLightSetting();
    const CustomLightColor paint =
        m_paintBright ? CustomLightColor{setting.red, setting.green, setting.blue, 255}
                      : CustomLightColor{};
    bool painted = false;
    for (int key = 0; key < kMaxKeyCount; ++key) {
        CDeviceKeyButtonUI* button = GetLightButton(key);
        if (button != nullptr && button->IsBandSelected()) {
            m_customColours[static_cast<std::size_t>(key)] = paint;
            painted = true;
        }
    }
    if (!painted) {
        return;
    }
    m_profile.SetCustomLightColors(m_customColours, m_customGroup);
    if (m_profile.Save() != 0) {
        Trace("the keyboard's profile could not be saved");
    }
    PlayLight();
}

void CKestrovaKeyboardDevice::TakeCustomGroup(int group) {
    if (group < 0 || group >= kCustomGroupCount) {
        return;
    }
    m_customGroup = group;
    m_profile.SetCustomLightGroupIndex(group);
    m_customColours = m_profile.GetCustomLightColors(group, kMaxKeyCount);
    m_customColours.resize(kMaxKeyCount);
    if (m_profile.Save() != 0) {
        Trace("the keyboard's profile could not be saved");
    }
    PlayLight();
}

// --- the system sub-page ---

void CKestrovaKeyboardDevice::TakeSystemFlag(SystemFlag flag) {
    switch (flag) {
        case SystemFlag::kWinLock:
            m_system.winFlag = Flag(m_systemView.GetWinLock());
            break;
        case SystemFlag::kWFlag:
            m_system.wFlag = Flag(m_systemView.GetWFlag());
            break;
        case SystemFlag::kKey6:
            m_system.key6Flag = Flag(m_systemView.GetKey6Flag());
            break;
    }
    StoreSystemSettings();
    SaveProfile();
    WriteSettingsRecord(0, 0, 0, 0, 0);
}

void CKestrovaKeyboardDevice::TakeReportRate(int n) {
    m_systemView.SetReportRateOption(n);
    m_system.pollingRate = static_cast<uint16_t>(n);
    SaveProfile();
    WriteSettingsRecord(0, 0, 0, 0, 0);
}

void CKestrovaKeyboardDevice::TakeRepeatDelay(int n) {
    m_systemView.SetRepeatDelayOption(n);
    m_system.repeatDelay = static_cast<uint16_t>(n);
    SaveProfile();
    const unsigned choice = static_cast<unsigned>(std::max(n, 0));
    const SettingApplied applied = m_systemService != nullptr
                                       ? m_systemService->SetRepeatDelay(choice)
                                       : SettingApplied::kNotApplied;
    TraceFormat("keyboard repeat delay %u: %s", choice, Outcome(applied));
}

void CKestrovaKeyboardDevice::TakeRepeatRate() {
    const int value = m_systemView.GetRepeatRate();
    m_system.repeat = static_cast<uint16_t>(value);
    SaveProfile();
    const unsigned speed = static_cast<unsigned>(std::max(value, 0));
    const SettingApplied applied = m_systemService != nullptr
                                       ? m_systemService->SetRepeatSpeed(speed)
                                       : SettingApplied::kNotApplied;
    TraceFormat("keyboard repeat speed %u: %s", speed, Outcome(applied));
}

// --- the end of the application ---

bool CKestrovaKeyboardDevice::HandBackLight(std::chrono::milliseconds wait) {
    KeyboardDriver* driver = GetKeyboardDriver();
    if (driver == nullptr || !IsPrimaryConnected()) {
        return false;
    }
    const LightSetting stored = m_profile.GetLightInfo();
    KeyboardSettingsBytes record{};
    record[1] = 1;
    record[2] = stored.brightness;
    record[3] = kHandBackSpeed;
    record[5] = stored.multiColor;
    record[6] = stored.red;
    record[7] = stored.green;
    record[8] = stored.blue;
    // Shared with the flow: a flow that never runs (the keyboard went) drops its promise, which
    // ends the wait at once.
    auto done = std::make_shared<std::promise<int32_t>>();
    std::future<int32_t> written = done->get_future();
    driver->RunFlow([record, done](DeviceDriver& device) {
        CommandChannel& channel = device.Primary();
        channel.ShutdownNotice();
        int32_t result = channel.WriteMemory(record, kHandBackAddress);
        if (result == kResultSuccess || IsDeviceAnswer(result)) {
            if (channel.IsConnected()) {
                channel.Begin();
            }
            result = channel.WriteMemory(record, 0);
            channel.End();
        }
        done->set_value(result);
        return result;
    });
    done.reset();
    if (written.wait_for(wait) != std::future_status::ready) {
        Trace("keyboard light hand-back not answered in time");
        return false;
    }
    try {
        return written.get() == kResultSuccess;
    } catch (const std::future_error&) {
        return false;
    }
}

void CKestrovaKeyboardDevice::FlowFinished(uint32_t flowId, int32_t result) {
    m_keyAssignment.FlowFinished(flowId, result);
}

}  // namespace quaro
