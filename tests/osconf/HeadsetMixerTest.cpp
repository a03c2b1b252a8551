#include "TempDir.h"
#include "osconf/HeadsetMixer.h"
#include "osconf/HeadsetMixerMap.h"
#include "osconf/SimulatedMixer.h"
#include "sim/SimMixer.h"

#include <gtest/gtest.h>

#include <cmath>

namespace quaro {
namespace {

TEST(HeadsetMixerMapTest, MicrophoneCaptureIsTheLevelAndItsPlaybackTheMonitoring) {
    // A USB headset card as ALSA lists it, speaker first.
    const std::vector<MixerElementInfo> card = {
        {"Speaker", false, false, true, true},
        {"Mic", true, true, true, true},
        {"Auto Gain Control", false, false, false, true},
    };
    const HeadsetMixerMap map = MapHeadsetMixer(card);
    EXPECT_EQ(map.micVolume, 1u);
    EXPECT_EQ(map.micSwitch, 1u);
    EXPECT_EQ(map.monitorVolume, 1u);
    EXPECT_EQ(map.monitorSwitch, 1u);
}

TEST(HeadsetMixerMapTest, SpeakerIsNeverTakenForMonitoring) {
    // Capture under another name, and no playback path for the microphone at all.
    const std::vector<MixerElementInfo> card = {
        {"PCM", false, false, true, true},
        {"Capture", true, false, false, false},
        {"Capture Switch", false, true, false, false},
    };
    const HeadsetMixerMap map = MapHeadsetMixer(card);
    EXPECT_EQ(map.micVolume, 1u);
    EXPECT_EQ(map.micSwitch, 2u);
    EXPECT_FALSE(map.monitorVolume);
    EXPECT_FALSE(map.monitorSwitch);
    EXPECT_FALSE(MapHeadsetMixer({}).micVolume);
}

// The library's mixer code against a coarse simulated card in a private bus folder.
class HeadsetMixerTest : public ::testing::Test {
protected:
    void SetUp() override {
        SimMixer mixer = DefaultHeadsetMixer();
        // 16 capture steps of 1.5 dB, as small headset chips have.
        mixer.elements[1].capture = {true, 0, 16, 8, true, -1200, 1200, false, true, true};
        ASSERT_TRUE(PublishSimMixer(m_bus.Path(), mixer));
        m_mixer = std::make_unique<HeadsetMixer>(std::make_unique<SimulatedMixer>(m_bus.Path()));
    }

    SimMixerDirection& FileSide(SimMixer& mixer, MixerDirection direction) {
        return direction == MixerDirection::kCapture ? mixer.elements[1].capture
                                                     : mixer.elements[1].playback;
    }

    test::TempDir m_bus;
    std::unique_ptr<HeadsetMixer> m_mixer;
};

TEST_F(HeadsetMixerTest, LevelSetReadsBackAsSetWhileTheCardKeepsItsStep) {
    ASSERT_TRUE(m_mixer->SetLevel(HeadsetLevel::kMicrophone, 0.29));
    EXPECT_DOUBLE_EQ(*m_mixer->Level(HeadsetLevel::kMicrophone), 0.29);
    std::optional<SimMixer> file = ReadSimMixer(m_bus.Path());
    ASSERT_TRUE(file);
    EXPECT_EQ(file->elements[1].capture.value, 5);  // 4.64 of 16 steps
    EXPECT_EQ(*m_mixer->Unit(HeadsetLevel::kMicrophone), -450);

    // Another program moves the card: the level is then the step's own.
    file->elements[1].capture.value = 12;
    ASSERT_TRUE(PublishSimMixer(m_bus.Path(), *file));
    EXPECT_DOUBLE_EQ(*m_mixer->Level(HeadsetLevel::kMicrophone), 0.75);

    // Levels beyond the ends are the ends; NaN is refused and changes nothing.
    ASSERT_TRUE(m_mixer->SetLevel(HeadsetLevel::kMicrophone, 3.0));
    EXPECT_EQ(ReadSimMixer(m_bus.Path())->elements[1].capture.value, 16);
    EXPECT_FALSE(m_mixer->SetLevel(HeadsetLevel::kMicrophone, std::nan("")));
    EXPECT_EQ(ReadSimMixer(m_bus.Path())->elements[1].capture.value, 16);
}

TEST_F(HeadsetMixerTest, MonitoringIsTheMicrophonePlaybackSide) {
    ASSERT_TRUE(m_mixer->SetLevel(HeadsetLevel::kMonitor, 0.6));
    ASSERT_TRUE(m_mixer->SetMuted(HeadsetLevel::kMonitor, false));
    const std::optional<SimMixer> file = ReadSimMixer(m_bus.Path());
    ASSERT_TRUE(file);
    EXPECT_EQ(file->elements[1].playback.value, 60);
    EXPECT_TRUE(file->elements[1].playback.on);
    EXPECT_EQ(file->elements[1].capture.value, 8);    // the microphone's own level is untouched
    EXPECT_EQ(file->elements[0].playback.value, 80);  // and so is the speaker
    const std::optional<HeadsetMixer::Limits> limits = m_mixer->UnitLimits(HeadsetLevel::kMonitor);
    ASSERT_TRUE(limits);
    EXPECT_EQ(limits->min, -3000);
    EXPECT_EQ(limits->max, 1000);
    EXPECT_EQ(limits->step, 40);
}

TEST_F(HeadsetMixerTest, MuteTogglesTheSwitch) {
    EXPECT_EQ(m_mixer->Muted(HeadsetLevel::kMicrophone), false);
    ASSERT_TRUE(m_mixer->SetMuted(HeadsetLevel::kMicrophone, true));
    EXPECT_EQ(m_mixer->Muted(HeadsetLevel::kMicrophone), true);
    EXPECT_FALSE(ReadSimMixer(m_bus.Path())->elements[1].capture.on);
    ASSERT_TRUE(m_mixer->SetMuted(HeadsetLevel::kMicrophone, false));
    EXPECT_EQ(m_mixer->Muted(HeadsetLevel::kMicrophone), false);
}

TEST_F(HeadsetMixerTest, UnpluggedOrDamagedCardFailsEveryCall) {
    test::WriteFileBytes(SimMixerPath(m_bus.Path()), "{\"elements\": [");
    EXPECT_FALSE(m_mixer->Level(HeadsetLevel::kMicrophone));
    EXPECT_FALSE(m_mixer->SetLevel(HeadsetLevel::kMicrophone, 0.5));
    EXPECT_FALSE(m_mixer->Muted(HeadsetLevel::kMicrophone));
    // The damaged file is left for a person to look at, not replaced.
    EXPECT_EQ(test::ReadFileBytes(SimMixerPath(m_bus.Path())), "{\"elements\": [");
    RemoveSimMixer(m_bus.Path());
    EXPECT_FALSE(m_mixer->SetMuted(HeadsetLevel::kMonitor, true));
    EXPECT_FALSE(m_mixer->Unit(HeadsetLevel::kMonitor));
}

TEST(SimMixerTest, FileKeepsEveryFieldAndRefusesMalformedMixers) {
    const SimMixer mixer = DefaultHeadsetMixer();
    const std::optional<SimMixer> parsed = ParseSimMixer(FormatSimMixer(mixer));
    ASSERT_TRUE(parsed);
    ASSERT_EQ(parsed->elements.size(), mixer.elements.size());
    EXPECT_EQ(parsed->card, mixer.card);
    const SimMixerDirection& monitor = parsed->elements[1].playback;
    EXPECT_TRUE(monitor.hasVolume && monitor.hasDb && monitor.muteAtMin && monitor.hasSwitch);
    EXPECT_FALSE(monitor.on);
    EXPECT_EQ(monitor.max, 100);
    EXPECT_EQ(monitor.DbOf(0), kSimMixerMuteCentiDb);
    EXPECT_EQ(monitor.DbOf(1), -2960);
    EXPECT_FALSE(parsed->elements[0].capture.hasVolume || parsed->elements[0].capture.hasSwitch);

    for (const char* bad : {
             "",
             "[]",
             "{\"elements\": []}",
             "{\"elements\": [{\"name\": \"\"}]}",
             "{\"elements\": [{\"name\": \"Mic\", \"capture\": {\"min\": 5, \"max\": 5}}]}",
             "{\"elements\": [{\"name\": \"Mic\", \"capture\": {\"min\": 0, \"max\": 1e12}}]}",
             "{\"elements\": [{\"name\": \"Mic\", \"capture\": {\"switch\": 1}}]}",
             "{\"elements\": [{\"name\": \"Mic\", \"playback\": 3}]}",
             "{\"elements\": [7]}",
             "{\"elements\": [{\"name\": \"Mic\", \"capture\": {\"min\": 0, \"max\": "
             "18446744073709551615}}]}",
             "{\"elements\": [{\"name\": \"Mi\xff\"}]}",
         }) {
        EXPECT_FALSE(ParseSimMixer(bad)) << bad;
    }
    // Nesting past the reader's limit is refused, not thrown.
    EXPECT_FALSE(ParseSimMixer("{\"elements\": " + std::string(200, '[')));
    const std::optional<SimMixer> clamped = ParseSimMixer(
        "{\"elements\": [{\"name\": \"Mic\", \"capture\": {\"min\": 0, \"max\": 9, \"value\": "
        "40}}]}");
    ASSERT_TRUE(clamped);
    EXPECT_EQ(clamped->elements[0].capture.value, 9);
}

}  // namespace
}  // namespace quaro
