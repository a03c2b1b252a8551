// The headset page's audio side: the voice panels and the audio library, through the headset's
// audio model on a worker of its own.
#include "devices/headset/AudioWorker.h"
#include "devices/headset/HeadsetAudio.h"
#include "pages/CKestrovaHS6533Device.h"
#include "panels/voice/CMagicControlUI.h"
#include "panels/voice/CVoice6533ControlUI.h"
#include "platform/Trace.h"
#include "profiles/CHs6533Profiledata.h"

#include <QCoreApplication>
#include <QPointer>

#include <algorithm>
#include <functional>

namespace quaro {

// What the worker hands back after an operation.
struct HeadsetAudioAnswer {
    HeadsetAudioState state;
    bool store = false;
    CurveSave save = CurveSave::kNothing;
};

// The page's audio side. The model is touched on the worker only; everything else on the UI
// thread. The worker is declared last so that it stops before the model goes.
class HeadsetAudioLink {
public:
    std::shared_ptr<HeadsetAudio> model = std::make_shared<HeadsetAudio>();
    HeadsetAudioState view;
    CHs6533Profiledata* profile = nullptr;
    QPointer<QWidget> voiceWidget;
    QPointer<QWidget> magicWidget;
    CVoice6533ControlUI* voice = nullptr;
    CMagicControlUI* magic = nullptr;
    AudioWorker worker;
};

namespace {

using AudioOperation = std::function<HeadsetAudioAnswer(HeadsetAudio&)>;
using AudioFollowUp = std::function<void(const HeadsetAudioAnswer&)>;

// An operation that only says whether its state is to be stored.
AudioOperation Storing(std::function<bool(HeadsetAudio&)> operation) {
    return [operation = std::move(operation)](HeadsetAudio& audio) {
        HeadsetAudioAnswer answer;
        answer.store = operation(audio);
        answer.state = audio.State();
        return answer;
    };
}

EqCurve CurveOf(const std::vector<int>& gains) {
    EqCurve curve{};
    std::copy_n(gains.begin(), std::min(gains.size(), curve.size()), curve.begin());
    return curve;
}

void ShowBands(CVoice6533ControlUI& voice, const EqCurve& bands) {
    for (int band = 0; band < kEqBandCount; ++band) {
        voice.SetBandSlider(band, bands[static_cast<std::size_t>(band)]);
    }
}

const HeadsetAudioState kNoAudio{};

}  // namespace

namespace {

// Posts operation to the worker; its answer reaches the page on the UI thread, where the state
// is taken, stored when the operation says so, and followUp runs. Nothing runs once the page is
// gone.
void RunAudio(CKestrovaHS6533Device& page, HeadsetAudioLink& link, AudioOperation operation,
              AudioFollowUp followUp) {
    const std::shared_ptr<HeadsetAudio> model = link.model;
    QPointer<CKestrovaHS6533Device> target(&page);
    link.worker.Post(
        [model, target, &link, operation = std::move(operation), followUp = std::move(followUp)] {
            HeadsetAudioAnswer answer = operation(*model);
            QMetaObject::invokeMethod(
                target.data(),
                [target, &link, answer = std::move(answer), followUp] {
                    if (target.isNull()) {
                        return;
                    }
                    link.view = answer.state;
                    if (answer.store && link.profile != nullptr) {
                        const HeadsetAudioState& state = link.view;
                        link.profile->SetSystemSetStages(state.values);
                        link.profile->SetCustomEqNames(state.curveNames);
                        for (std::size_t i = 0; i < state.curveNames.size(); ++i) {
                            link.profile->SetCustomEqValues(static_cast<int>(i), state.curves[i]);
                        }
                        if (link.profile->Save() != 0) {
                            Trace("the headset's profile could not be saved");
                        }
                    }
                    if (followUp) {
                        followUp(answer);
                    }
                },
                Qt::QueuedConnection);
        });
}

}  // namespace

void CKestrovaHS6533Device::InitAudio() {
    if (m_audio) {
        return;
    }
    m_audio = std::make_shared<HeadsetAudioLink>();
    if (auto* voice = dynamic_cast<CVoice6533ControlUI*>(
            AsControl(findChild<QWidget*>(QStringLiteral("Voice6533ControlItem"))))) {
        m_audio->voice = voice;
        m_audio->voiceWidget = voice->GetWidget();
    }
    if (auto* magic = dynamic_cast<CMagicControlUI*>(
            AsControl(findChild<QWidget*>(QStringLiteral("MagicControlItem"))))) {
        m_audio->magic = magic;
        m_audio->magicWidget = magic->GetWidget();
    }
    const std::filesystem::path folder = ApplicationFolder();
    RunAudio(
        *this, *m_audio,
        [folder](HeadsetAudio& audio) {
            audio.Init(folder);
            return HeadsetAudioAnswer{audio.State(), false, CurveSave::kNothing};
        },
        [this](const HeadsetAudioAnswer&) { RefreshVoicePanels(); });
}

void CKestrovaHS6533Device::LoadAudioProfile(CHs6533Profiledata& profile) {
    if (!m_audio) {
        return;
    }
    HeadsetAudioState state;
    state.values = profile.GetSystemSetStages();
    const int eqType = state.values[kEqType];
    state.bands =
        CurveOf(eqType == kEqCustomType ? profile.GetCustomEqValues(state.values[kCustomEqIndex])
                                        : profile.GetEqValues(eqType));
    state.curveNames = profile.GetCustomEqNames();
    if (state.curveNames.size() > state.curves.size()) {
        state.curveNames.resize(state.curves.size());
    }
    for (std::size_t i = 0; i < state.curveNames.size(); ++i) {
        state.curves[i] = CurveOf(profile.GetCustomEqValues(static_cast<int>(i)));
    }
    state.micMuted = state.values[kMicInSelect] == 0;
    state.monitorMuted = state.values[kMonitorSelect] == 0;
    m_audio->profile = &profile;
    m_audio->view = state;
    // An answer still on its way carries the state from before; this one's answer, which comes
    // after it, puts the profile's state back.
    RunAudio(*this, *m_audio,
             [state](HeadsetAudio& audio) {
                 audio.TakeProfile(state);
                 return HeadsetAudioAnswer{audio.State(), false, CurveSave::kNothing};
             },
             {});
}

void CKestrovaHS6533Device::ReadAudioState() {
    if (!m_audio) {
        return;
    }
    RunAudio(
        *this, *m_audio,
        [](HeadsetAudio& audio) {
            audio.ReadState();
            return HeadsetAudioAnswer{audio.State(), false, CurveSave::kNothing};
        },
        [this](const HeadsetAudioAnswer&) { RefreshVoicePanels(); });
}

CVoice6533ControlUI* CKestrovaHS6533Device::GetVoicePanel() const {
    return m_audio && !m_audio->voiceWidget.isNull() ? m_audio->voice : nullptr;
}

CMagicControlUI* CKestrovaHS6533Device::GetMagicPanel() const {
    return m_audio && !m_audio->magicWidget.isNull() ? m_audio->magic : nullptr;
}

const HeadsetAudioState& CKestrovaHS6533Device::AudioState() const {
    return m_audio ? m_audio->view : kNoAudio;
}

void CKestrovaHS6533Device::FlushAudio() {
    if (!m_audio) {
        return;
    }
    m_audio->worker.Drain();
    QCoreApplication::sendPostedEvents(this, QEvent::MetaCall);
}

void CKestrovaHS6533Device::RefreshVoicePanels() {
    if (!m_audio) {
        return;
    }
    const HeadsetAudioState& state = m_audio->view;
    if (CMagicControlUI* magic = GetMagicPanel()) {
        magic->SetVoiceChangerOption(state.Value(kMagicEnable) != 0);
        magic->SelectEffectOption(state.Value(kMagicType));
    }
    CVoice6533ControlUI* voice = GetVoicePanel();
    if (voice == nullptr) {
        return;
    }
    voice->SetMicInOption(state.Value(kMicInSelect) != 0);
    voice->SetMicInSlider(state.Value(kMicInValue));
    voice->SetMonitorOption(state.Value(kMonitorSelect) != 0);
    voice->SetMonitorSlider(state.Value(kMonitorValue));
    voice->SelectEqOption(state.Value(kEqType));
    voice->RemoveAllCurves();
    for (const std::string& name : state.curveNames) {
        voice->AddCurveName(QString::fromStdString(name));
    }
    voice->SelectCurve(state.Value(kCustomEqIndex));
    voice->SetCustomMode(state.IsCustomMode());
    ShowBands(*voice, state.bands);
}

void CKestrovaHS6533Device::SetMicLevel(int level) {
    if (m_audio) {
        RunAudio(*this, *m_audio,
                 Storing([level](HeadsetAudio& audio) { return audio.SetMicLevel(level); }), {});
    }
}

void CKestrovaHS6533Device::SetMonitorLevel(int level) {
    if (m_audio) {
        RunAudio(*this, *m_audio,
                 Storing([level](HeadsetAudio& audio) { return audio.SetMonitorLevel(level); }),
                 {});
    }
}

void CKestrovaHS6533Device::ToggleMicMute() {
    if (!m_audio) {
        return;
    }
    m_audio->view.micMuted = !m_audio->view.micMuted;
    if (CVoice6533ControlUI* voice = GetVoicePanel()) {
        voice->SetMicInOption(!m_audio->view.micMuted);
    }
    RunAudio(*this, *m_audio, Storing([](HeadsetAudio& audio) { return audio.ToggleMicMute(); }),
             {});
}

void CKestrovaHS6533Device::ToggleMonitorMute() {
    if (!m_audio) {
        return;
    }
    m_audio->view.monitorMuted = !m_audio->view.monitorMuted;
    if (CVoice6533ControlUI* voice = GetVoicePanel()) {
        voice->SetMonitorOption(!m_audio->view.monitorMuted);
    }
    RunAudio(*this, *m_audio,
             Storing([](HeadsetAudio& audio) { return audio.ToggleMonitorMute(); }), {});
}

void CKestrovaHS6533Device::SelectEqPreset(int preset) {
    if (!m_audio || preset < 1 || preset > kEqCustomType) {
        return;
    }
    CVoice6533ControlUI* voice = GetVoicePanel();
    m_audio->view.values[kEqType] = preset;
    if (preset == kEqCustomType) {
        if (voice != nullptr) {
            voice->SelectEqOption(kEqCustomType);
            voice->SetCustomMode(true);
        }
        RunAudio(*this, *m_audio,
                 Storing([](HeadsetAudio& audio) { return audio.SelectEqPreset(kEqCustomType); }),
                 [this](const HeadsetAudioAnswer& answer) {
                     CVoice6533ControlUI* shown = GetVoicePanel();
                     if (shown != nullptr && answer.state.SelectedCurve() >= 0) {
                         ShowBands(*shown, answer.state.bands);
                     }
                 });
        return;
    }
    if (voice != nullptr) {
        const auto& gains = kEqPresets[static_cast<std::size_t>(preset - 1)];
        for (int band = 0; band < kEqBandCount; ++band) {
            voice->SetBandSlider(band, gains[static_cast<std::size_t>(band)]);
        }
        voice->SelectEqOption(preset);
        voice->SetCustomMode(false);
    }
    RunAudio(*this, *m_audio,
             Storing([preset](HeadsetAudio& audio) { return audio.SelectEqPreset(preset); }), {});
}

void CKestrovaHS6533Device::SetEqBand(int band) {
    CVoice6533ControlUI* voice = GetVoicePanel();
    if (!m_audio || voice == nullptr || band < 0 || band >= kEqBandCount) {
        return;
    }
    const int gain = voice->GetBandSlider(band);
    if (!m_audio->view.IsCustomMode()) {
        m_audio->view.values[kEqType] = kEqCustomType;
        m_audio->view.values[kCustomEqIndex] = -1;
        voice->SelectEqOption(kEqCustomType);
        voice->SelectCurve(-1);
        voice->SetCustomMode(true);
    }
    RunAudio(*this, *m_audio,
             [band, gain](HeadsetAudio& audio) {
                 audio.SetEqBand(band, gain);
                 return HeadsetAudioAnswer{audio.State(), false, CurveSave::kNothing};
             },
             {});
}

void CKestrovaHS6533Device::SelectCustomEq(int curve) {
    if (!m_audio || curve < 0) {
        return;
    }
    RunAudio(*this, *m_audio,
             Storing([curve](HeadsetAudio& audio) { return audio.SelectCustomEq(curve); }),
             [this](const HeadsetAudioAnswer& answer) {
                 if (CVoice6533ControlUI* voice = GetVoicePanel()) {
                     ShowBands(*voice, answer.state.bands);
                 }
             });
}

void CKestrovaHS6533Device::SaveCustomEq(const QString& name, std::function<void()> refused) {
    CVoice6533ControlUI* voice = GetVoicePanel();
    if (!m_audio || voice == nullptr) {
        return;
    }
    EqCurve sliders{};
    const auto shown = voice->GetBandSliders();
    std::copy(shown.begin(), shown.end(), sliders.begin());
    const std::string text = name.toStdString();
    RunAudio(
        *this, *m_audio,
        [text, sliders](HeadsetAudio& audio) {
            HeadsetAudioAnswer answer;
            answer.save = audio.SaveCustomEq(text, sliders);
            answer.store = answer.save == CurveSave::kAdded || answer.save == CurveSave::kUpdated;
            answer.state = audio.State();
            return answer;
        },
        [this, name, refused = std::move(refused)](const HeadsetAudioAnswer& answer) {
            CVoice6533ControlUI* panel = GetVoicePanel();
            if (answer.save == CurveSave::kAdded && panel != nullptr) {
                panel->AddCurveName(name);
                panel->SelectCurve(answer.state.Value(kCustomEqIndex));
            } else if ((answer.save == CurveSave::kFull || answer.save == CurveSave::kDuplicate) &&
                       refused) {
                refused();
            }
        });
}

void CKestrovaHS6533Device::DeleteCustomEq() {
    if (!m_audio) {
        return;
    }
    RunAudio(*this, *m_audio, Storing([](HeadsetAudio& audio) { return audio.DeleteCustomEq(); }),
             [this](const HeadsetAudioAnswer& answer) {
                 CVoice6533ControlUI* voice = GetVoicePanel();
                 if (!answer.store || voice == nullptr) {
                     return;
                 }
                 // The curves are listed again from the answer, so the combo holds what the
                 // profile holds even when the selection was not the combo's.
                 voice->RemoveAllCurves();
                 for (const std::string& name : answer.state.curveNames) {
                     voice->AddCurveName(QString::fromStdString(name));
                 }
                 if (answer.state.curveNames.empty()) {
                     voice->SelectEqOption(answer.state.Value(kEqType));
                     voice->SetCustomMode(false);
                 } else {
                     voice->SelectCurve(answer.state.Value(kCustomEqIndex));
                 }
                 ShowBands(*voice, answer.state.bands);
             });
}

void CKestrovaHS6533Device::ToggleVoiceChanger(bool on) {
    if (!m_audio) {
        return;
    }
    if (CMagicControlUI* magic = GetMagicPanel()) {
        magic->EnableEffectOptions(on);
    }
    RunAudio(*this, *m_audio,
             Storing([on](HeadsetAudio& audio) { return audio.ToggleVoiceChanger(on); }), {});
}

void CKestrovaHS6533Device::SelectVoiceEffect(int effect) {
    if (!m_audio) {
        return;
    }
    if (CMagicControlUI* magic = GetMagicPanel()) {
        magic->SelectEffectOption(effect);
    }
    RunAudio(*this, *m_audio,
             Storing([effect](HeadsetAudio& audio) { return audio.SelectVoiceEffect(effect); }),
             {});
}

}  // namespace quaro
