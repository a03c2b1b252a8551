#include "TempDir.h"
#include "profiles/LightLibrary.h"

#include <gtest/gtest.h>

namespace quaro {
namespace {

TEST(LightLibrary, NamesComeFromTheListOfThePageStyle) {
    test::TempDir dir;
    test::WriteFileBytes(dir / "default_light.json",
                         R"({"DefaultLightName":[[{"LightName":"wave","visible":true},)"
                         R"({"LightName":"off","visible":0},{"LightName":"ripple","visible":2}],)"
                         R"([{"LightName":"m0","visible":true}]],)"
                         R"("AreaLightName":[[],[{"LightName":"logo"},{"LightName":"wheel"}]]})");
    test::WriteFileBytes(dir / "quaro_light.config",
                         R"({"LightInfo":[[{"LightName":"mine","Guid":"g"}],null,)"
                         R"([{"LightName":"pad1"},{"LightName":"pad2"}]]})");

    LightLibrary keyboard(0);
    keyboard.LoadDefaultNames(dir / "default_light.json");
    keyboard.LoadCustomNames(dir / "quaro_light.config");
    EXPECT_EQ(keyboard.BuiltInNames(), (std::vector<std::string>{"wave", "off", "ripple"}));
    EXPECT_EQ(keyboard.BuiltInVisible(), (std::vector<bool>{true, false, true}));
    EXPECT_TRUE(keyboard.AreaNames().empty());
    EXPECT_EQ(keyboard.CustomNames(), std::vector<std::string>{"mine"});

    // Loading again refills rather than appends; names and flags still pair up.
    keyboard.LoadDefaultNames(dir / "default_light.json");
    keyboard.LoadCustomNames(dir / "quaro_light.config");
    EXPECT_EQ(keyboard.BuiltInNames().size(), 3u);
    EXPECT_EQ(keyboard.BuiltInVisible().size(), 3u);
    EXPECT_EQ(keyboard.CustomNames().size(), 1u);

    LightLibrary mouse(1);
    mouse.LoadDefaultNames(dir / "default_light.json");
    mouse.LoadCustomNames(dir / "quaro_light.config");
    EXPECT_EQ(mouse.BuiltInNames(), std::vector<std::string>{"m0"});
    EXPECT_EQ(mouse.AreaNames(), (std::vector<std::string>{"logo", "wheel"}));
    EXPECT_TRUE(mouse.CustomNames().empty());  // null list: left as it was

    // Styles without lists keep what they had.
    LightLibrary headset(3);
    headset.LoadDefaultNames(dir / "default_light.json");
    headset.LoadCustomNames(dir / "quaro_light.config");
    EXPECT_TRUE(headset.BuiltInNames().empty());
    EXPECT_TRUE(headset.CustomNames().empty());

    LightLibrary pad(2);
    pad.LoadCustomNames(dir / "quaro_light.config");
    EXPECT_EQ(pad.CustomNames(), (std::vector<std::string>{"pad1", "pad2"}));
    pad.LoadCustomNames(dir / "missing.config");
    EXPECT_EQ(pad.CustomNames().size(), 2u);
}

}  // namespace
}  // namespace quaro
