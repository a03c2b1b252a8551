#include "DevSimOptions.h"

#include <gtest/gtest.h>

namespace quaro {
namespace {

TEST(DevSimOptionsTest, DevicesLatencyAndFaults) {
    std::string error;
    const auto options =
        ParseDevSimOptions({"--latency", "15", "keyboard", "--fault", "status-fe@3", "--fault",
                            "headset:unplug@10", "--quiet", "--bus", "/tmp/b", "headset"},
                           error);
    ASSERT_TRUE(options.has_value()) << error;
    EXPECT_EQ(options->devices, (std::vector<std::string>{"keyboard", "headset"}));
    EXPECT_EQ(options->latencyMs, 15u);
    EXPECT_TRUE(options->quiet);
    EXPECT_EQ(options->bus, "/tmp/b");
    ASSERT_EQ(options->faults.size(), 2u);
    EXPECT_EQ(options->faults[0].kind, FaultKind::kStatusFE);
    EXPECT_EQ(options->faults[0].packet, 3u);
    EXPECT_TRUE(options->faults[0].device.empty());
    EXPECT_EQ(options->faults[1].device, "headset");
    EXPECT_EQ(options->faults[1].kind, FaultKind::kUnplug);
}

TEST(DevSimOptionsTest, MistakesAreNamed) {
    const std::vector<std::vector<std::string>> wrong = {
        {},                                     // no device
        {"toaster"},                            // unknown device
        {"keyboard", "--latency", "-5"},        // not a number
        {"keyboard", "--latency"},              // missing value
        {"keyboard", "--fault", "melt@2"},      // unknown fault
        {"keyboard", "--fault", "no-reply@0"},  // packets count from 1
        {"keyboard", "--fault", "toaster:no-reply@1"},
        {"keyboard", "--frobnicate"},
    };
    for (const auto& args : wrong) {
        std::string error;
        EXPECT_FALSE(ParseDevSimOptions(args, error).has_value());
        EXPECT_FALSE(error.empty());
    }
    std::string error;
    const auto help = ParseDevSimOptions({"--help"}, error);
    ASSERT_TRUE(help.has_value());
    EXPECT_TRUE(help->help);
    const auto version = ParseDevSimOptions({"--version"}, error);
    ASSERT_TRUE(version.has_value());
    EXPECT_TRUE(version->version);
}

}  // namespace
}  // namespace quaro
