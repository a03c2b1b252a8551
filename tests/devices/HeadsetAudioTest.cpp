#include "RecordingOsConfFolder.h"
#include "TraceCapture.h"
#include "devices/headset/AudioWorker.h"
#include "devices/headset/HeadsetAudio.h"
#include "devices/headset/OsConfLibrary.h"

#include <gtest/gtest.h>

#include <atomic>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace quaro {
namespace {

using test::RecordingOsConfFolder;

std::vector<std::string> Names(const std::vector<RecordingOsConfCall>& calls) {
    std::vector<std::string> names;
    for (const RecordingOsConfCall& call : calls) {
        names.push_back(call.property);
    }
    return names;
}

HeadsetAudioState Values(const HeadsetValues& values) {
    HeadsetAudioState state;
    state.values = values;
    return state;
}

class HeadsetAudioTest : public ::testing::Test {
protected:
    RecordingOsConfFolder m_sdk{RECORDING_OSCONF_PATH};
    HeadsetAudio m_audio;

    // A ready library whose headset answers every property the page reads at start.
    void OpenHeadset() {
        m_sdk.AddHeadset();
        for (const char* name :
             {"Enable_EQ_GFX", "Enable_RFX_GFX", "RFX_ENVIRONMENT", "RFX_ROOMSIZE",
              "VirtualSurroundEffectControl", "MuteControl", "AAMuteControl", "Enable_MAGICVOICE",
              "MagicVoice_Selection", "Enable_ENC_LFX", "GetAAMaxVol"}) {
            m_sdk.AnswerInt(name, 0);
        }
        for (int band = 1; band <= 10; ++band) {
            m_sdk.AnswerInt(("EQ_Slider" + std::to_string(band)).c_str(), 0);
        }
        for (const char* name :
             {"VolumeControl", "VolumeScalarControl", "AAVolumeControl", "AAVolumeScalarControl"}) {
            m_sdk.AnswerText(name, u"0.500000");
        }
        ASSERT_TRUE(m_audio.Init(m_sdk.Path()));
        m_sdk.Forget();
    }
};

TEST(OsConfReplyTest, RepliesAreReadWithinTheBufferWhateverTheLibraryLeftInIt) {
    // A full buffer of UTF-16 digits without an end: 512 units, and not one byte further.
    std::vector<std::uint8_t> wide(kOsConfValueSize);
    for (std::size_t i = 0; i < wide.size(); i += 2) {
        wide[i] = '7';
    }
    EXPECT_EQ(OsConfReplyText(wide), std::string(kOsConfValueSize / 2, '7'));
    // The same without an end in 8-bit text.
    const std::vector<std::uint8_t> narrow(kOsConfValueSize, '1');
    EXPECT_EQ(OsConfReplyText(narrow), std::string(kOsConfValueSize, '1'));
    // An odd last byte of a wide reply is no unit.
    const std::vector<std::uint8_t> odd = {'5', 0, '6'};
    EXPECT_EQ(OsConfReplyText(odd), "5");
    EXPECT_EQ(OsConfReplyText({}), "");

    const auto support = ParseOsConfSupport("0x20001, 1,2,3, 44 ,5,66,7");
    ASSERT_TRUE(support.has_value());
    EXPECT_EQ(support->first, 0x20001);
    EXPECT_EQ(support->fifth, 44);
    EXPECT_EQ(support->seventh, 66);
    EXPECT_FALSE(ParseOsConfSupport("1,2,3,4,5,6").has_value());
    EXPECT_EQ(ParseOsConfSupport("x,,,,y,,").value().first, 0);
}

TEST_F(HeadsetAudioTest, WithoutAReadyLibraryNotOneCallIsMade) {
    {
        // No library file at all.
        test::TempDir empty;
        HeadsetAudio audio;
        EXPECT_FALSE(audio.Init(empty.Path()));
        EXPECT_EQ(audio.Library().GetState(), OsConfLibrary::State::kMissing);
        EXPECT_FALSE(audio.SetMicLevel(40));
        EXPECT_FALSE(audio.SelectEqPreset(3));
    }
    {
        // A library that lacks PropertyControl counts as missing: not even its init is called.
        RecordingOsConfFolder partial(RECORDING_OSCONF_PARTIAL_PATH);
        partial.AddHeadset();
        HeadsetAudio audio;
        EXPECT_FALSE(audio.Init(partial.Path()));
        EXPECT_EQ(audio.Library().GetState(), OsConfLibrary::State::kMissing);
        EXPECT_TRUE(partial.Calls().empty());
    }
    {
        // A failed initialisation is the last call.
        test::TraceCapture trace;
        RecordingOsConfFolder failing(RECORDING_OSCONF_PATH);
        failing.AddHeadset();
        failing.Setup().initResult = 5;
        HeadsetAudio audio;
        EXPECT_FALSE(audio.Init(failing.Path()));
        audio.SetMicLevel(10);
        audio.ToggleVoiceChanger(true);
        ASSERT_EQ(failing.Calls().size(), 1u);
        EXPECT_EQ(failing.Calls()[0].entry, "ConfLibInit");
        EXPECT_TRUE(trace.Contains("ConfLibInit called failed!"));
    }
    {
        // A headset without its capture device: the devices are listed, no property is touched.
        RecordingOsConfFolder noCapture(RECORDING_OSCONF_PATH);
        noCapture.Setup().playback.push_back({10, 1, 1});
        HeadsetAudio audio;
        audio.TakeProfile(Values({0, 1, 2, -1, 1, 33, 1, 44}));
        EXPECT_FALSE(audio.Init(noCapture.Path()));
        audio.SelectEqPreset(5);
        audio.SetEqBand(2, 4);
        EXPECT_TRUE(noCapture.Properties(0).empty());
        EXPECT_TRUE(noCapture.Properties(1).empty());
        // The panels go on showing the profile's levels.
        EXPECT_EQ(audio.State().Value(kMicInValue), 33);
        EXPECT_EQ(audio.State().Value(kMonitorValue), 44);
    }
}

TEST_F(HeadsetAudioTest, DevicesAreChosenByTypeAndStateAndTheirSupportIsRead) {
    m_sdk.Setup().playback = {{1, 4, 1}, {2, 12, 0}, {3, 12, 1}, {4, 1, 0}};
    m_sdk.Setup().capture = {{5, 3, 1}, {6, 2, 0}, {7, 2, 1}};
    // A support reply that fills the whole buffer with no end in it.
    std::vector<std::uint8_t> support(kOsConfValueSize, ' ');
    const std::string fields = "131072,0,0,0,9,0,3";
    std::copy(fields.begin(), fields.end(), support.begin());
    m_sdk.AnswerBytes("GetSupportFeature", support);
    ASSERT_TRUE(m_audio.Init(m_sdk.Path()));
    // A: no active type 1, so the active type 12. B: the first type 2, active or not.
    m_sdk.Forget();
    m_audio.SelectEqPreset(5);
    m_audio.SetMicLevel(10);
    const auto sets = m_sdk.Properties(1);
    ASSERT_FALSE(sets.empty());
    EXPECT_EQ(sets.front().entry, "PropertyControl:3");
    EXPECT_EQ(sets.back().entry, "PropertyControl:6");
    EXPECT_EQ(m_audio.Library().Support(OsConfLibrary::Device::kB).first, 131072);
    // The last field ran into the padding; it still reads as its number.
    EXPECT_EQ(m_audio.Library().Support(OsConfLibrary::Device::kA).seventh, 3);
}

TEST_F(HeadsetAudioTest, StartWritesDefaultsOnlyWhereAReadFailsAndTakesTheHeadsetsState) {
    m_sdk.AddHeadset();
    m_sdk.AnswerInt("Enable_EQ_GFX", 1);
    m_sdk.AnswerInt("EQ_Slider4", -6);
    m_sdk.AnswerInt("MuteControl", 1);
    m_sdk.AnswerText("VolumeScalarControl", u"0.570000");
    m_sdk.AnswerInt("GetAAMaxVol", 100);
    m_sdk.AnswerInt("AAMuteControl", 0);
    m_sdk.AnswerText("AAVolumeScalarControl", u"0.29");
    m_sdk.AnswerInt("MagicVoice_Selection", 2);
    m_sdk.AnswerInt("Enable_MAGICVOICE", 1);
    m_audio.TakeProfile(Values({0, 1, 5, -1, 1, 10, 0, 10}));
    ASSERT_TRUE(m_audio.Init(m_sdk.Path()));

    std::vector<std::string> written = Names(m_sdk.Properties(1));
    EXPECT_EQ(std::count(written.begin(), written.end(), "Enable_EQ_GFX"), 0);
    EXPECT_EQ(std::count(written.begin(), written.end(), "EQ_Slider4"), 0);
    EXPECT_EQ(std::count(written.begin(), written.end(), "EQ_Slider5"), 1);
    EXPECT_EQ(std::count(written.begin(), written.end(), "MuteControl"), 0);
    EXPECT_EQ(std::count(written.begin(), written.end(), "VolumeControl"), 1);
    for (const RecordingOsConfCall& call : m_sdk.Properties(1)) {
        EXPECT_EQ(call.value, 0) << call.property;
        if (call.property == "VirtualSurroundEffectControl") {
            EXPECT_EQ(call.second, (std::vector<std::int32_t>{4, -1, 0}));
        }
        if (call.property == "VolumeControl") {
            EXPECT_EQ(call.second, std::vector<std::int32_t>{-1});
        }
    }

    const HeadsetAudioState& state = m_audio.State();
    EXPECT_EQ(state.Value(kMicInSelect), 0);
    EXPECT_EQ(state.Value(kMicInValue), 57);
    EXPECT_EQ(state.Value(kMonitorSelect), 1);
    EXPECT_EQ(state.Value(kMonitorValue), 29);
    EXPECT_EQ(state.bands[3], -6);
    EXPECT_EQ(state.Value(kMagicType), 3);
    // Without the voice changer's support bit its switch is not read: the profile's stays.
    EXPECT_EQ(state.Value(kMagicEnable), 0);
    EXPECT_EQ(state.Value(kEqType), 5);
}

TEST_F(HeadsetAudioTest, LevelsAndMutesAreStoredOnlyWhenTheLibraryTookThem) {
    OpenHeadset();
    EXPECT_TRUE(m_audio.SetMicLevel(57));
    const auto sets = m_sdk.Properties(1);
    ASSERT_EQ(sets.size(), 1u);
    EXPECT_EQ(sets[0].property, "VolumeScalarControl");
    EXPECT_FLOAT_EQ(sets[0].scalar, 0.57f);
    EXPECT_EQ(sets[0].second, std::vector<std::int32_t>{-1});
    EXPECT_EQ(Names(m_sdk.Properties(0)), std::vector<std::string>{"VolumeControl"});
    EXPECT_EQ(m_audio.State().Value(kMicInValue), 57);

    m_sdk.Forget();
    EXPECT_TRUE(m_audio.SetMonitorLevel(120));
    EXPECT_FLOAT_EQ(m_sdk.Properties(1).at(0).scalar, 1.0f);
    EXPECT_EQ(m_sdk.Properties(1).at(0).second, std::vector<std::int32_t>{0});
    EXPECT_EQ(m_sdk.Properties(0).at(0).second, std::vector<std::int32_t>{1});
    EXPECT_EQ(m_audio.State().Value(kMonitorValue), 100);

    m_sdk.Setup().failing = {"VolumeScalarControl", "MuteControl"};
    EXPECT_FALSE(m_audio.SetMicLevel(12));
    EXPECT_EQ(m_audio.State().Value(kMicInValue), 57);
    const int micOn = m_audio.State().Value(kMicInSelect);
    EXPECT_FALSE(m_audio.ToggleMicMute());
    EXPECT_EQ(m_audio.State().Value(kMicInSelect), micOn);

    m_sdk.Setup().failing.clear();
    m_sdk.Forget();
    // The mute flag flipped with the failed call, so this toggle sends the opposite again.
    EXPECT_TRUE(m_audio.ToggleMicMute());
    EXPECT_EQ(m_sdk.Properties(1).at(0).value, 0);
    EXPECT_EQ(m_audio.State().Value(kMicInSelect), 1);
    EXPECT_TRUE(m_audio.ToggleMonitorMute());
    EXPECT_EQ(m_sdk.Properties(1).at(1).property, "AAMuteControl");
    EXPECT_EQ(m_audio.State().Value(kMonitorSelect), 0);
}

TEST_F(HeadsetAudioTest, PresetsAndBandsReachTheEqualiser) {
    OpenHeadset();
    EXPECT_TRUE(m_audio.SelectEqPreset(5));
    auto sets = m_sdk.Properties(1);
    ASSERT_EQ(sets.size(), 11u);
    EXPECT_EQ(sets[0].property, "Enable_EQ_GFX");
    EXPECT_EQ(sets[0].value, 1);
    for (int band = 1; band <= 10; ++band) {
        EXPECT_EQ(sets[band].property, "EQ_Slider" + std::to_string(band));
        EXPECT_EQ(sets[band].value, 0);
        EXPECT_EQ(sets[band].entry, "PropertyControl:10");
    }
    EXPECT_EQ(m_audio.State().Value(kEqType), 5);

    m_sdk.Forget();
    EXPECT_TRUE(m_audio.SelectEqPreset(2));
    EXPECT_EQ(m_sdk.Properties(1).at(5).value, -11);
    EXPECT_FALSE(m_audio.SelectEqPreset(0));
    EXPECT_FALSE(m_audio.SelectEqPreset(14));
    EXPECT_EQ(m_audio.State().Value(kEqType), 2);

    // One band moved under a preset: custom, with no curve selected, and only that band sent.
    m_sdk.Forget();
    m_audio.SetEqBand(3, 9);
    EXPECT_EQ(m_audio.State().Value(kEqType), kEqCustomType);
    EXPECT_EQ(m_audio.State().Value(kCustomEqIndex), -1);
    ASSERT_EQ(m_sdk.Properties(1).size(), 1u);
    EXPECT_EQ(m_sdk.Properties(1)[0].property, "EQ_Slider4");
    EXPECT_EQ(m_sdk.Properties(1)[0].value, 9);

    // A failed band leaves the preset unstored.
    m_sdk.Setup().failing = {"EQ_Slider7"};
    EXPECT_FALSE(m_audio.SelectEqPreset(1));
}

TEST_F(HeadsetAudioTest, CustomCurvesAreNamedOnceAndAtMostTwenty) {
    OpenHeadset();
    EqCurve gains{};
    for (int i = 0; i < HeadsetAudio::kMaxCurves; ++i) {
        gains.fill(i);
        ASSERT_EQ(m_audio.SaveCustomEq("Curve " + std::to_string(i), gains), CurveSave::kAdded);
        EXPECT_EQ(m_audio.State().Value(kCustomEqIndex), i);
    }
    EXPECT_EQ(m_audio.SaveCustomEq("one more", gains), CurveSave::kFull);
    EXPECT_EQ(m_audio.State().curveNames.size(), 20u);

    // Deleting the selected (last) curve selects the first and sends its gains.
    m_sdk.Forget();
    EXPECT_TRUE(m_audio.DeleteCustomEq());
    EXPECT_EQ(m_audio.SaveCustomEq("cURVE 3", gains), CurveSave::kDuplicate);
    EXPECT_EQ(m_audio.State().Value(kCustomEqIndex), 0);
    EXPECT_EQ(m_sdk.Properties(1).at(1).value, 0);

    // Deleting a curve in the middle keeps every other curve's own gains.
    ASSERT_TRUE(m_audio.SelectCustomEq(4));
    EXPECT_TRUE(m_audio.DeleteCustomEq());
    EXPECT_EQ(m_audio.State().curveNames[4], "Curve 5");
    EXPECT_EQ(m_audio.State().curves[4][0], 5);
    EXPECT_EQ(m_audio.State().curves[17][0], 18);

    // An empty name stores the sliders into the selected curve.
    ASSERT_TRUE(m_audio.SelectCustomEq(2));
    gains.fill(-7);
    EXPECT_EQ(m_audio.SaveCustomEq("", gains), CurveSave::kUpdated);
    EXPECT_EQ(m_audio.State().curves[2][9], -7);
}

TEST_F(HeadsetAudioTest, DeletingTheLastCurveReturnsToTheFirstPreset) {
    OpenHeadset();
    EqCurve gains{};
    gains.fill(3);
    EXPECT_EQ(m_audio.SaveCustomEq("", gains), CurveSave::kNothing);
    EXPECT_FALSE(m_audio.DeleteCustomEq());
    ASSERT_EQ(m_audio.SaveCustomEq("Mine", gains), CurveSave::kAdded);
    ASSERT_TRUE(m_audio.SelectEqPreset(kEqCustomType));
    EXPECT_EQ(m_audio.State().bands[0], 3);

    m_sdk.Forget();
    EXPECT_TRUE(m_audio.DeleteCustomEq());
    const HeadsetAudioState& state = m_audio.State();
    EXPECT_TRUE(state.curveNames.empty());
    EXPECT_EQ(state.Value(kEqType), 1);
    EXPECT_FALSE(state.IsCustomMode());
    EXPECT_EQ(state.bands, (EqCurve{7, 11, 2, -3, -1, 4, 9, 12, 9, 5}));
    EXPECT_EQ(m_sdk.Properties(1).at(10).value, 5);
}

TEST_F(HeadsetAudioTest, TheVoiceChangerTurnsTheEchoOffAndTakesEffectsOneToFour) {
    OpenHeadset();
    EXPECT_TRUE(m_audio.ToggleVoiceChanger(true));
    EXPECT_EQ(Names(m_sdk.Properties(1)),
              (std::vector<std::string>{"Enable_MAGICVOICE", "Enable_MICECHO"}));
    EXPECT_EQ(m_sdk.Properties(1)[0].value, 1);
    EXPECT_EQ(m_sdk.Properties(1)[1].value, 0);
    EXPECT_EQ(m_audio.State().Value(kMagicEnable), 1);

    m_sdk.Forget();
    EXPECT_TRUE(m_audio.SelectVoiceEffect(4));
    EXPECT_EQ(m_sdk.Properties(1).at(0).value, 3);
    EXPECT_EQ(m_audio.State().Value(kMagicType), 4);
    EXPECT_FALSE(m_audio.SelectVoiceEffect(5));
    EXPECT_FALSE(m_audio.SelectVoiceEffect(0));

    m_sdk.Setup().failing = {"Enable_MAGICVOICE"};
    EXPECT_FALSE(m_audio.ToggleVoiceChanger(false));
    EXPECT_EQ(m_audio.State().Value(kMagicEnable), 1);
}

}  // namespace
}  // namespace quaro

namespace quaro {
namespace {

TEST(AudioWorkerTest, RunsTasksInOrderAndDropsWhatIsLeftWhenStopped) {
    std::vector<int> ran;
    std::mutex ranMutex;
    {
        AudioWorker worker;
        std::vector<std::thread> posters;
        // Tasks from one thread keep their order whatever else is posted meanwhile.
        for (int i = 0; i < 100; ++i) {
            worker.Post([&, i] {
                std::lock_guard lock(ranMutex);
                ran.push_back(i);
            });
        }
        for (int t = 0; t < 3; ++t) {
            posters.emplace_back([&] {
                for (int i = 0; i < 50; ++i) {
                    worker.Post([&] {
                        std::lock_guard lock(ranMutex);
                        ran.push_back(-1);
                    });
                }
            });
        }
        for (std::thread& poster : posters) {
            poster.join();
        }
        worker.Drain();
        std::lock_guard lock(ranMutex);
        ASSERT_EQ(ran.size(), 250u);
        std::vector<int> own;
        std::copy_if(ran.begin(), ran.end(), std::back_inserter(own), [](int i) { return i >= 0; });
        for (int i = 0; i < 100; ++i) {
            ASSERT_EQ(own[static_cast<std::size_t>(i)], i);
        }
    }
    // A task still queued when the worker stops never runs, and a post after the stop is dropped.
    std::atomic<bool> queued{false};
    std::atomic<int> after{0};
    {
        AudioWorker worker;
        worker.Post([&] {
            while (!queued) {
                std::this_thread::yield();
            }
            worker.Stop();
        });
        worker.Post([&] { ++after; });
        queued = true;
        worker.Drain();
        worker.Post([&] { ++after; });
    }
    EXPECT_EQ(after, 0);
}

}  // namespace
}  // namespace quaro
