#pragma once

#include "pages/CKestrovaUSBDevice.h"

namespace quaro {

class CHs6533Profiledata;
class CMagicControlUI;
class CVoice6533ControlUI;
class HeadsetAudioLink;
struct HeadsetAudioState;

// The headset's page: the headset with its 13 LEDs bound to light buttons, and the profile bar.
class CKestrovaHS6533Device : public CKestrovaUSBDevice {
public:
    explicit CKestrovaHS6533Device(QWidget* parent = nullptr) : CKestrovaUSBDevice(parent) {}
    QString GetClass() const override { return QStringLiteral("KestrovaHS6533Device"); }

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

private:
    std::shared_ptr<HeadsetAudioLink> m_audio;
};

}  // namespace quaro
