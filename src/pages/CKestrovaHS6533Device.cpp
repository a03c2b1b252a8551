#include "pages/CKestrovaHS6533Device.h"

#include "platform/Trace.h"

namespace quaro {

// The driver's news, from its worker and event reader, handed to the page's thread.
class CKestrovaHS6533Device::Sink : public PagePostingSink<PadDriverSink> {
public:
    explicit Sink(CKestrovaHS6533Device& page)
        : PagePostingSink(page, page.CommonSink()), m_page(page) {}

    void OnPadRecordRead(const PadRecordRead& read) override {
        Post([page = &m_page, read] { page->RecordRead(read); });
    }

private:
    CKestrovaHS6533Device& m_page;
};

CKestrovaHS6533Device::CKestrovaHS6533Device(QWidget* parent)
    : CKestrovaUSBDevice(parent), m_sink(std::make_unique<Sink>(*this)), m_led(*this, m_profile) {}

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
        driver->Light().Start([this] { NotifyLightChanged(); });
    }
}

int CKestrovaHS6533Device::LoadProfile() {
    m_led.LoadProfileDocument();
    LoadAudioProfile(m_profile);
    return ApplyProfile();
}

int CKestrovaHS6533Device::ApplyProfile() {
    const LightSetting setting = m_led.TakeProfileLight();
    if (HeadsetDriver* driver = GetHeadsetDriver()) {
        driver->ApplyLight(setting);
        driver->Light().SetLightList(m_profile.GetLightList());
        driver->Light().SetCustomSteps(m_profile.GetCustomLightEffect());
    }
    return 1;
}

void CKestrovaHS6533Device::LoadLibraries() {
    m_led.FillLightEffects(kBrightnessMax, kSpeedMax);
}

void CKestrovaHS6533Device::RefreshPanels() {
    LoadLibraries();
    m_led.ShowLight();
    RefreshVoicePanels();
}

void CKestrovaHS6533Device::SaveProfile() {
    m_led.StoreLight();
    m_led.Save("the headset's profile could not be saved");
}

void CKestrovaHS6533Device::RefreshLightDisplay() {
    if (HeadsetDriver* driver = GetHeadsetDriver()) {
        driver->ApplyLight(GetLightSetting());
    }
}

int CKestrovaHS6533Device::WriteSettingsRecord(int32_t recordNumber, int32_t, int32_t, int32_t,
                                               int32_t) {
    return m_led.WriteRecord(GetHeadsetDriver(), recordNumber);
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
    // The headset's record in force becomes the page's light, as far as the record carries it.
    m_led.TakeRecordRead(read, kRecordReadNotice);
}

}  // namespace quaro
