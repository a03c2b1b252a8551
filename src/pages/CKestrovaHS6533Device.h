#pragma once

#include "devices/headset/HeadsetDriver.h"
#include "devices/pad/PadDriverSink.h"
#include "pages/CKestrovaUSBDevice.h"
#include "pages/LedPageHelper.h"
#include "profiles/CHs6533Profiledata.h"

#include <memory>

namespace quaro {

class CHs6533Profiledata;
class CMagicControlUI;
class CVoice6533ControlUI;
class HeadsetAudioLink;
struct HeadsetAudioState;

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

    // Audio: levels, equaliser, curves and voice effects through the audio library
    //
    // Every audio library call runs on the page's audio worker; the page keeps a copy of the
    // audio state for its panels and takes the worker's answers on the UI thread. What the
    // headset took is stored in the profile (eight values, curve names and gains) and saved;
    // a refused call leaves the profile as it was. Without a ready library no call is made and
    // the panels show the profile's values.
    //
    // InitAudio (from InitPage, after the page is built): finds the voice panels, starts the
    // worker, loads the library and reads the headset. LoadAudioProfile (from LoadProfile):
    // the profile the audio side reads and stores into. ReadAudioState (from OnStart) and
    // RefreshVoicePanels (from RefreshPanels).
    virtual void InitAudio();
    void LoadAudioProfile(CHs6533Profiledata& profile);
    void ReadAudioState();
    void RefreshVoicePanels();
    // The operations behind the voice panels' controls.
    void SetMicLevel(int level);
    void ToggleMicMute();
    void SetMonitorLevel(int level);
    void ToggleMonitorMute();
    void SelectEqPreset(int preset);
    void SetEqBand(int band);
    void SelectCustomEq(int curve);
    // refused runs when a new name is refused: twenty curves exist, or the name is taken.
    void SaveCustomEq(const QString& name, std::function<void()> refused = {});
    void DeleteCustomEq();
    void ToggleVoiceChanger(bool on);
    void SelectVoiceEffect(int effect);
    CVoice6533ControlUI* GetVoicePanel() const;
    CMagicControlUI* GetMagicPanel() const;
    // The audio state as the UI thread last took it; the profile's until the headset answered.
    const HeadsetAudioState& AudioState() const;
    // Waits for the audio worker and takes its answers (tests, and before the page goes).
    void FlushAudio();

protected:
    // A read of the headset's light record arrived on the UI thread.
    virtual void RecordRead(const PadRecordRead& read);

private:
    class Sink;
    std::unique_ptr<Sink> m_sink;
    CHs6533Profiledata m_profile;
    LedPageHelper m_led;
    std::shared_ptr<HeadsetAudioLink> m_audio;  // after the profile: it stores into it
};

}  // namespace quaro
