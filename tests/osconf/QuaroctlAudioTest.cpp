#include "Quaroctl.h"
#include "TempDir.h"
#include "device/SimHidBackend.h"
#include "sim/SimMixer.h"

#include <gtest/gtest.h>
#include <json/reader.h>

#include <sstream>

namespace quaro {
namespace {

struct Outcome {
    int status = -1;
    std::string out;
    std::string err;
};

Outcome RunOnBus(const std::filesystem::path& bus, std::vector<std::string> args) {
    args.insert(args.begin(), {"--bus", bus.string()});
    std::ostringstream out;
    std::ostringstream err;
    Outcome outcome;
    outcome.status = RunQuaroctl(args, out, err, [](const std::filesystem::path& folder) {
        return std::make_shared<SimHidBackend>(folder);
    });
    outcome.out = out.str();
    outcome.err = err.str();
    return outcome;
}

TEST(QuaroctlAudioTest, ReadsLevelsAndMutesOfTheSimulatedHeadset) {
    test::TempDir bus;
    SimMixer mixer = DefaultHeadsetMixer();
    mixer.elements[1].capture.value = 73;
    mixer.elements[1].capture.on = false;
    ASSERT_TRUE(PublishSimMixer(bus.Path(), mixer));

    const Outcome json = RunOnBus(bus.Path(), {"read", "headset", "audio", "--json"});
    ASSERT_EQ(json.status, kExitSuccess) << json.err;
    Json::Value document;
    std::istringstream text(json.out);
    ASSERT_TRUE(Json::parseFromStream(Json::CharReaderBuilder(), text, &document, nullptr));
    EXPECT_EQ(document["audio"]["microphone"]["level"].asInt(), 73);
    EXPECT_TRUE(document["audio"]["microphone"]["muted"].asBool());
    EXPECT_DOUBLE_EQ(document["audio"]["microphone"]["dB"].asDouble(), 9.9);
    EXPECT_EQ(document["audio"]["monitor"]["level"].asInt(), 50);
    EXPECT_TRUE(document["audio"]["monitor"]["muted"].asBool());

    const Outcome plain = RunOnBus(bus.Path(), {"read", "headset", "audio"});
    ASSERT_EQ(plain.status, kExitSuccess);
    EXPECT_NE(plain.out.find("microphone: 73% (9.90 dB), muted"), std::string::npos) << plain.out;
}

TEST(QuaroctlAudioTest, NoHeadsetOrAnotherKindIsRefused) {
    test::TempDir bus;
    const Outcome none = RunOnBus(bus.Path(), {"read", "headset", "audio"});
    EXPECT_EQ(none.status, kExitDeviceError);
    EXPECT_TRUE(none.out.empty());
    EXPECT_NE(none.err.find("no headset sound card"), std::string::npos);
    ASSERT_TRUE(PublishSimMixer(bus.Path(), DefaultHeadsetMixer()));
    EXPECT_EQ(RunOnBus(bus.Path(), {"read", "mouse", "audio"}).status, kExitNotHeld);
}

}  // namespace
}  // namespace quaro
