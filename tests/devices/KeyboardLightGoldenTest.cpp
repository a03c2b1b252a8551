// Recorded step sequences of every keyboard light mode from a fixed seed and clock. A changed
// golden means a changed effect: render the new sequence with quaro-lightstrip, look at it, and
// only then record it again with QUARO_WRITE_GOLDENS=1.

#include "devices/light/KeyboardLightEngine.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

namespace quaro {
namespace {

constexpr int kGoldenSteps = 40;
constexpr std::uint32_t kStepMilliseconds = 250;

struct GoldenCase {
    std::uint8_t mode;
    bool multiColor;
};

std::string GoldenName(const GoldenCase& c) {
    char name[64];
    std::snprintf(name, sizeof name, "keyboard_mode_%02d%s.txt", c.mode,
                  c.multiColor ? "" : "_single");
    return name;
}

std::vector<GoldenCase> GoldenCases() {
    std::vector<GoldenCase> cases;
    for (std::uint8_t mode = 0; mode <= 27; ++mode) {
        cases.push_back({mode, true});
    }
    for (std::uint8_t mode : {0, 1, 2, 11, 12, 22}) {
        cases.push_back({mode, false});
    }
    return cases;
}

// Presses and releases fed to the reactive modes: step -> (key, event).
const std::multimap<int, std::pair<int, int>>& KeyEvents() {
    static const std::multimap<int, std::pair<int, int>> events = {
        {1, {52, 1}},   {3, {66, 1}},   {8, {52, 2}},   {12, {66, 2}},
        {15, {108, 1}}, {16, {109, 1}}, {25, {108, 2}}, {28, {109, 2}},
    };
    return events;
}

std::string Record(const GoldenCase& golden) {
    std::uint32_t now = 1000;
    KeyboardLightEngine engine([&now] { return now; }, SeededRandomSource(12345));
    std::vector<CustomLightColor> custom(126);
    for (int k = 0; k < 126; ++k) {
        custom[k] = {static_cast<std::uint8_t>(2 * k), static_cast<std::uint8_t>(255 - 2 * k), 40,
                     255};
    }
    engine.CustomEffect().SetSteps({
        {4, 5, 2, 0, 1, 0, 0, 0, 2000, 0},
        {2, 4, 1, 0, 0, 255, 0, 80, 2000, 0},
        {0, 5, 5, 0, 0, 0, 128, 255, 2000, 0},
    });
    const LightSetting setting{.effect = golden.mode,
                               .brightness = 5,
                               .speed = 2,
                               .direction = 1,
                               .multiColor = static_cast<std::uint8_t>(golden.multiColor),
                               .red = 255,
                               .green = 64,
                               .blue = 0};
    engine.Start(golden.mode, custom);
    std::ostringstream out;
    for (int step = 0; step < kGoldenSteps; ++step) {
        const auto [first, last] = KeyEvents().equal_range(step);
        for (auto it = first; it != last; ++it) {
            engine.React(golden.mode, it->second.first, it->second.second);
        }
        engine.Step(golden.mode, setting);
        const auto colors = engine.SnapshotColors();
        for (std::size_t k = 0; k < colors.size(); ++k) {
            const LedColor& c = colors[k];
            char entry[16];
            std::snprintf(entry, sizeof entry, "%s%02X%02X%02X%02X", k == 0 ? "" : " ", c.red,
                          c.green, c.blue, c.intensity);
            out << entry;
        }
        out << '\n';
        now += kStepMilliseconds;
    }
    return out.str();
}

class KeyboardLightGolden : public testing::TestWithParam<GoldenCase> {};

TEST_P(KeyboardLightGolden, MatchesTheRecordedSequence) {
    const std::string path = std::string(QUARO_GOLDEN_DIR) + "/" + GoldenName(GetParam());
    const std::string actual = Record(GetParam());
    if (std::getenv("QUARO_WRITE_GOLDENS") != nullptr) {
        std::ofstream(path, std::ios::binary) << actual;
        GTEST_SKIP() << "recorded " << path;
    }
    std::ifstream in(path, std::ios::binary);
    ASSERT_TRUE(in) << "missing golden " << path;
    std::istringstream expectedLines(std::string(std::istreambuf_iterator<char>(in), {}));
    std::istringstream actualLines(actual);
    std::string expectedLine;
    std::string actualLine;
    for (int step = 0; step < kGoldenSteps; ++step) {
        ASSERT_TRUE(std::getline(expectedLines, expectedLine)) << "golden too short at " << step;
        std::getline(actualLines, actualLine);
        ASSERT_EQ(actualLine, expectedLine) << "first difference at step " << step;
    }
}

INSTANTIATE_TEST_SUITE_P(EveryMode, KeyboardLightGolden, testing::ValuesIn(GoldenCases()),
                         [](const testing::TestParamInfo<GoldenCase>& info) {
                             std::string name = GoldenName(info.param);
                             return name.substr(0, name.size() - 4);
                         });

}  // namespace
}  // namespace quaro
