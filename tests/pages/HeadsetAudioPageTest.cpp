// The headset page's audio side built from the shipped layout, against a recording audio
// library: the panels filled from the profile and from the headset, each user action's panel
// reaction, and what reaches the library and the profile document.

#include "PageControls.h"
#include "RecordingOsConfFolder.h"
#include "TempDir.h"
#include "devices/headset/HeadsetAudio.h"
#include "profiles/CHs6533Profiledata.h"
#include "support/QtTestApp.h"
#include "ui/toolkit/CComboUI.h"
#include "ui/toolkit/CEditUI.h"

#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <string>

namespace quaro {
namespace {

constexpr const char* kLayout = "XML/DeviceXml/hs6533device.xml";

class HeadsetAudioPage : public ::testing::Test {
protected:
    HeadsetAudioPage() {
        m_resources.SetResourcePath(test::SourceSkinPath());
        m_resources.LoadLanguage(QStringLiteral("lan_en.xml"));
    }
    ~HeadsetAudioPage() override {
        if (m_page != nullptr) {
            delete m_page->GetWidget();
        }
    }

    // The page as discovery builds it, with its audio side started over applicationFolder and
    // the factory profile copied to a document of the test's.
    void Build(const std::filesystem::path& applicationFolder) {
        CDialogBuilder builder;
        CControlUI* root = builder.Create(QLatin1String(kLayout), m_resources, &m_controls);
        EXPECT_TRUE(builder.Problems().isEmpty());
        EXPECT_TRUE(m_controls.m_problems.isEmpty());
        m_page = dynamic_cast<CKestrovaHS6533Device*>(root);
        ASSERT_NE(m_page, nullptr);
        m_page->SetPageLayout(QLatin1String(kLayout));
        m_page->SetLightCount(13);
        m_page->SetApplicationFolder(applicationFolder);
        m_page->InitPage();
        m_page->InitAudio();
        m_profile.SetDefaultProfilePath(test::SourceDefaultDataFolder() / "HD.Json");
        m_profile.SetProfilePath(m_profileFile);
        m_profile.Load(m_profileFile);
        // As the page's start does: the profile, then the headset's state, then the panels.
        m_page->LoadAudioProfile(m_profile);
        m_page->ReadAudioState();
        m_page->RefreshVoicePanels();
        m_page->FlushAudio();
        ASSERT_NE(Voice(), nullptr);
        ASSERT_NE(Magic(), nullptr);
    }

    CVoice6533ControlUI* Voice() const { return m_page->GetVoicePanel(); }
    CMagicControlUI* Magic() const { return m_page->GetMagicPanel(); }
    template <class T>
    T* Find(const char* name) const {
        return dynamic_cast<T*>(AsControl(m_page->findChild<QWidget*>(QLatin1String(name))));
    }

    // The profile document as a fresh reader sees it.
    HeadsetValues StoredValues() {
        CHs6533Profiledata stored;
        stored.Load(m_profileFile);
        return stored.GetSystemSetStages();
    }
    std::vector<std::string> StoredNames() {
        CHs6533Profiledata stored;
        stored.Load(m_profileFile);
        return stored.GetCustomEqNames();
    }

    test::TempDir m_dir;
    std::filesystem::path m_profileFile = m_dir / "profile1.json";
    CResourceManager m_resources;
    PageControls m_controls{m_resources};
    CHs6533Profiledata m_profile;
    CKestrovaHS6533Device* m_page = nullptr;
};

TEST_F(HeadsetAudioPage, WithoutTheLibraryThePanelsShowTheProfileAndNothingIsStored) {
    Build(m_dir.Path());
    // The factory profile: microphone on at 80, monitoring off at 50, preset 5, effect 1 with
    // the voice changer off.
    EXPECT_TRUE(Voice()->GetMicInOption());
    EXPECT_EQ(Voice()->GetMicInSlider(), 80);
    EXPECT_FALSE(Voice()->GetMonitorOption());
    EXPECT_EQ(Voice()->GetMonitorSlider(), 50);
    EXPECT_EQ(Voice()->GetEqOption(), 5);
    EXPECT_TRUE(Find<COptionUI>("6533_eq_option_5")->IsSelected());
    EXPECT_FALSE(Voice()->IsCustomMode());
    EXPECT_FALSE(Magic()->GetVoiceChangerOption());
    EXPECT_FALSE(Magic()->AreEffectOptionsEnabled());
    EXPECT_EQ(Magic()->GetEffectOption(), 1);
    EXPECT_TRUE(Find<COptionUI>("magic_option_1")->IsSelected());

    const HeadsetValues before = StoredValues();
    Voice()->SetMicInSlider(20);
    m_page->SetMicLevel(Voice()->GetMicInSlider());
    m_page->SelectEqPreset(2);
    m_page->FlushAudio();
    EXPECT_EQ(StoredValues(), before);
    // The panel keeps what the user set.
    EXPECT_EQ(Voice()->GetMicInSlider(), 20);
    EXPECT_EQ(Voice()->GetEqOption(), 2);
}

TEST_F(HeadsetAudioPage, TheUsersActionsReachTheHeadsetAndTheProfile) {
    test::RecordingOsConfFolder sdk(RECORDING_OSCONF_PATH);
    sdk.AddHeadset();
    sdk.AnswerText("VolumeScalarControl", u"0.300000");
    sdk.AnswerInt("MuteControl", 0);
    Build(sdk.Path());
    // The headset's level replaced the profile's once the worker answered.
    EXPECT_EQ(Voice()->GetMicInSlider(), 30);

    // A band moved under preset 5: custom mode with no curve, only that band sent, not stored.
    sdk.Forget();
    Find<CEditUI>("custom_eq_name_edit")->SetText(QStringLiteral("left over"));
    Voice()->SetBandSlider(2, 6);
    m_page->SetEqBand(2);
    m_page->FlushAudio();
    EXPECT_EQ(Voice()->GetEqOption(), 13);
    EXPECT_TRUE(Voice()->IsCustomMode());
    EXPECT_EQ(Voice()->GetSelectedCurve(), -1);
    EXPECT_TRUE(Voice()->GetNewCurveName().isEmpty());
    ASSERT_EQ(sdk.Properties(1).size(), 1u);
    EXPECT_EQ(sdk.Properties(1)[0].property, "EQ_Slider3");
    EXPECT_EQ(sdk.Properties(1)[0].value, 6);
    EXPECT_EQ(StoredValues()[kEqType], 5);

    // A new curve is added and selected; the same name in other case is refused.
    int refusals = 0;
    m_page->SaveCustomEq(QStringLiteral("Night"), [&refusals] { ++refusals; });
    m_page->FlushAudio();
    EXPECT_EQ(Voice()->GetCurveCount(), 1);
    EXPECT_EQ(Voice()->GetCurveName(0), QStringLiteral("Night"));
    EXPECT_EQ(Voice()->GetSelectedCurve(), 0);
    EXPECT_EQ(StoredNames(), std::vector<std::string>{"Night"});
    m_page->SaveCustomEq(QStringLiteral("NIGHT"), [&refusals] { ++refusals; });
    m_page->FlushAudio();
    EXPECT_EQ(refusals, 1);
    EXPECT_EQ(Voice()->GetCurveCount(), 1);

    // The microphone: a level and a mute the headset took are stored.
    sdk.Forget();
    Voice()->SetMicInSlider(64);
    m_page->SetMicLevel(Voice()->GetMicInSlider());
    m_page->ToggleMicMute();
    m_page->FlushAudio();
    EXPECT_FALSE(Voice()->GetMicInOption());
    EXPECT_EQ(StoredValues()[kMicInValue], 64);
    EXPECT_EQ(StoredValues()[kMicInSelect], 0);
    // A level the headset refused is not.
    sdk.Setup().failing = {"VolumeScalarControl"};
    m_page->SetMicLevel(12);
    m_page->FlushAudio();
    EXPECT_EQ(StoredValues()[kMicInValue], 64);

    // Deleting the only curve returns to preset 1 in the panel, the library and the profile.
    sdk.Forget();
    m_page->DeleteCustomEq();
    m_page->FlushAudio();
    EXPECT_EQ(Voice()->GetCurveCount(), 0);
    EXPECT_EQ(Voice()->GetEqOption(), 1);
    EXPECT_FALSE(Voice()->IsCustomMode());
    EXPECT_EQ(Voice()->GetBandSlider(0), 7);
    EXPECT_EQ(Voice()->GetBandSlider(9), 5);
    EXPECT_EQ(StoredValues()[kEqType], 1);
    EXPECT_TRUE(StoredNames().empty());
    EXPECT_EQ(sdk.Properties(1).at(0).property, "Enable_EQ_GFX");

    // The voice changer: its effects follow its switch and keep their selection while off.
    m_page->SelectVoiceEffect(3);
    m_page->ToggleVoiceChanger(true);
    m_page->FlushAudio();
    EXPECT_TRUE(Magic()->AreEffectOptionsEnabled());
    EXPECT_EQ(StoredValues()[kMagicType], 3);
    EXPECT_EQ(StoredValues()[kMagicEnable], 1);
    m_page->ToggleVoiceChanger(false);
    m_page->FlushAudio();
    EXPECT_FALSE(Magic()->AreEffectOptionsEnabled());
    EXPECT_TRUE(Find<COptionUI>("magic_option_3")->IsSelected());
}

}  // namespace
}  // namespace quaro
