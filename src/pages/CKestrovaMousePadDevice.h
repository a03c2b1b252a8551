#pragma once

#include "devices/pad/PadDriver.h"
#include "devices/pad/PadDriverSink.h"
#include "pages/CKestrovaUSBDevice.h"
#include "pages/LedPageHelper.h"
#include "profiles/CBasicProfiledata.h"

namespace quaro {

// The mouse pad's page: the pad with its 15 LEDs, the profile bar and the lighting panel. Its
// driver reads and writes the pad's light record and runs the light thread whose colours the
// page streams; the pad's own "settings changed" report makes the driver read the record again,
// and a record read that way goes into the profile only when it was read whole.
class CKestrovaMousePadDevice : public CKestrovaUSBDevice {
public:
    // The notice the page gives its window after the pad's record was read again.
    static constexpr unsigned kRecordReadNotice = 0x0D00;
    static constexpr int kBrightnessMax = 5;
    static constexpr int kSpeedMax = 4;

    explicit CKestrovaMousePadDevice(QWidget* parent = nullptr);
    ~CKestrovaMousePadDevice() override;
    QString GetClass() const override { return QStringLiteral("KestrovaMousePadDevice"); }

    // The pad's own driver over the backend.
    void MakeDriver(std::shared_ptr<HidBackend> backend) override;
    PadDriver* GetPadDriver() const;

    void OnStart() override;
    int LoadProfile() override;
    int ApplyProfile() override;
    void RefreshPanels() override;
    void LoadLibraries() override;
    void SaveProfile() override;
    void RefreshLightDisplay() override;
    int WriteSettingsRecord(int32_t recordNumber, int32_t v2, int32_t v3, int32_t v4,
                            int32_t v5) override;
    void RenderLightFrame() override;

    const CBasicProfiledata& Profile() const { return m_profile; }

protected:
    // A read of the pad's record arrived on the UI thread.
    virtual void RecordRead(const PadRecordRead& read);

private:
    class Sink;
    std::unique_ptr<Sink> m_sink;
    CBasicProfiledata m_profile;
    LedPageHelper m_led;
};

}  // namespace quaro
