#include "TempDir.h"
#include "TraceCapture.h"
#include "profiles/CBasicProfiledata.h"
#include "profiles/CHs6533Profiledata.h"
#include "profiles/CKeyboardProfiledata.h"
#include "profiles/CMouseProfiledata.h"

#include <gtest/gtest.h>

namespace quaro {
namespace {

Json::Value Parse(const std::string& text) {
    return JsonFileStore::ParseDocument(text);
}

void WriteJsonFile(const std::filesystem::path& path, const std::string& text) {
    test::WriteFileBytes(path, text);
}

Json::Value ReadJsonFile(const std::filesystem::path& path) {
    return JsonFileStore().ReadJson(path);
}

// A profile object whose entry is the given JSON, as Load would leave it.
template <typename Profile>
Profile WithEntry(const test::TempDir& dir, const std::string& entry) {
    WriteJsonFile(dir / "p.Json", "{\"Device\":[" + entry + "]}");
    Profile profile;
    profile.SetProfilePath(dir / "p.Json");
    profile.Load(dir / "p.Json");
    return profile;
}

TEST(ProfileData, LoadFallsBackToTheDefaultEntryAndWritesItBack) {
    test::TempDir dir;
    WriteJsonFile(dir / "default.Json",
                  R"({"Device":[{"LightInfo":{"SelectItem":3}}],"profilename":"factory"})");
    WriteJsonFile(dir / "p.Json", R"({"profilename":"game","profileUUID":"id1"})");
    CBasicProfiledata profile;
    profile.SetDefaultProfilePath(dir / "default.Json");
    const Json::Value entry = profile.Load(dir / "p.Json");
    EXPECT_EQ(entry["LightInfo"]["SelectItem"].asInt(), 3);

    const Json::Value written = ReadJsonFile(dir / "p.Json");
    EXPECT_EQ(written["Device"][0], entry);
    EXPECT_EQ(written["profilename"].asString(), "game");  // the rest of the document stays
    EXPECT_EQ(written["profileUUID"].asString(), "id1");

    // The second load reads the profile's own entry, not the default.
    WriteJsonFile(dir / "default.Json", R"({"Device":[{"LightInfo":{"SelectItem":9}}]})");
    EXPECT_EQ(profile.Load(dir / "p.Json")["LightInfo"]["SelectItem"].asInt(), 3);

    // A profile file that does not exist yet is created from the default.
    EXPECT_EQ(profile.Load(dir / "new.Json")["LightInfo"]["SelectItem"].asInt(), 9);
    EXPECT_TRUE(std::filesystem::exists(dir / "new.Json"));
}

TEST(ProfileData, MissingDefaultLeavesANullEntryAndZeroGetters) {
    test::TempDir dir;
    CKeyboardProfiledata profile;
    profile.SetDefaultProfilePath(dir / "missing.Json");
    EXPECT_TRUE(profile.Load(dir / "p.Json").isNull());
    EXPECT_TRUE(ReadJsonFile(dir / "p.Json")["Device"][0].isNull());
    EXPECT_EQ(profile.GetLightInfo(), LightSetting{});
    EXPECT_TRUE(profile.GetKeyList().empty());
    EXPECT_TRUE(profile.GetLightList().empty());
    EXPECT_EQ(profile.GetSystemStages(), (SystemWords{0, 0, 0}));
}

TEST(ProfileData, PathSettersKeepTheOldPathOnEmptyText) {
    CBasicProfiledata profile;
    profile.SetProfilePath("/a/p.Json");
    profile.SetProfilePath("");
    EXPECT_EQ(profile.GetProfilePath(), "/a/p.Json");
    profile.SetDefaultProfilePath("/d.Json");
    profile.SetDefaultProfilePath("");
    EXPECT_EQ(profile.GetDefaultProfilePath(), "/d.Json");
    profile.SetLightConfigPath("/l.config");
    profile.SetLightConfigPath("");
    EXPECT_EQ(profile.GetLightConfigPath(), "");
}

TEST(ProfileData, SaveMergesTheEntryIntoTheCurrentDocument) {
    test::TempDir dir;
    auto profile = WithEntry<CBasicProfiledata>(dir, "{}");
    // Another writer changed the document since it was loaded: its members survive the save.
    WriteJsonFile(dir / "p.Json", R"({"Device":[{"old":1},{"second":2}],"profilename":"renamed"})");
    profile.SetLightInfo(0x01, 0, 0);
    ASSERT_EQ(profile.Save(), 0);
    const Json::Value written = ReadJsonFile(dir / "p.Json");
    EXPECT_EQ(written["profilename"].asString(), "renamed");
    EXPECT_FALSE(written["Device"][0].isMember("old"));
    EXPECT_EQ(written["Device"][0]["LightInfo"]["SelectItem"].asInt(), 1);
    EXPECT_EQ(written["Device"][1]["second"].asInt(), 2);
}

TEST(ProfileData, LightInfoPacksAndUnpacksTheThreeWords) {
    test::TempDir dir;
    auto profile = WithEntry<CBasicProfiledata>(dir, "{}");
    profile.SetLightInfo(0x04030201, 0x30201001, 0x00AB1234);
    const LightSetting& setting = profile.CurrentLightSetting();
    EXPECT_EQ(setting, (LightSetting{1, 2, 3, 4, 1, 16, 32, 48, 0x1234, 171}));
    EXPECT_EQ(profile.DeviceEntry()["LightInfo"],
              Parse(R"({"SelectItem":1,"Light":2,"Speed":3,"Fx":4,"MultiColor":1,)"
                    R"("Red":16,"Green":32,"Blue":48})"));
    // Reading back loses the extras, which are never stored.
    EXPECT_EQ(profile.GetLightInfo(), (LightSetting{1, 2, 3, 4, 1, 16, 32, 48, 0, 0}));
}

TEST(ProfileData, LightInfoReadsBooleansFromNumbersAndCutsToBytes) {
    test::TempDir dir;
    auto profile = WithEntry<CBasicProfiledata>(
        dir, R"({"LightInfo":{"SelectItem":257,"MultiColor":2,"Red":-1}})");
    const LightSetting setting = profile.GetLightInfo();
    EXPECT_EQ(setting.effect, 1);
    EXPECT_EQ(setting.multiColor, 1);
    EXPECT_EQ(setting.red, 255);
    EXPECT_EQ(setting.brightness, 0);  // missing member
}

TEST(ProfileData, LightListMarksPresentAreas) {
    test::TempDir dir;
    auto profile = WithEntry<CBasicProfiledata>(
        dir, R"({"LightList":[{"LEDREGMode":2,"LEDDirection":5,"red":9},null,7]})");
    const auto list = profile.GetLightList();
    ASSERT_EQ(list.size(), 3u);
    EXPECT_EQ(list[0], (LightSetting{2, 0, 0, 1, 0, 9, 0, 0, 0, 1}));
    EXPECT_EQ(list[1], LightSetting{});
    EXPECT_EQ(list[2], LightSetting{});  // not an object: as absent
}

TEST(ProfileData, KeyListSplitsCodesAndWritesOnlyAssignments) {
    test::TempDir dir;
    auto profile = WithEntry<CBasicProfiledata>(
        dir, R"({"KeyList":[{"Assignment":2097193,"DefaultAssignment":2097193},)"
             R"({"Assignment":1048832,"DefaultAssignment":2097210},{}]})");
    auto keys = profile.GetKeyList();
    ASSERT_EQ(keys.size(), 3u);
    EXPECT_EQ(keys[1].keyIndex, 1);
    EXPECT_EQ(keys[1].defaultKeyIndex, 1);
    EXPECT_EQ(keys[1].code, (KeyCode{0x10, 0x01, 0x00}));
    EXPECT_EQ(keys[1].defaultCode, (KeyCode{0x20, 0x00, 0x3A}));

    keys.resize(5);
    keys[4].code = {0x70, 0x02, 0x01};
    profile.SetKeyList(keys);
    const Json::Value& list = profile.DeviceEntry()["KeyList"];
    ASSERT_EQ(list.size(), 5u);
    EXPECT_EQ(list[4], Parse(R"({"Assignment":7340545})"));
    EXPECT_EQ(list[3].getMemberNames(), std::vector<std::string>{"Assignment"});
    EXPECT_EQ(list[1]["DefaultAssignment"].asInt(), 2097210);

    // A profile without keys does not keep the previous profile's list.
    auto empty = WithEntry<CBasicProfiledata>(dir, "{}");
    EXPECT_TRUE(empty.GetKeyList().empty());
}

TEST(ProfileData, KeyboardSystemWordsRoundTrip) {
    test::TempDir dir;
    auto profile = WithEntry<CKeyboardProfiledata>(dir, "{}");
    profile.SetSystemStages(0x00020010, 0x00030001, 0x00010000);
    EXPECT_EQ(profile.DeviceEntry()["SystemStages"],
              Parse(R"({"Repeat":16,"RepeatDelay":2,"Key6Flag":1,"PollingRate":3,)"
                    R"("WFlag":0,"WinFlag":1})"));
    EXPECT_EQ(profile.GetSystemStages(), (SystemWords{0x00020010, 0x00030001, 0x00010000}));

    auto wide = WithEntry<CKeyboardProfiledata>(dir, R"({"SystemStages":{"Repeat":70000}})");
    EXPECT_EQ(wide.GetSystemStages()[0], 70000u & 0xFFFF);
}

TEST(ProfileData, CustomLightColoursFillMissingGroupsWithZeros) {
    test::TempDir dir;
    auto profile = WithEntry<CKeyboardProfiledata>(
        dir, R"({"CustomLightMode":{"LightColorInfo":[null,[{"Red":5,"Alpha":255},null]]}})");
    EXPECT_EQ(profile.GetCustomLightColors(0, 3), std::vector<CustomLightColor>(3));
    EXPECT_EQ(profile.DeviceEntry()["CustomLightMode"]["LightColorInfo"][0].size(), 3u);

    const auto colours = profile.GetCustomLightColors(1, 3);
    EXPECT_EQ(colours, (std::vector<CustomLightColor>{{5, 0, 0, 255}, {}, {}}));
    const Json::Value& group = profile.DeviceEntry()["CustomLightMode"]["LightColorInfo"][1];
    EXPECT_EQ(group[1], Parse(R"({"Red":0,"Green":0,"Blue":0,"Alpha":0})"));
    EXPECT_EQ(group[2], group[1]);

    profile.SetCustomLightColors({{1, 2, 3, 4}}, 2);
    profile.SetCustomLightGroupIndex(2);
    EXPECT_EQ(profile.GetCustomLightColors(2, 1), (std::vector<CustomLightColor>{{1, 2, 3, 4}}));
    EXPECT_EQ(profile.GetCustomLightGroupIndex(), 2);
}

TEST(ProfileData, CustomLightGroupsOutOfRangeAreNotWritten) {
    test::TempDir dir;
    test::TraceCapture traces;
    auto profile = WithEntry<CKeyboardProfiledata>(
        dir, R"({"CustomLightMode":{"CustomLightModeGroupIndex":2000000000}})");
    const int group = profile.GetCustomLightGroupIndex();
    EXPECT_EQ(profile.GetCustomLightColors(group, 126).size(), 126u);
    profile.SetCustomLightColors({{1, 2, 3, 4}}, group);
    profile.GetCustomLightColors(-1, 4);
    EXPECT_FALSE(profile.DeviceEntry()["CustomLightMode"].isMember("LightColorInfo"));
    EXPECT_LT(JsonFileStore::FormatDocument(profile.DeviceEntry()).size(), 200u);
}

TEST(ProfileData, DpiStagesMergeByPosition) {
    test::TempDir dir;
    auto profile = WithEntry<CMouseProfiledata>(dir, "{}");
    std::vector<DpiStage> five;
    for (std::uint16_t i = 0; i < 5; ++i) {
        five.push_back({1, 0, static_cast<std::uint16_t>(8 * (i + 1)), 0, 0, 0, 0});
    }
    profile.SetDpiStages(five);
    EXPECT_EQ(profile.DeviceEntry()["DPIStages"]["StageDPIs"][4],
              Parse(R"({"StageActive":1,"StageXY":0,"StageDPIX":40,"StageDPIY":0,)"
                    R"("StageColorR":0,"StageColorG":0,"StageColorB":0})"));

    auto loaded = WithEntry<CMouseProfiledata>(
        dir, R"({"DPIStages":{"StageActive":2,"StageDPIs":[{"StageDPIX":100},)"
             R"({"StageDPIX":200,"StageActive":1},{"StageDPIX":300,"StageColorB":255}]}})");
    loaded.SetDpiStages(five);  // stored stages first, file entry untouched below
    loaded.Load(dir / "p.Json");
    const auto stages = loaded.GetDpiStages();
    ASSERT_EQ(stages.size(), 5u);
    EXPECT_EQ(stages[0].dpiX, 100);
    EXPECT_EQ(stages[1], (DpiStage{1, 0, 200, 0, 0, 0, 0}));
    EXPECT_EQ(stages[2].blue, 255);
    EXPECT_EQ(stages[3], five[3]);
    EXPECT_EQ(stages[4], five[4]);
    EXPECT_EQ(loaded.GetActiveStage(), 2);

    loaded.SetActiveStage(4);
    EXPECT_EQ(loaded.DeviceEntry()["DPIStages"]["StageActive"].asInt(), 4);
    EXPECT_EQ(loaded.GetActiveStage(), 4);
}

TEST(ProfileData, MouseSystemWordsCarryTheReportStage) {
    test::TempDir dir;
    auto profile = WithEntry<CMouseProfiledata>(dir, "{}");
    profile.SetSystemStages(0x00040005, 0x00000001, 0x00030002);
    EXPECT_EQ(profile.DeviceEntry()["SystemStages"],
              Parse(R"({"DoubleClickTime":5,"MouseSpeed":4,"PointerPrecision":1,)"
                    R"("ScorllPage":0,"WheelScorlllinse":2})"));
    EXPECT_EQ(profile.DeviceEntry()["ReportStages"]["StageActive"].asInt(), 3);
    EXPECT_EQ(profile.GetSystemStages(), (SystemWords{0x00040005, 0x00000001, 0x00030002}));

    auto noReport = WithEntry<CMouseProfiledata>(
        dir, R"({"SystemStages":{"WheelScorlllinse":2,"MouseSpeed":7}})");
    EXPECT_EQ(noReport.GetSystemStages(), (SystemWords{0x00070000, 0, 2}));
}

TEST(ProfileData, CorrectInfoReadsPresets) {
    test::TempDir dir;
    auto profile = WithEntry<CMouseProfiledata>(
        dir, R"({"CorrectInfo":[{"CorrectPixThresh":3,"CorrectMinSq":4,"CorrectSelect":1,)"
             R"("CorrectName":"desk"},{"CorrectName":5}]})");
    const auto presets = profile.GetCorrectInfo();
    ASSERT_EQ(presets.size(), 2u);
    EXPECT_EQ(presets[0], (CorrectPreset{3, 4, 1, "desk"}));
    EXPECT_EQ(presets[1], CorrectPreset{});
}

TEST(ProfileData, HeadsetValuesAndEqualiserCurves) {
    test::TempDir dir;
    auto profile = WithEntry<CHs6533Profiledata>(dir, "{}");
    EXPECT_EQ(profile.GetSystemSetStages(), HeadsetValues{});
    profile.SetSystemSetStages({1, 2, 13, 4, 1, 60, 0, 40});
    EXPECT_EQ(profile.DeviceEntry()["SystemSetStages"]["CustomEqSeletIndex"].asInt(), 4);
    EXPECT_EQ(profile.DeviceEntry()["SystemSetStages"]["MicMoniterValue"].asInt(), 40);
    EXPECT_EQ(profile.GetSystemSetStages(), (HeadsetValues{1, 2, 13, 4, 1, 60, 0, 40}));

    const EqCurve curve{1, -2, 3, -4, 5, -6, 7, -8, 9, -10};
    profile.SetEqValues(0, curve);  // type 0 stands for type 1
    EXPECT_EQ(profile.GetEqValues(1), std::vector<int>(curve.begin(), curve.end()));
    EXPECT_EQ(profile.GetEqValues(14), profile.GetEqValues(1));
    EXPECT_EQ(profile.GetEqValues(-3), profile.GetEqValues(1));
    EXPECT_TRUE(profile.GetEqValues(13).empty());
    profile.SetEqValues(13, curve);
    EXPECT_FALSE(profile.DeviceEntry()["EQHzValueInfo"].isValidIndex(13));

    // A missing preset reads as zeros that are written into the entry.
    EXPECT_EQ(profile.GetEqValues(5), std::vector<int>(10, 0));
    EXPECT_EQ(profile.DeviceEntry()["EQHzValueInfo"][5][9], Parse(R"({"value":0})"));

    profile.SetCustomEqNames({"rock", "talk"});
    EXPECT_EQ(profile.GetCustomEqNames(), (std::vector<std::string>{"rock", "talk"}));
    profile.SetCustomEqValues(1, curve);
    EXPECT_EQ(profile.GetCustomEqValues(1), std::vector<int>(curve.begin(), curve.end()));
    EXPECT_EQ(profile.GetCustomEqValues(0), std::vector<int>(10, 0));
    EXPECT_EQ(profile.GetCustomEqValues(5000), std::vector<int>(10, 0));
    EXPECT_FALSE(profile.DeviceEntry()["CustomEQHzValueInfo"].isValidIndex(2));
}

TEST(ProfileData, CustomLightEffectResolvesBesideTheLibrary) {
    test::TempDir dir;
    std::filesystem::create_directory(dir / "lib");
    WriteJsonFile(dir / "lib" / "quaro_light.config",
                  R"({"LightInfo":[[{"LightName":"a","Guid":"{4695579F-999A}"},)"
                  R"({"LightName":"b","Guid":"../escape"}],[{"LightName":"m","Guid":"mouse"}]]})");
    WriteJsonFile(dir / "lib" / "{4695579F-999A}.light",
                  R"({"LEDEffectList":[{"LEDREGMode":4,"LEDBrightness":300,"red":1,"Time":500,)"
                  R"("Cyle":-2},{"LEDREGMode":1},{"LEDREGMode":0,"blue":9}]})");
    WriteJsonFile(dir / "lib" / "mouse.light", R"({"LEDEffectList":[{"LEDREGMode":5}]})");
    WriteJsonFile(dir / "escape.light", R"({"LEDEffectList":[{"LEDREGMode":1}]})");

    auto profile = WithEntry<CBasicProfiledata>(dir, "{}");
    EXPECT_TRUE(profile.GetCustomLightEffect().empty());  // no library loaded
    profile.LoadLightConfig(dir / "lib" / "quaro_light.config");
    profile.SetLightInfo(0, 0, 0);
    const auto steps = profile.GetCustomLightEffect();
    ASSERT_EQ(steps.size(), 3u);
    EXPECT_EQ(steps[0], (LightEffectStep{4, 44, 0, 0, 0, 1, 0, 0, 500, -2}));
    EXPECT_EQ(steps[1].mode, 1);
    EXPECT_EQ(steps[2].blue, 9);

    test::TraceCapture traces;
    profile.SetLightInfo(1, 0, 0);
    EXPECT_TRUE(profile.GetCustomLightEffect().empty());
    EXPECT_TRUE(traces.Contains(
        "refused light effect Guid that is not a plain file name: \"../escape\"\n"));

    profile.SetLightInfo(7, 0, 0);  // no such entry
    EXPECT_TRUE(profile.GetCustomLightEffect().empty());

    // The mouse page looks in its own list.
    profile.SetPageStyle(1);
    profile.SetLightInfo(0, 0, 0);
    ASSERT_EQ(profile.GetCustomLightEffect().size(), 1u);
    EXPECT_EQ(profile.GetCustomLightEffect()[0].mode, 5);
}

}  // namespace
}  // namespace quaro
