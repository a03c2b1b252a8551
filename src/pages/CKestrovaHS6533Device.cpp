#include "pages/CKestrovaHS6533Device.h"

#include "panels/light/CLightControlUI.h"
#include "platform/Trace.h"
#include "profiles/LightLibrary.h"

#include <QMetaObject>

namespace quaro {

// The driver's news, from its worker and event reader, handed to the page's thread.
class CKestrovaHS6533Device::Sink : public PadDriverSink {
public:
    explicit Sink(CKestrovaHS6533Device& page) : m_page(page) {}

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
    CKestrovaHS6533Device& m_page;
};

CKestrovaHS6533Device::CKestrovaHS6533Device(QWidget* parent)
    : CKestrovaUSBDevice(parent), m_sink(std::make_unique<Sink>(*this)) {}

CKestrovaHS6533Device::~CKestrovaHS6533Device() {
    // The driver reports to the sink and reads nothing of the page; it goes first.
    StopDriver();
}

void CKestrovaHS6533Device::MakeDriver(std::shared_ptr<HidBackend> backend) {
    CreateDriver([this, &backend](quaro::DriverEventSink*) {
        return std::make_unique<HeadsetDriver>(std::move(backend), m_sink.get());
    });
}

HeadsetDriver* CKestrovaHS6533Device::GetHeadsetDriver() const {
    return dynamic_cast<HeadsetDriver*>(Driver());
}

bool CKestrovaHS6533Device::ConnectDevice(const DeviceInterfaceEntry& slot) {
    if (!CKestrovaUSBDevice::ConnectDevice(slot)) {
        return false;
    }
    // Without the event reader the headset's own changes are not read back, but its light and
    // settings still work: the page stays connected.
    if (!AttachSecondary(slot.devicePath)) {
        TraceFormat("headset events not followed: %s not attached twice\n",
                    slot.devicePath.c_str());
    }
    return true;
}

void CKestrovaHS6533Device::DisconnectDevice() {
    DetachSecondary();
    CKestrovaUSBDevice::DisconnectDevice();
}

void CKestrovaHS6533Device::InitPage() {
    CKestrovaUSBDevice::InitPage();
    InitAudio();
}

void CKestrovaHS6533Device::OnStart() {
    // The headset has no start exchange: nothing is sent here.
    HeadsetDriver* driver = GetHeadsetDriver();
    if (driver == nullptr) {
        return;
    }
    LoadProfile();
    ReadAudioState();
    RefreshPanels();
    if (!driver->Light().IsRunning()) {
        driver->Light().Start();
    }
}

int CKestrovaHS6533Device::LoadProfile() {
    m_profile.SetPageStyle(GetPageStyle());
    m_profile.SetDefaultProfilePath(DefaultDataFile());
    if (!CurrentProfilePath().empty()) {
        m_profile.SetProfilePath(CurrentProfilePath());
    }
    m_profile.SetLightConfigPath(UserDataFolder() / (GetLightName().toStdString() + ".config"));
    m_profile.Load(m_profile.GetProfilePath());
    LoadAudioProfile(m_profile);
    return ApplyProfile();
}

int CKestrovaHS6533Device::ApplyProfile() {
    const LightSetting setting = m_profile.GetLightInfo();
    const LightWords words = LightSettingToWords(setting);
    SetLightSetting(words.first, words.second, words.third);
    if (HeadsetDriver* driver = GetHeadsetDriver()) {
        driver->ApplyLight(setting);
        driver->Light().SetLightList(m_profile.GetLightList());
        driver->Light().SetCustomSteps(m_profile.GetCustomLightEffect());
    }
    return 1;
}

void CKestrovaHS6533Device::LoadLibraries() {
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

void CKestrovaHS6533Device::RefreshPanels() {
    LoadLibraries();
    if (CLightControlUI* panel = GetLightPanel()) {
        panel->ShowLightSetting(GetLightSetting());
    }
    RefreshVoicePanels();
}

void CKestrovaHS6533Device::SaveProfile() {
    const LightWords words = LightSettingToWords(GetLightSetting());
    m_profile.SetLightInfo(words.first, words.second, words.third);
    if (m_profile.Save() != 0) {
        Trace("the headset's profile could not be saved");
    }
}

void CKestrovaHS6533Device::RefreshLightDisplay() {
    if (HeadsetDriver* driver = GetHeadsetDriver()) {
        driver->ApplyLight(GetLightSetting());
    }
}

int CKestrovaHS6533Device::WriteSettingsRecord(int32_t recordNumber, int32_t, int32_t, int32_t,
                                               int32_t) {
    HeadsetDriver* driver = GetHeadsetDriver();
    if (driver == nullptr || !IsPrimaryConnected()) {
        return 0;
    }
    driver->RequestWrite(static_cast<uint8_t>(recordNumber));
    return 1;
}

void CKestrovaHS6533Device::RenderLightFrame() {
    // In light sync the window's sync thread sets the page's colours; otherwise the headset's
    // own light thread makes them. The base shows them on the light buttons and hands the frame
    // to the driver, which sends it as the headset's output reports.
    if (HeadsetDriver* driver = GetHeadsetDriver(); driver != nullptr && !IsLightSync()) {
        SetLightColours(driver->Light().SnapshotColors());
    }
    CKestrovaUSBDevice::RenderLightFrame();
}

void CKestrovaHS6533Device::RecordRead(const PadRecordRead& read) {
    if (!read.Succeeded()) {
        return;
    }
    // The headset's record in force becomes the page's light, as far as the record carries it.
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
