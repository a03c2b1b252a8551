#include "pages/CKestrovaMousePadDevice.h"

#include "panels/light/CLightControlUI.h"
#include "platform/Trace.h"
#include "profiles/LightLibrary.h"

#include <QMetaObject>
#include <QPointer>

namespace quaro {

// The driver's news, from its worker and event reader, handed to the page's thread.
class CKestrovaMousePadDevice::Sink : public PadDriverSink {
public:
    explicit Sink(CKestrovaMousePadDevice& page) : m_page(page) {}

    void OnFlowDone(uint32_t flowId, int32_t result) override {
        m_page.CKestrovaUSBDevice::OnFlowDone(flowId, result);
    }
    void OnStatusRead(const StatusBytes& status) override {
        m_page.CKestrovaUSBDevice::OnStatusRead(status);
    }
    void OnPadRecordRead(const PadRecordRead& read) override {
        QMetaObject::invokeMethod(
            &m_page, [page = &m_page, read] { page->RecordRead(read); }, Qt::QueuedConnection);
    }

private:
    CKestrovaMousePadDevice& m_page;
};

CKestrovaMousePadDevice::CKestrovaMousePadDevice(QWidget* parent)
    : CKestrovaUSBDevice(parent), m_sink(std::make_unique<Sink>(*this)) {}

CKestrovaMousePadDevice::~CKestrovaMousePadDevice() {
    // The driver reports to the sink and reads nothing of the page; it goes first.
    StopDriver();
}

void CKestrovaMousePadDevice::MakeDriver(std::shared_ptr<HidBackend> backend) {
    CreateDriver([this, &backend](quaro::DriverEventSink*) {
        return std::make_unique<PadDriver>(std::move(backend), m_sink.get());
    });
}

PadDriver* CKestrovaMousePadDevice::GetPadDriver() const {
    return dynamic_cast<PadDriver*>(Driver());
}

void CKestrovaMousePadDevice::OnStart() {
    PadDriver* driver = GetPadDriver();
    if (driver == nullptr) {
        return;
    }
    if (IsPrimaryConnected()) {
        driver->RequestStart();
    }
    LoadProfile();
    RefreshPanels();
    if (!driver->Light().IsRunning()) {
        driver->Light().Start();
    }
}

int CKestrovaMousePadDevice::LoadProfile() {
    m_profile.SetPageStyle(GetPageStyle());
    m_profile.SetDefaultProfilePath(DefaultDataFile());
    if (!CurrentProfilePath().empty()) {
        m_profile.SetProfilePath(CurrentProfilePath());
    }
    m_profile.SetLightConfigPath(UserDataFolder() / (GetLightName().toStdString() + ".config"));
    m_profile.Load(m_profile.GetProfilePath());
    return ApplyProfile();
}

int CKestrovaMousePadDevice::ApplyProfile() {
    const LightSetting setting = m_profile.GetLightInfo();
    const LightWords words = LightSettingToWords(setting);
    SetLightSetting(words.first, words.second, words.third);
    if (PadDriver* driver = GetPadDriver()) {
        driver->ApplyLight(setting);
        driver->Light().SetLightList(m_profile.GetLightList());
        driver->Light().SetCustomSteps(m_profile.GetCustomLightEffect());
    }
    return 1;
}

void CKestrovaMousePadDevice::LoadLibraries() {
    CLightControlUI* panel = GetLightPanel();
    if (panel == nullptr) {
        return;
    }
    LightLibrary library(GetPageStyle());
    library.LoadDefaultNames(DefaultDataFile().parent_path() / "default_light.json");
    library.LoadCustomNames(m_profile.GetLightConfigPath());
    panel->FillEffects(library.BuiltInNames(), library.BuiltInVisible(), kBrightnessMax, kSpeedMax);
    panel->FillCustomEffects(library.CustomNames());
}

void CKestrovaMousePadDevice::RefreshPanels() {
    LoadLibraries();
    if (CLightControlUI* panel = GetLightPanel()) {
        panel->ShowLightSetting(GetLightSetting());
    }
}

void CKestrovaMousePadDevice::SaveProfile() {
    const LightWords words = LightSettingToWords(GetLightSetting());
    m_profile.SetLightInfo(words.first, words.second, words.third);
    if (m_profile.Save() != 0) {
        Trace("the pad's profile could not be saved");
    }
}

void CKestrovaMousePadDevice::RefreshLightDisplay() {
    if (PadDriver* driver = GetPadDriver()) {
        driver->ApplyLight(GetLightSetting());
    }
}

int CKestrovaMousePadDevice::WriteSettingsRecord(int32_t recordNumber, int32_t, int32_t, int32_t,
                                                 int32_t) {
    PadDriver* driver = GetPadDriver();
    if (driver == nullptr || !IsPrimaryConnected()) {
        return 0;
    }
    driver->RequestWrite(static_cast<uint8_t>(recordNumber));
    return 1;
}

void CKestrovaMousePadDevice::RenderLightFrame() {
    // In light sync the window's sync thread sets the page's colours; otherwise the pad's own
    // light thread makes them.
    if (PadDriver* driver = GetPadDriver(); driver != nullptr && !IsLightSync()) {
        const std::vector<LedColor> colours = driver->Light().SnapshotColors();
        SetLightColours(colours);
    }
    CKestrovaUSBDevice::RenderLightFrame();
}

void CKestrovaMousePadDevice::RecordRead(const PadRecordRead& read) {
    if (!read.Succeeded()) {
        return;
    }
    // The pad's record in force becomes the page's light, as far as the record carries it.
    const LightSetting setting = read.record.OverLight(GetLightSetting());
    const LightWords words = LightSettingToWords(setting);
    SetLightSetting(words.first, words.second, words.third);
    if (read.cause == PadReadCause::kSettingsChanged) {
        SaveProfile();
        RefreshPanels();
        if (const HWND& owner = GetOwnerWindow()) {
            owner->Send(kRecordReadNotice, read.record.RecordNumber(), 0);
        }
    }
}

}  // namespace quaro
