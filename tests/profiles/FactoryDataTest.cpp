// The shipped default data folder: generated from the tables, and readable by the stores as a
// device page would read it.
#include "FactoryData.h"
#include "FactoryTables.h"
#include "TempDir.h"
#include "TraceCapture.h"
#include "devices/keyboard/KeyTables.h"
#include "devices/mouse/MouseTables.h"
#include "platform/Paths.h"
#include "profiles/CHs6533Profiledata.h"
#include "profiles/CKeyboardProfiledata.h"
#include "profiles/CMouseProfiledata.h"
#include "profiles/LightLibrary.h"
#include "profiles/MacroEvent.h"
#include "profiles/ProfileListStore.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>

namespace quaro {
namespace {

std::filesystem::path Shipped(const std::string& name) {
    return DefaultDataFolder(ExecutableDirectory()) / name;
}

template <typename Profile>
Profile LoadShipped(const std::string& file) {
    test::TempDir dir;
    Profile profile;
    profile.SetDefaultProfilePath(Shipped(file));
    profile.Load(dir / "p.Json");
    return profile;
}

TEST(FactoryData, ShippedFilesAreTheGeneratorsOutput) {
    for (const auto& [name, document] : factory::FactoryDocuments()) {
        SCOPED_TRACE(name);
        EXPECT_EQ(test::ReadFileBytes(Shipped(name)), JsonFileStore::FormatDocument(document))
            << "regenerate with: quaro-factory-data DefaultData";
    }
}

TEST(FactoryData, KeyboardDefaultsAreTheDefaultKeyTable) {
    auto keyboard = LoadShipped<CKeyboardProfiledata>("keyboard.Json");
    const auto keys = keyboard.GetKeyList();
    ASSERT_EQ(keys.size(), static_cast<std::size_t>(kLogicalKeyCount));
    for (std::size_t i = 0; i < keys.size(); ++i) {
        EXPECT_EQ(keys[i].defaultCode, kDefaultKeyTable[i]) << "key " << i;
        EXPECT_EQ(keys[i].code, keys[i].defaultCode) << "key " << i;
    }
    EXPECT_EQ(keyboard.GetSystemStages(), (SystemWords{0x0001001F, 0, 0}));
    EXPECT_EQ(keyboard.GetLightInfo().brightness, 5);
    const int group = keyboard.GetCustomLightGroupIndex();
    const auto colours = keyboard.GetCustomLightColors(group, kLogicalKeyCount);
    EXPECT_EQ(colours[0], (CustomLightColor{255, 255, 255, 255}));
    EXPECT_EQ(keyboard.GetCustomLightColors(3, kLogicalKeyCount).back().alpha, 255);
}

TEST(FactoryData, MouseButtonsStagesAndSystemWords) {
    auto mouse = LoadShipped<CMouseProfiledata>("mouse.Json");
    const auto buttons = mouse.GetKeyList();
    ASSERT_EQ(buttons.size(), static_cast<std::size_t>(kMouseButtonCount));
    for (std::size_t i = 0; i < buttons.size(); ++i) {
        EXPECT_EQ(buttons[i].defaultCode, kMouseDefaultButtonTable[i]) << "button " << i;
    }
    const auto stages = mouse.GetDpiStages();
    ASSERT_EQ(stages.size(), 5u);
    for (std::size_t s = 1; s < stages.size(); ++s) {
        EXPECT_EQ(stages[s].enabled, 1);
        EXPECT_GT(stages[s].dpiX, stages[s - 1].dpiX);
    }
    EXPECT_LT(mouse.GetActiveStage(), 5);
    const SystemWords words = mouse.GetSystemStages();
    EXPECT_EQ(words[0], 0x00040005u);
    EXPECT_EQ(words[2] >> 16, 0u);
    EXPECT_EQ(mouse.GetCorrectInfo().size(), 3u);
}

TEST(FactoryData, HeadsetPresetsAndValues) {
    auto headset = LoadShipped<CHs6533Profiledata>("HD.Json");
    const HeadsetValues values = headset.GetSystemSetStages();
    EXPECT_EQ(values[2], 5);  // flat preset
    for (int type = 1; type <= 12; ++type) {
        const auto& preset = factory::kEqPresets[static_cast<std::size_t>(type - 1)];
        EXPECT_EQ(headset.GetEqValues(type), std::vector<int>(preset.begin(), preset.end()))
            << "preset " << type;
    }
    EXPECT_EQ(headset.GetEqValues(5), std::vector<int>(10, 0));
    EXPECT_TRUE(headset.GetCustomEqNames().empty());
    // Reading the presets wrote nothing new into the entry.
    const Json::Value shipped = JsonFileStore().ReadJson(Shipped("HD.Json"));
    EXPECT_EQ(headset.DeviceEntry(), shipped["Device"][0]);
}

TEST(FactoryData, EveryPageStyleNamesItsBuiltInEffects) {
    const std::size_t counts[] = {28, 9, 9, 9};
    for (int style = 0; style < 4; ++style) {
        SCOPED_TRACE(style);
        LightLibrary library(style);
        library.LoadDefaultNames(Shipped("default_light.json"));
        ASSERT_EQ(library.BuiltInNames().size(), counts[style]);
        ASSERT_EQ(library.BuiltInVisible().size(), counts[style]);
        for (const std::string& name : library.BuiltInNames()) {
            EXPECT_EQ(name.rfind("light_mode_", 0), 0u) << name;
        }
    }
    // Effect numbers that play the custom effect are not offered as built-ins.
    LightLibrary keyboard(0);
    keyboard.LoadDefaultNames(Shipped("default_light.json"));
    EXPECT_FALSE(keyboard.BuiltInVisible()[19]);
    EXPECT_TRUE(keyboard.BuiltInVisible()[26]);
    LightLibrary pad(2);
    pad.LoadDefaultNames(Shipped("default_light.json"));
    EXPECT_FALSE(pad.BuiltInVisible()[5]);
    LightLibrary mouse(1);
    mouse.LoadDefaultNames(Shipped("default_light.json"));
    EXPECT_EQ(std::count(mouse.BuiltInVisible().begin(), mouse.BuiltInVisible().end(), true), 9);
}

TEST(FactoryData, LanguagesKeepTheirFontPositions) {
    const Json::Value languages = JsonFileStore().ReadJson(Shipped("Language.config"))["Language"];
    ASSERT_GE(languages.size(), 3u);
    EXPECT_EQ(languages[0]["Language_file"].asString(), "lan_cn.xml");  // Simplified Chinese
    EXPECT_EQ(languages[1]["Language_file"].asString(), "lan_en.xml");
    EXPECT_EQ(languages[2]["Language_ID"].asInt(), 1028);  // Traditional Chinese
    std::set<int> ids;
    for (const Json::Value& language : languages) {
        ids.insert(language["Language_ID"].asInt());
        EXPECT_TRUE(language["Language_name"].isString());
        EXPECT_TRUE(language["Language_text"].isString());
    }
    EXPECT_EQ(ids.size(), languages.size());
}

TEST(FactoryData, GunFilesHoldThirtyBulletsInTheShootLayout) {
    for (int gun = 0; gun < 4; ++gun) {
        SCOPED_TRACE(gun);
        const Json::Value events = JsonFileStore().ReadJson(
            Shipped("ShootData_" + std::to_string(gun) + ".Shoot"))["Events"];
        ASSERT_EQ(events.size(), 120u);
        int totalPull = 0;
        for (Json::ArrayIndex b = 0; b < 30; ++b) {
            for (Json::ArrayIndex e = 0; e < 4; ++e) {
                EXPECT_TRUE(events[4 * b + e]["Delay"].isInt());
            }
            const MacroEvent press = ParseMacroEvent(events[4 * b]);
            const MacroEvent release = ParseMacroEvent(events[4 * b + 1]);
            const MacroEvent sideways = ParseMacroEvent(events[4 * b + 2]);
            const MacroEvent vertical = ParseMacroEvent(events[4 * b + 3]);
            EXPECT_EQ(ToCompactRecord(press), (CompactEventRecord{10, 0, 0x81, 1}));
            EXPECT_EQ(ToCompactRecord(release), (CompactEventRecord{0, 0, 0x01, 1}));
            EXPECT_EQ(sideways.type, 4);
            EXPECT_EQ(sideways.delay, 5);
            EXPECT_EQ(vertical.type, 5);
            EXPECT_FALSE(vertical.down);  // recoil is pulled against downwards
            EXPECT_GT(vertical.delay, 30);
            totalPull += vertical.button;
        }
        EXPECT_GT(totalPull, 30);
    }
}

TEST(FactoryData, ANewProfileListStartsFromTheShippedDefault) {
    test::TempDir dir;
    ProfileListStore list;
    list.SetDeviceKind(1);
    list.SetFolder(dir.Path());
    list.SetDefaultProfilePath(Shipped("keyboard.Json"));
    list.InitProfileList();
    CKeyboardProfiledata profile;
    profile.SetDefaultProfilePath(Shipped("keyboard.Json"));
    profile.Load(list.ProfilePath(list.GetCurrentProfileId()));
    EXPECT_EQ(profile.GetKeyList().size(), static_cast<std::size_t>(kLogicalKeyCount));
    const Json::Value document =
        JsonFileStore().ReadJson(list.ProfilePath(list.GetCurrentProfileId()));
    EXPECT_EQ(document["profilename"].asString(), "profile1");
}

}  // namespace
}  // namespace quaro
