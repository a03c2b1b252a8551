// Every store read from a damaged file: what the user sees falls back as designed, nothing
// throws or crashes, no other store's file changes, and the damaged file is still there
// afterwards: moved aside by the stores the system writes, left in place by those it only reads.
#include "TempDir.h"
#include "TraceCapture.h"
#include "profiles/CHs6533Profiledata.h"
#include "profiles/CKeyboardProfiledata.h"
#include "profiles/CMouseProfiledata.h"
#include "profiles/LightLibrary.h"
#include "profiles/MacroLibrary.h"
#include "profiles/ProfileListStore.h"

#include <gtest/gtest.h>

#include <map>
#include <set>

namespace quaro {
namespace {

struct Damage {
    const char* name;
    std::string text;
    // Unreadable or unparsable: the file holds something the store cannot use.
    bool unusable;
};

constexpr const char* kFolderInPlace = "folder in place";  // unreadable, even for root
constexpr const char* kHuge = "huge";                      // unreadable: over the size cap

std::vector<Damage> Damages(const std::string& wrongTyped) {
    std::vector<Damage> damages = {
        {"truncated", R"({"Device":[{"LightInfo":{"SelectItem":1)", true},
        {"empty", "", true},
        {"not JSON", std::string("\x00\xff\xfe garbage {", 14), true},
        {"wrong root", "[1, \"two\", {\"three\": 3}]", true},
        {"wrong typed", wrongTyped, false},
        {"deeply nested", std::string(200000, '[') + std::string(200000, ']'), true},
        {"too many values", "[" + std::string(2 * JsonFileStore::kMaxValues, ',') + "]", true},
        {"nested within limits",
         "{\"Device\":[" + std::string(900, '[') + std::string(900, ']') +
             "],\"profilelist\":" + std::string(900, '[') + std::string(900, ']') + "}",
         false},
        {kHuge, "", true},
        {kFolderInPlace, "", true},
    };
    return damages;
}

// What a store does with its damaged file.
enum class Keeps {
    MovedAside,  // written by the operations: moved aside before a new one is written
    InPlace,     // only read: never touched
};
class StoreCorruption : public ::testing::Test {
protected:
    void SetUp() override {
        Put("default.Json",
            R"({"Device":[{"LightInfo":{"SelectItem":3},"KeyList":[{"Assignment":1}]}]})");
        Put("p.Json", R"({"Device":[{"LightInfo":{"SelectItem":5}}],"profilename":"a",)"
                      R"("profileUUID":"p"})");
        Put("ProfileList.ini",
            R"({"profilelist":[{"profilename":"a","profileUUID":"p"}],"profileselect":0})");
        Put("macro.config", R"({"MacroInfo":[{"MacroName":"m","Guid":"g"}]})");
        Put("g.mac", R"({"Events":[{"Action":"down","Type":1,"Button":1,"Delay":"5"}]})");
        Put("quaro_light.config", R"({"LightInfo":[[{"LightName":"c","Guid":"e"}]]})");
        Put("e.light", R"({"LEDEffectList":[{"LEDREGMode":1}]})");
        Put("default_light.json", R"({"DefaultLightName":[[{"LightName":"w","visible":true}]],)"
                                  R"("AreaLightName":[[{"LightName":"a"}]]})");
    }

    void Put(const std::string& name, const std::string& text) {
        test::WriteFileBytes(m_dir / name, text);
    }

    void Damage(const std::string& name, const struct Damage& damage) {
        if (damage.name == std::string_view(kHuge)) {
            Put(name, "{}");
            std::filesystem::resize_file(m_dir / name, JsonFileStore::kMaxFileBytes + 1);
        } else if (damage.name == std::string_view(kFolderInPlace)) {
            std::filesystem::remove(m_dir / name);
            std::filesystem::create_directory(m_dir / name);
            Put(name + "/inside", "kept");
        } else {
            Put(name, damage.text);
        }
    }

    // The damaged file, found at path, exactly as it was made.
    static void ExpectDamage(const std::filesystem::path& path, const struct Damage& damage) {
        if (damage.name == std::string_view(kHuge)) {
            EXPECT_EQ(std::filesystem::file_size(path), JsonFileStore::kMaxFileBytes + 1);
        } else if (damage.name == std::string_view(kFolderInPlace)) {
            EXPECT_EQ(test::ReadFileBytes(path / "inside"), "kept");
        } else {
            EXPECT_EQ(test::ReadFileBytes(path), damage.text);
        }
    }

    std::vector<std::filesystem::path> AsideCopies(const std::string& name) const {
        std::vector<std::filesystem::path> copies;
        for (const auto& item : std::filesystem::directory_iterator(m_dir.Path())) {
            if (item.path().filename().string().starts_with(name + ".damaged-")) {
                copies.push_back(item.path());
            }
        }
        return copies;
    }

    void ExpectKept(const std::string& name, const struct Damage& damage, Keeps keeps,
                    bool wrongTypedIsUnusable) {
        const bool unusable = damage.unusable || (wrongTypedIsUnusable &&
                                                  damage.name == std::string_view("wrong typed"));
        const std::vector<std::filesystem::path> copies = AsideCopies(name);
        if (keeps == Keeps::InPlace || !unusable) {
            EXPECT_TRUE(copies.empty());
            if (keeps == Keeps::InPlace) {
                ExpectDamage(m_dir / name, damage);
            }
            return;
        }
        ASSERT_EQ(copies.size(), 1u);
        ExpectDamage(copies[0], damage);
        // What took its place is a document again.
        EXPECT_EQ(JsonFileStore().ReadDocument(m_dir / name).state, ReadState::Read);
    }

    // Every file but the damaged one and those the operations rewrite by design.
    std::map<std::string, std::string> Snapshot(const std::set<std::string>& except) const {
        std::map<std::string, std::string> files;
        for (const auto& item : std::filesystem::directory_iterator(m_dir.Path())) {
            const std::string name = item.path().filename().string();
            if (except.count(name) == 0) {
                files[name] = test::ReadFileBytes(item.path());
            }
        }
        return files;
    }

    void ExpectUnchanged(const std::map<std::string, std::string>& before) const {
        for (const auto& [name, bytes] : before) {
            EXPECT_EQ(test::ReadFileBytes(m_dir / name), bytes) << name;
        }
    }

    // Runs body once per damage of the named file and checks the other files are untouched
    // and the damaged one is kept.
    template <typename Body>
    void ForEachDamage(const std::string& name, const std::string& wrongTyped, Keeps keeps,
                       bool wrongTypedIsUnusable, std::set<std::string> rewritten, Body body) {
        rewritten.insert(name);
        for (const struct Damage& damage : Damages(wrongTyped)) {
            SCOPED_TRACE(name + ": " + damage.name);
            std::filesystem::remove_all(m_dir.Path());
            std::filesystem::create_directory(m_dir.Path());
            SetUp();
            Damage(name, damage);
            const auto before = Snapshot(rewritten);
            EXPECT_NO_THROW(body(damage));
            ExpectUnchanged(before);
            ExpectKept(name, damage, keeps, wrongTypedIsUnusable);
        }
    }

    test::TempDir m_dir;
    test::TraceCapture m_traces;  // keeps the run quiet
};

TEST_F(StoreCorruption, ProfileDocument) {
    const std::string wrong =
        R"({"Device":[{"LightInfo":"x","LightList":{"a":1},"KeyList":5,"SystemStages":[],)"
        R"("CustomLightMode":{"LightColorInfo":{"0":1},"CustomLightModeGroupIndex":"7"},)"
        R"("DPIStages":{"StageActive":[],"StageDPIs":[1,{"StageDPIX":{}}]},"CorrectInfo":{},)"
        R"("SystemSetStages":1,"EQHzValueInfo":{"a":1},"CustomEQNameInfo":"n",)"
        R"("CustomEQHzValueInfo":[7,[1,{"value":"x"}]],"ReportStages":[]}]})";
    ForEachDamage("p.Json", wrong, Keeps::MovedAside, false, {}, [&](const struct Damage& damage) {
        CKeyboardProfiledata keyboard;
        keyboard.SetDefaultProfilePath(m_dir / "default.Json");
        keyboard.SetProfilePath(m_dir / "p.Json");
        const Json::Value entry = keyboard.Load(m_dir / "p.Json");
        if (damage.unusable) {
            // The damaged document went aside, then the default entry was written in its place.
            EXPECT_EQ(AsideCopies("p.Json").size(), 1u);
            EXPECT_EQ(keyboard.GetLightInfo().effect, 3);
            EXPECT_EQ(JsonFileStore().ReadJson(m_dir / "p.Json")["Device"][0], entry);
        }
        keyboard.GetLightInfo();
        keyboard.GetLightList();
        keyboard.GetKeyList();
        keyboard.GetSystemStages();
        keyboard.GetCustomLightColors(keyboard.GetCustomLightGroupIndex(), 126);
        keyboard.SetCustomLightColors({{1, 2, 3, 4}}, 0);
        keyboard.SetKeyList({KeyAssignmentEntry{}});
        keyboard.SetSystemStages(1, 2, 3);
        keyboard.SetLightInfo(1, 2, 3);
        EXPECT_EQ(keyboard.Save(), 0);
        EXPECT_EQ(keyboard.GetSystemStages(), (SystemWords{1, 2, 3}));

        CMouseProfiledata mouse;
        mouse.SetDefaultProfilePath(m_dir / "default.Json");
        mouse.Load(m_dir / "p.Json");
        mouse.GetDpiStages();
        mouse.GetSystemStages();
        mouse.GetCorrectInfo();
        mouse.SetDpiStages({DpiStage{}});
        mouse.SetActiveStage(1);
        mouse.SetSystemStages(1, 2, 3);

        CHs6533Profiledata headset;
        headset.SetDefaultProfilePath(m_dir / "default.Json");
        headset.Load(m_dir / "p.Json");
        headset.GetSystemSetStages();
        for (int type = -1; type <= 14; ++type) {
            headset.GetEqValues(type);
        }
        headset.GetCustomEqNames();
        headset.GetCustomEqValues(0);
        headset.GetCustomEqValues(1);
        headset.SetCustomEqValues(0, {});
        headset.SetEqValues(2, {});
        headset.SetCustomEqNames({"n"});
        EXPECT_EQ(headset.GetCustomEqNames(), std::vector<std::string>{"n"});
    });
}

TEST_F(StoreCorruption, DefaultProfileDocument) {
    ForEachDamage("default.Json", R"({"Device":[7,"x"]})", Keeps::InPlace, false,
                  {"p.Json", "ProfileList.ini"}, [&](const struct Damage&) {
                      std::filesystem::remove(m_dir / "p.Json");
                      CBasicProfiledata profile;
                      profile.SetDefaultProfilePath(m_dir / "default.Json");
                      EXPECT_TRUE(profile.Load(m_dir / "p.Json").isNull());
                      EXPECT_EQ(profile.GetLightInfo(), LightSetting{});
                      ProfileListStore list;
                      list.SetFolder(m_dir.Path());
                      list.SetDefaultProfilePath(m_dir / "default.Json");
                      list.InitProfileList();
                      list.AddProfile();
                      list.ResetProfile();
                      EXPECT_EQ(list.Names().size(), 2u);
                  });
}

TEST_F(StoreCorruption, ProfileList) {
    const std::string wrong =
        R"({"profilelist":[5,"x",{"profilename":3,"profileUUID":[]}],"profileselect":[1]})";
    ForEachDamage("ProfileList.ini", wrong, Keeps::MovedAside, false, {},
                  [&](const struct Damage& damage) {
                      ProfileListStore list;
                      list.SetDeviceKind(7);
                      list.SetFolder(m_dir.Path());
                      list.SetDefaultProfilePath(m_dir / "default.Json");
                      list.InitProfileList();
                      ASSERT_FALSE(list.Names().empty());
                      EXPECT_EQ(list.SelectedIndex(), 0);
                      if (damage.unusable) {
                          // Rebuilt from the profile documents: the profile is still there.
                          EXPECT_EQ(list.Names(), std::vector<std::string>{"a"});
                          EXPECT_EQ(list.GetCurrentProfileId(), "p");
                      }
                      // New profile documents appear; the one that was there stays as it was.
                      const std::size_t count = list.Names().size();
                      ASSERT_TRUE(list.AddProfile());
                      ASSERT_TRUE(list.SelectProfile(static_cast<int>(count)));
                      EXPECT_TRUE(list.CopyProfile());
                      EXPECT_TRUE(list.RenameProfile("r"));
                      EXPECT_TRUE(list.ResetProfile());
                      EXPECT_TRUE(list.ExportProfile(m_dir / "out.json"));
                      EXPECT_TRUE(list.DeleteProfile());
                      EXPECT_EQ(list.Names().size(), count + 1);
                      ProfileListStore again;
                      again.SetFolder(m_dir.Path());
                      again.InitProfileList();
                      EXPECT_EQ(again.Names(), list.Names());
                  });
}

TEST_F(StoreCorruption, MacroLibraryAndEventFile) {
    ForEachDamage("macro.config", R"({"MacroInfo":{"0":{"MacroName":"m","Guid":"g"}}})",
                  Keeps::MovedAside, true, {}, [&](const struct Damage&) {
                      MacroLibrary library(m_dir.Path());
                      EXPECT_TRUE(library.Names().empty());
                      EXPECT_TRUE(library.Load(0).empty());
                      EXPECT_EQ(library.Add(), "macro_1");
                      EXPECT_FALSE(library.Delete(4));
                  });
    ForEachDamage("g.mac", R"({"Events":[{"Action":1,"Type":"x","Button":[],"Delay":{}},7]})",
                  Keeps::MovedAside, false, {"macro.config"}, [&](const struct Damage& damage) {
                      MacroLibrary library(m_dir.Path());
                      const auto events = library.Load(0);
                      EXPECT_LE(events.size(), 2u);
                      for (const MacroEvent& event : events) {
                          EXPECT_EQ(ToCompactRecord(event), CompactEventRecord{});
                      }
                      EXPECT_TRUE(library.Rename(0, "n"));
                      // An event file that cannot be read exports nothing.
                      const bool unreadable = damage.name == std::string_view(kHuge) ||
                                              damage.name == std::string_view(kFolderInPlace);
                      EXPECT_EQ(library.Export(0, m_dir / "out.mac"), !unreadable);
                      EXPECT_EQ(std::filesystem::exists(m_dir / "out.mac"), !unreadable);
                      std::filesystem::remove(m_dir / "out.mac");
                      EXPECT_TRUE(library.Save(0, {}));
                  });
}

TEST_F(StoreCorruption, LightStores) {
    ForEachDamage("default_light.json",
                  R"({"DefaultLightName":[{"LightName":1}],"AreaLightName":"x"})", Keeps::InPlace,
                  false, {}, [&](const struct Damage&) {
                      LightLibrary library(0);
                      library.LoadDefaultNames(m_dir / "default_light.json");
                      EXPECT_EQ(library.BuiltInNames().size(), library.BuiltInVisible().size());
                      EXPECT_TRUE(library.AreaNames().empty());
                  });
    for (const char* file : {"quaro_light.config", "e.light"}) {
        ForEachDamage(file, R"({"LightInfo":[{"Guid":1}],"LEDEffectList":{"a":{}}})",
                      Keeps::InPlace, false, {}, [&](const struct Damage&) {
                          LightLibrary library(0);
                          library.LoadCustomNames(m_dir / "quaro_light.config");
                          CBasicProfiledata profile;
                          profile.SetDefaultProfilePath(m_dir / "default.Json");
                          profile.Load(m_dir / "p.Json");
                          profile.LoadLightConfig(m_dir / "quaro_light.config");
                          profile.SetLightInfo(0, 0, 0);
                          EXPECT_TRUE(profile.GetCustomLightEffect().empty());
                      });
    }
}

// A user data folder that could not be made arrives as an empty path.
TEST(StoresWithoutAFolder, WriteNothingIntoTheWorkingDirectory) {
    test::TempDir dir;
    test::TraceCapture traces;
    const std::filesystem::path previous = std::filesystem::current_path();
    std::filesystem::current_path(dir.Path());
    ProfileListStore list;
    list.SetDefaultProfilePath(dir / "missing.Json");
    list.InitProfileList();
    EXPECT_FALSE(list.AddProfile());
    EXPECT_FALSE(list.CopyProfile());
    test::WriteFileBytes(dir / "in.json", R"({"profilename":"a","profileUUID":"b"})");
    EXPECT_FALSE(list.ImportProfile(dir / "in.json"));
    MacroLibrary macros{std::filesystem::path()};
    EXPECT_EQ(macros.Add(), "");
    EXPECT_EQ(macros.Import(dir / "in.json"), "");
    std::filesystem::current_path(previous);
    EXPECT_TRUE(list.Names().empty());
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.Path()),
                            std::filesystem::directory_iterator()),
              1);
    EXPECT_TRUE(traces.Contains("profile list has no folder\n"));
}

}  // namespace
}  // namespace quaro
