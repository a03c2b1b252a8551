// The headset page's audio model and loader over our own library as built, against the
// simulated headset's mixer: the two were written to one calling form, and this is where a
// mismatch (a record layout, a value type, a name encoding) would show.
#include "TempDir.h"
#include "devices/headset/HeadsetAudio.h"
#include "sim/SimMixer.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace quaro {
namespace {

class HeadsetAudioEndToEnd : public ::testing::Test {
protected:
    void SetUp() override {
        ::setenv("XDG_CONFIG_HOME", (m_home / "config").c_str(), 1);
        ::setenv("XDG_RUNTIME_DIR", m_home.Path().c_str(), 1);
        ASSERT_TRUE(PublishSimMixer(Bus(), DefaultHeadsetMixer()));
    }

    std::filesystem::path Bus() const { return m_home / "quaro-hid-sim"; }
    // The folder the library lies beside, as the application's own folder holds SDK/.
    static std::filesystem::path ApplicationFolder() {
        return std::filesystem::path(QUARO_OSCONF_LIBRARY).parent_path().parent_path();
    }

    test::TempDir m_home;
};

TEST_F(HeadsetAudioEndToEnd, MicrophoneLevelAndMuteReachTheMixerAndReadBack) {
    HeadsetAudio audio;
    ASSERT_TRUE(audio.Init(ApplicationFolder()));
    ASSERT_TRUE(audio.IsReady());
    audio.ReadState();
    const SimMixer before = *ReadSimMixer(Bus());

    ASSERT_TRUE(audio.SetMicLevel(57));
    const SimMixer after = *ReadSimMixer(Bus());
    ASSERT_EQ(after.elements.size(), before.elements.size());
    EXPECT_NE(after.elements[1].capture.value, before.elements[1].capture.value);

    const bool wasMuted = !after.elements[1].capture.on;
    ASSERT_TRUE(audio.ToggleMicMute());
    EXPECT_EQ(!ReadSimMixer(Bus())->elements[1].capture.on, !wasMuted);

    // A second session (the application started again) reads what the first one set.
    HeadsetAudio again;
    ASSERT_TRUE(again.Init(ApplicationFolder()));
    again.ReadState();
    EXPECT_EQ(again.State().Value(kMicInValue), 57);
}

TEST_F(HeadsetAudioEndToEnd, EqualiserIsKeptByTheLibraryAcrossSessions) {
    HeadsetAudio audio;
    ASSERT_TRUE(audio.Init(ApplicationFolder()));
    audio.ReadState();
    ASSERT_TRUE(audio.SelectEqPreset(5));

    // No sound card element holds the equaliser: the library keeps it and answers it back.
    HeadsetAudio again;
    ASSERT_TRUE(again.Init(ApplicationFolder()));
    std::int32_t enabled = 0;
    ASSERT_TRUE(again.Library().GetInt(OsConfLibrary::Device::kA, "Enable_EQ_GFX", enabled));
    EXPECT_EQ(enabled, 1);
}

}  // namespace
}  // namespace quaro
