// The headset's voice and voice changer controls routed by the main window: each action reaches
// the headset page while it is the current page, and a hidden headset page's controls do nothing.

#include "WindowFixtures.h"
#include "device/CatalogueEntries.h"
#include "devices/headset/HeadsetAudio.h"
#include "pages/CKestrovaHS6533Device.h"
#include "panels/devicetab/CDeviceOptionUI.h"
#include "panels/voice/CMagicControlUI.h"
#include "panels/voice/CVoice6533ControlUI.h"
#include "shell/CMainWnd.h"
#include "support/QtTestApp.h"
#include "ui/toolkit/COptionUI.h"
#include "ui/toolkit/CSliderUI.h"

#include <gtest/gtest.h>

#include <memory>

namespace quaro {
namespace {

class HeadsetInWindow : public test::WindowInTest {
protected:
    void SetUp() override {
        ASSERT_NO_FATAL_FAILURE(
            OpenWindow([](CMainWnd::Services& services) { services.trayAvailable = true; }));
        m_headset =
            dynamic_cast<CKestrovaHS6533Device*>(m_window->Devices().EnsurePage(kKindHeadset));
        ASSERT_NE(m_headset, nullptr);
        m_headset->InitAudio();
        m_headset->FlushAudio();
        ASSERT_NE(m_headset->GetVoicePanel(), nullptr);
        ASSERT_NE(m_headset->GetMagicPanel(), nullptr);
    }

    template <class T>
    T* Control(const char* name) const {
        return dynamic_cast<T*>(
            AsControl(m_headset->GetWidget()->findChild<QWidget*>(QLatin1String(name))));
    }

    CKestrovaHS6533Device* m_headset = nullptr;
};

TEST_F(HeadsetInWindow, VoiceControlsReachTheCurrentHeadsetPageOnly) {
    CVoice6533ControlUI& voice = *m_headset->GetVoicePanel();
    CMagicControlUI& magic = *m_headset->GetMagicPanel();

    // While another page is current, the headset's controls change nothing of it.
    Show(kKindMousePad);
    Control<COptionUI>("6533_eq_option_4")->Selected(true, true);
    EXPECT_EQ(m_headset->AudioState().Value(kEqType), 0);
    EXPECT_FALSE(m_headset->AudioState().IsCustomMode());

    Show(kKindHeadset);
    ASSERT_EQ(m_window->CurrentPage(), m_headset);
    // A preset: the sliders take its gains and the custom controls are disabled.
    Control<COptionUI>("6533_eq_option_4")->Selected(false, false);
    Control<COptionUI>("6533_eq_option_4")->Selected(true, true);
    EXPECT_EQ(m_headset->AudioState().Value(kEqType), 4);
    EXPECT_EQ(voice.GetBandSlider(0), 2);
    EXPECT_EQ(voice.GetBandSlider(9), 8);
    EXPECT_FALSE(voice.IsCustomMode());

    // A band moved: option 13, no curve, the custom controls enabled.
    Control<CSliderUI>("6533_eq_hz_slider_6")->SetValue(-4, true);
    EXPECT_EQ(voice.GetEqOption(), 13);
    EXPECT_TRUE(Control<COptionUI>("6533_eq_option_13")->IsSelected());
    EXPECT_FALSE(Control<COptionUI>("6533_eq_option_4")->IsSelected());
    EXPECT_TRUE(voice.IsCustomMode());
    EXPECT_EQ(voice.GetSelectedCurve(), -1);

    // The voice changer's switch enables its effects; an effect is taken.
    Control<COptionUI>("magic_enable_option")->Selected(true, true);
    EXPECT_TRUE(magic.AreEffectOptionsEnabled());
    Control<COptionUI>("magic_option_2")->Selected(true, true);
    EXPECT_EQ(magic.GetEffectOption(), 2);
    Control<COptionUI>("magic_enable_option")->Selected(false, true);
    EXPECT_FALSE(magic.AreEffectOptionsEnabled());

    // The microphone's switch shows the microphone's new state.
    const bool wasOn = voice.GetMicInOption();
    Control<COptionUI>("6533_MicIn_option")->Selected(!wasOn, true);
    EXPECT_EQ(voice.GetMicInOption(), !wasOn);
    m_headset->FlushAudio();
}

}  // namespace
}  // namespace quaro
