// The headset's voice and voice changer panels built from the shipped fragments: what the page's
// calls show, that they raise no notification of their own (the window would take it for the
// user's), and the answers of a panel whose layout lacks a control.

#include "TempDir.h"
#include "panels/voice/CMagicControlUI.h"
#include "panels/voice/CVoice6533ControlUI.h"
#include "support/QtTestApp.h"
#include "support/RecordingWindow.h"
#include "ui/toolkit/CDialogBuilder.h"
#include "ui/toolkit/CResourceManager.h"

#include <gtest/gtest.h>

namespace quaro {
namespace {

class VoiceControls : public IDialogBuilderCallback {
public:
    CControlUI* CreateControl(const QString& className) override {
        if (className == u"Voice6533Control") {
            return new CVoice6533ControlUI;
        }
        return className == u"MagicControl" ? new CMagicControlUI : nullptr;
    }
};

class VoicePanels : public ::testing::Test {
protected:
    VoicePanels() {
        test::WriteFileBytes(m_dir / "w.xml",
                             "<Window size=\"1400,300\"><VerticalLayout name=\"root\">"
                             "<HorizontalLayout name=\"area\"/></VerticalLayout></Window>");
        m_resources.SetResourcePath(test::SourceSkinPath());
        m_resources.LoadLanguage(QStringLiteral("lan_en.xml"));
        m_window.Create(QStringLiteral("t"), Qt::Window | Qt::FramelessWindowHint);
        auto* area = m_window.FindControlAs<CContainerUI>(QStringLiteral("area"));
        m_voice = dynamic_cast<CVoice6533ControlUI*>(Build("Voice6533Control.xml"));
        m_magic = dynamic_cast<CMagicControlUI*>(Build("MagicControl.xml"));
        if (m_voice != nullptr && m_magic != nullptr) {
            area->Add(m_voice);
            area->Add(m_magic);
            InitControls(area);
        }
    }

    void SetUp() override {
        ASSERT_NE(m_voice, nullptr);
        ASSERT_NE(m_magic, nullptr);
        EXPECT_TRUE(m_problems.isEmpty()) << m_problems.join(u' ').toStdString();
        m_window.ClearNotes();
    }

    CControlUI* Build(const char* file) {
        CDialogBuilder builder;
        CControlUI* built =
            builder.Create(QStringLiteral("XML/CustomControlXML/%1").arg(QLatin1String(file)),
                           m_resources, &m_controls);
        m_problems.append(builder.Problems());
        return built;
    }

    template <class T = CControlUI>
    T* Find(const QString& name) {
        return m_window.FindControlAs<T>(name);
    }
    // The selected equaliser options, as their numbers.
    std::vector<int> SelectedEqOptions() {
        std::vector<int> selected;
        for (int n = 1; n <= CVoice6533ControlUI::kEqOptionCount; ++n) {
            if (Find<COptionUI>(QStringLiteral("6533_eq_option_%1").arg(n))->IsSelected()) {
                selected.push_back(n);
            }
        }
        return selected;
    }

    // What the window would take for the user's own changes.
    std::vector<test::RecordingWindow::Note> UserNotes() {
        std::vector<test::RecordingWindow::Note> notes;
        for (const QString& type :
             {notify::kSelectChanged, notify::kValueChanged, notify::kItemSelect}) {
            const auto found = m_window.NotesOf(type);
            notes.insert(notes.end(), found.begin(), found.end());
        }
        return notes;
    }

    test::TempDir m_dir;
    CResourceManager m_resources;
    test::RecordingWindow m_window{m_resources, QString::fromStdString((m_dir / "w.xml").string())};
    VoiceControls m_controls;
    QStringList m_problems;
    CVoice6533ControlUI* m_voice = nullptr;
    CMagicControlUI* m_magic = nullptr;
};

TEST_F(VoicePanels, EqualiserOptionsAreSelectedOneAtATimeAndSilently) {
    m_voice->SelectEqOption(4);
    m_voice->SelectEqOption(13);
    EXPECT_EQ(SelectedEqOptions(), std::vector<int>{13});
    EXPECT_EQ(m_voice->GetEqOption(), 13);
    m_voice->SelectEqOption(14);
    EXPECT_TRUE(SelectedEqOptions().empty());
    EXPECT_EQ(m_voice->GetEqOption(), 0);
    m_voice->SelectEqOption(1);
    m_voice->SelectEqOption(0);
    EXPECT_TRUE(SelectedEqOptions().empty());

    m_voice->SetCustomMode(false);
    EXPECT_FALSE(Find(QStringLiteral("custom_eq_name_combo"))->IsEnabled());
    m_voice->SetCustomMode(true);
    EXPECT_TRUE(Find(QStringLiteral("custom_eq_name_combo"))->IsEnabled());

    // Every band and level takes the gains the presets use, and reads them back.
    for (int band = 0; band < CVoice6533ControlUI::kBandCount; ++band) {
        m_voice->SetBandSlider(band, band % 2 == 0 ? -13 : 18);
    }
    EXPECT_EQ(m_voice->GetBandSlider(0), -13);
    EXPECT_EQ(m_voice->GetBandSliders()[9], 18);
    EXPECT_EQ(m_voice->GetBandSlider(10), -1);
    m_voice->SetMicInSlider(100);
    m_voice->SetMonitorSlider(0);
    m_voice->SetMicInOption(true);
    EXPECT_EQ(m_voice->GetMicInSlider(), 100);
    EXPECT_EQ(m_voice->GetMonitorSlider(), 0);
    EXPECT_TRUE(m_voice->GetMicInOption());
    EXPECT_FALSE(m_voice->GetMonitorOption());
    EXPECT_TRUE(UserNotes().empty());
}

TEST_F(VoicePanels, CurvesKeepTheirOrderAndSelectingOneEmptiesTheNameField) {
    for (const char* name : {"Night", "Day", "Bass"}) {
        m_voice->AddCurveName(QLatin1String(name));
    }
    m_voice->SetNewCurveName(QStringLiteral("typed"));
    m_voice->SelectCurve(2);
    EXPECT_EQ(m_voice->GetSelectedCurve(), 2);
    EXPECT_TRUE(m_voice->GetNewCurveName().isEmpty());

    m_voice->RemoveCurve(1);
    ASSERT_EQ(m_voice->GetCurveCount(), 2);
    EXPECT_EQ(m_voice->GetCurveName(0), QStringLiteral("Night"));
    EXPECT_EQ(m_voice->GetCurveName(1), QStringLiteral("Bass"));
    EXPECT_EQ(m_voice->GetCurveName(2), QString());

    m_voice->SelectCurve(1);
    m_voice->SelectCurve(-1);
    EXPECT_EQ(m_voice->GetSelectedCurve(), -1);
    m_voice->RemoveAllCurves();
    EXPECT_EQ(m_voice->GetCurveCount(), 0);
    EXPECT_TRUE(UserNotes().empty());
}

TEST_F(VoicePanels, EffectsAreEnabledWithTheVoiceChangerAndKeepTheirSelection) {
    m_magic->SetVoiceChangerOption(true);
    m_magic->SelectEffectOption(2);
    EXPECT_TRUE(m_magic->GetVoiceChangerOption());
    EXPECT_TRUE(Find(QStringLiteral("magic_option_2"))->IsEnabled());

    m_magic->SetVoiceChangerOption(false);
    EXPECT_FALSE(Find(QStringLiteral("magic_option_2"))->IsEnabled());
    EXPECT_TRUE(Find<COptionUI>(QStringLiteral("magic_option_2"))->IsSelected());
    EXPECT_EQ(m_magic->GetEffectOption(), 2);

    m_magic->SelectEffectOption(5);
    EXPECT_EQ(m_magic->GetEffectOption(), 0);
    for (int n = 1; n <= CMagicControlUI::kEffectCount; ++n) {
        EXPECT_FALSE(Find<COptionUI>(QStringLiteral("magic_option_%1").arg(n))->IsSelected());
    }
    EXPECT_TRUE(UserNotes().empty());
}

TEST(VoicePanelWithoutControls, AnswersItsDefaults) {
    CVoice6533ControlUI voice;
    CMagicControlUI magic;
    voice.SetBandSlider(0, 4);
    voice.AddCurveName(QStringLiteral("Night"));
    voice.SelectCurve(0);
    EXPECT_EQ(voice.GetBandSlider(0), -1);
    EXPECT_EQ(voice.GetMicInSlider(), -1);
    EXPECT_EQ(voice.GetSelectedCurve(), -1);
    EXPECT_EQ(voice.GetCurveCount(), 0);
    EXPECT_EQ(voice.GetCurveName(0), QString());
    EXPECT_EQ(voice.GetNewCurveName(), QString());
    EXPECT_FALSE(voice.GetMicInOption());
    voice.SelectEqOption(3);
    EXPECT_EQ(voice.GetEqOption(), 3);
    magic.SetVoiceChangerOption(true);
    EXPECT_FALSE(magic.GetVoiceChangerOption());
    EXPECT_FALSE(magic.AreEffectOptionsEnabled());
}

}  // namespace
}  // namespace quaro
