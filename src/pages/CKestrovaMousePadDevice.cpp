#include "pages/CKestrovaMousePadDevice.h"

namespace quaro {

// The driver's news, from its worker and event reader, handed to the page's thread.
class CKestrovaMousePadDevice::Sink : public PagePostingSink<PadDriverSink> {
public:
    explicit Sink(CKestrovaMousePadDevice& page)
        : PagePostingSink(page, page.CommonSink()), m_page(page) {}

    void OnPadRecordRead(const PadRecordRead& read) override {
        Post([page = &m_page, read] { page->RecordRead(read); });
    }

private:
    CKestrovaMousePadDevice& m_page;
};

CKestrovaMousePadDevice::CKestrovaMousePadDevice(QWidget* parent)
    : CKestrovaUSBDevice(parent), m_sink(std::make_unique<Sink>(*this)), m_led(*this, m_profile) {}

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
    m_led.Start(GetPadDriver());
}

int CKestrovaMousePadDevice::LoadProfile() {
    m_led.LoadProfileDocument();
    return ApplyProfile();
}

int CKestrovaMousePadDevice::ApplyProfile() {
    const LightSetting setting = m_led.TakeProfileLight();
    if (PadDriver* driver = GetPadDriver()) {
        driver->ApplyLight(setting);
        driver->Light().SetLightList(m_profile.GetLightList());
        driver->Light().SetCustomSteps(m_profile.GetCustomLightEffect());
    }
    return 1;
}

void CKestrovaMousePadDevice::LoadLibraries() {
    m_led.FillLightEffects(kBrightnessMax, kSpeedMax);
}

void CKestrovaMousePadDevice::RefreshPanels() {
    LoadLibraries();
    m_led.ShowLight();
}

void CKestrovaMousePadDevice::SaveProfile() {
    m_led.StoreLight();
    m_led.Save("the pad's profile could not be saved");
}

void CKestrovaMousePadDevice::RefreshLightDisplay() {
    if (PadDriver* driver = GetPadDriver()) {
        driver->ApplyLight(GetLightSetting());
    }
}

int CKestrovaMousePadDevice::WriteSettingsRecord(int32_t recordNumber, int32_t, int32_t, int32_t,
                                                 int32_t) {
    return m_led.WriteRecord(GetPadDriver(), recordNumber);
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
    // The pad's record in force becomes the page's light, as far as the record carries it.
    m_led.TakeRecordRead(read, kRecordReadNotice);
}

}  // namespace quaro
