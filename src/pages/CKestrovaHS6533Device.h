#pragma once

#include "devices/headset/HeadsetDriver.h"
#include "devices/pad/PadDriverSink.h"
#include "pages/CKestrovaUSBDevice.h"
#include "profiles/CHs6533Profiledata.h"

#include <memory>

namespace quaro {

// The headset's page: the headset with its 13 LEDs bound to light buttons, the profile bar, the
// lighting panel and the voice panels. Its light side follows the mouse pad: the driver keeps the
// headset's light record, plays the effects on the headset's LEDs and sends each frame as the
// headset's output reports; a record the headset reports changed is read again and goes into the
// profile only when it was read whole. The audio side (InitAudio and the voice panels' operations)
// goes through the audio library.
class CKestrovaHS6533Device : public CKestrovaUSBDevice {
public:
    // The notice the page gives its window after the headset's record was read again.
    static constexpr unsigned kRecordReadNotice = 0x0D00;
    static constexpr int kBrightnessMax = 5;
    static constexpr int kSpeedMax = 4;

    explicit CKestrovaHS6533Device(QWidget* parent = nullptr);
    ~CKestrovaHS6533Device() override;
    QString GetClass() const override { return QStringLiteral("KestrovaHS6533Device"); }

    // The headset's own driver over the backend.
    void MakeDriver(std::shared_ptr<HidBackend> backend) override;
    HeadsetDriver* GetHeadsetDriver() const;

    // The headset's one interface carries the command replies and the event reports: it is
    // opened for the commands and attached once more for the event reader.
    bool ConnectDevice(const DeviceInterfaceEntry& slot) override;
    void DisconnectDevice() override;

    // The page's controls, then the audio library.
    void InitPage() override;
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

    const CHs6533Profiledata& Profile() const { return m_profile; }

    // --- audio ---
    virtual void InitAudio() {}

protected:
    // A read of the headset's light record arrived on the UI thread.
    virtual void RecordRead(const PadRecordRead& read);

private:
    class Sink;
    std::unique_ptr<Sink> m_sink;
    CHs6533Profiledata m_profile;
};

}  // namespace quaro
