#include "TempDir.h"
#include "TraceCapture.h"
#include "profiles/MacroLibrary.h"

#include <gtest/gtest.h>

#include <set>

namespace quaro {
namespace {

MacroEvent Event(bool down, int type, int button, int delay) {
    MacroEvent event;
    event.down = down;
    event.type = static_cast<std::uint8_t>(type);
    event.button = static_cast<std::uint8_t>(button);
    event.delay = static_cast<std::uint16_t>(delay);
    return event;
}

// Events compare by what the device receives, which holds every field.
std::vector<std::uint8_t> Bytes(const std::vector<MacroEvent>& events) {
    return ToCompactRecords(events);
}

Json::Value ReadJsonFile(const std::filesystem::path& path) {
    return JsonFileStore().ReadJson(path);
}

void WriteLibrary(const test::TempDir& dir, const std::vector<std::string>& names) {
    Json::Value library;
    library["MacroInfo"] = Json::Value(Json::arrayValue);
    for (std::size_t i = 0; i < names.size(); ++i) {
        Json::Value entry;
        entry["MacroName"] = names[i];
        entry["Guid"] = "g" + std::to_string(i);
        library["MacroInfo"].append(entry);
    }
    JsonFileStore().WriteJson(dir / "macro.config", library);
}

TEST(MacroEvents, CompactRecordsAndDelays) {
    const MacroEvent press = ParseMacroEvent(
        JsonFileStore::ParseDocument(R"({"Action":"down","Button":4,"Type":10,"Delay":"300"})"));
    EXPECT_EQ(ToCompactRecord(press), (CompactEventRecord{0x2C, 0x01, 0x8A, 0x04}));
    const MacroEvent release = ParseMacroEvent(
        JsonFileStore::ParseDocument(R"({"Action":"UP","Button":1,"Type":1,"Delay":0})"));
    EXPECT_EQ(ToCompactRecord(release), (CompactEventRecord{0x00, 0x00, 0x01, 0x01}));
    EXPECT_EQ(ToCompactRecords({press, release}),
              (std::vector<std::uint8_t>{0x2C, 0x01, 0x8A, 0x04, 0, 0, 0x01, 0x01}));

    auto delayOf = [](const std::string& delay) {
        return ParseMacroEvent(JsonFileStore::ParseDocument("{\"Delay\":" + delay + "}")).delay;
    };
    EXPECT_EQ(delayOf("\"65535\""), 65535);
    EXPECT_EQ(delayOf("\"70000\""), 65535);  // clamped, not wrapped to 4464
    EXPECT_EQ(delayOf("70000"), 65535);
    EXPECT_EQ(delayOf("1e300"), 65535);
    EXPECT_EQ(delayOf("\"99999999999999999999999\""), 65535);
    EXPECT_EQ(delayOf("-5"), 0);
    EXPECT_EQ(delayOf("\"-5\""), 0);
    EXPECT_EQ(delayOf("\"12ms\""), 12);
    EXPECT_EQ(delayOf("\"abc\""), 0);
    EXPECT_EQ(delayOf("{}"), 0);
    EXPECT_EQ(delayOf("250.7"), 250);

    const Json::Value written = MacroEventToJson(Event(true, 5, 7, 90));
    EXPECT_EQ(written, JsonFileStore::ParseDocument(
                           R"({"Action":"down","Button":7,"Type":5,"Delay":"90"})"));
}

TEST(MacroLibrary, AddTakesTheLowestFreeNameAndStopsAtFifty) {
    test::TempDir dir;
    MacroLibrary library(dir.Path());
    WriteLibrary(dir, {"macro_1", "Macro_3"});
    EXPECT_EQ(library.Add(), "macro_2");
    WriteLibrary(dir, {"macro_1", "MACRO_2"});
    EXPECT_EQ(library.Add(), "macro_3");
    const Json::Value info = ReadJsonFile(dir / "macro.config")["MacroInfo"];
    ASSERT_EQ(info.size(), 3u);
    EXPECT_EQ(info[2]["Guid"].asString().size(), 23u);
    EXPECT_FALSE(std::filesystem::exists(dir / (info[2]["Guid"].asString() + ".mac")));

    while (library.Count() < MacroLibrary::kMaxMacros) {
        ASSERT_FALSE(library.Add().empty());
    }
    EXPECT_EQ(library.Add(), "");
    EXPECT_EQ(library.Count(), 50);
    std::set<std::string> guids;
    const Json::Value stored = ReadJsonFile(dir / "macro.config");
    for (const Json::Value& entry : stored["MacroInfo"]) {
        guids.insert(entry["Guid"].asString());
    }
    EXPECT_EQ(guids.size(), 50u);
}

TEST(MacroLibrary, RenameRefusesEmptyAndTakenNamesItsOwnIncluded) {
    test::TempDir dir;
    MacroLibrary library(dir.Path());
    WriteLibrary(dir, {"macro_1", "jump"});
    EXPECT_FALSE(library.Rename(0, ""));
    EXPECT_FALSE(library.Rename(0, "macro_1"));
    EXPECT_FALSE(library.Rename(0, "JUMP"));
    EXPECT_FALSE(library.Rename(5, "free"));
    EXPECT_TRUE(library.Rename(0, "reload"));
    EXPECT_EQ(library.Names(), (std::vector<std::string>{"reload", "jump"}));
}

TEST(MacroLibrary, SaveLoadExportImportAndDelete) {
    test::TempDir dir;
    MacroLibrary library(dir.Path());
    ASSERT_EQ(library.Add(), "macro_1");
    EXPECT_TRUE(library.Load(0).empty());  // never saved
    const std::vector<MacroEvent> events = {Event(true, 10, 4, 0), Event(false, 10, 4, 300)};
    ASSERT_TRUE(library.Save(0, events));
    EXPECT_EQ(Bytes(library.Load(0)), Bytes(events));
    const std::filesystem::path file = library.EventFilePath(0);
    const Json::Value saved = ReadJsonFile(file);
    EXPECT_EQ(saved["Version"].asInt(), 64);
    EXPECT_EQ(saved["MacroName"].asString(), "macro_1");
    EXPECT_EQ(saved["Guid"].asString() + ".mac", file.filename().string());
    EXPECT_EQ(saved["Events"][1]["Delay"], Json::Value("300"));

    ASSERT_TRUE(library.Export(0, dir / "out.mac"));
    EXPECT_EQ(test::ReadFileBytes(dir / "out.mac"), test::ReadFileBytes(file));

    const std::string foreign =
        "// hand made\n{\"Events\":[{\"Action\":\"down\",\"Type\":1,"
        "\"Button\":1,\"Delay\":7}],\"MacroName\":\"x\",\"Guid\":\"y\"}";
    test::WriteFileBytes(dir / "in.mac", foreign);
    EXPECT_EQ(library.Import(dir / "in.mac"), "macro_2");
    EXPECT_EQ(test::ReadFileBytes(library.EventFilePath(1)), foreign);
    EXPECT_EQ(Bytes(library.Load(1)), Bytes({Event(true, 1, 1, 7)}));
    EXPECT_EQ(library.Import(dir / "missing.mac"), "");
    EXPECT_EQ(library.Count(), 2);

    ASSERT_TRUE(library.Delete(0));
    EXPECT_FALSE(std::filesystem::exists(file));
    EXPECT_EQ(library.Names(), std::vector<std::string>{"macro_2"});
    EXPECT_EQ(Bytes(library.Load(0)), Bytes({Event(true, 1, 1, 7)}));
    EXPECT_FALSE(library.Delete(3));
    EXPECT_FALSE(library.Export(3, dir / "none.mac"));
    ASSERT_TRUE(library.Delete(0));
    EXPECT_EQ(library.Count(), 0);
}

TEST(MacroLibrary, EventCountIsCappedAtTwoThousand) {
    test::TempDir dir;
    MacroLibrary library(dir.Path());
    library.Add();
    ASSERT_TRUE(library.Save(0, std::vector<MacroEvent>(2500, Event(true, 10, 4, 1))));
    EXPECT_EQ(ReadJsonFile(library.EventFilePath(0))["Events"].size(), 2000u);
    EXPECT_EQ(library.Load(0).size(), 2000u);
}

TEST(MacroLibrary, GuidsThatAreNotPlainFileNamesTouchNoFile) {
    test::TempDir dir;
    std::filesystem::create_directory(dir / "sub");
    test::WriteFileBytes(dir / "sub" / "victim.mac", "keep");
    test::WriteFileBytes(dir / "macro.config",
                         R"({"MacroInfo":[{"MacroName":"a","Guid":"sub/victim"},)"
                         R"({"MacroName":"b","Guid":".."}]})");
    test::TraceCapture traces;
    MacroLibrary library(dir.Path());
    EXPECT_FALSE(library.Save(0, {Event(true, 1, 1, 1)}));
    EXPECT_TRUE(library.Load(0).empty());
    EXPECT_FALSE(library.Export(0, dir / "out.mac"));
    EXPECT_TRUE(library.Delete(0));
    EXPECT_EQ(test::ReadFileBytes(dir / "sub" / "victim.mac"), "keep");
    EXPECT_TRUE(
        traces.Contains("refused macro Guid that is not a plain file name: \"sub/victim\"\n"));
    EXPECT_TRUE(library.Load(0).empty());
    EXPECT_TRUE(traces.Contains("refused macro Guid that is not a plain file name: \"..\"\n"));
    EXPECT_EQ(library.Names(), std::vector<std::string>{"b"});
}

TEST(MacroLibrary, SharedLibraryNameIsOnlyRead) {
    test::TempDir dir;
    test::WriteFileBytes(dir / "quaro_macro.config",
                         R"({"MacroInfo":[{"MacroName":"one","Guid":"1"}]})");
    MacroLibrary shared(dir.Path(), kSharedMacroLibraryFileName);
    EXPECT_EQ(shared.Names(), std::vector<std::string>{"one"});
    EXPECT_TRUE(MacroLibrary(dir.Path()).Names().empty());
}

TEST(MacroLibrary, DeletingAMacroRenumbersTheKeysThatRunMacros) {
    std::vector<KeyAssignmentEntry> keys(4);
    keys[0].code = {0x70, 1, 0};  // X runs macro 1
    keys[0].defaultCode = {0x20, 0, 0x1B};
    keys[1].code = {0x71, 2, 5};  // Y runs macro 2, repeated
    keys[2].code = {0x70, 0, 3};  // an earlier macro
    keys[3].code = {0x20, 1, 2};  // not a macro: a second byte above 1 is not a number
    MacroLibrary::RenumberKeysForDeletedMacro(keys, 1);
    EXPECT_EQ(keys[0].code, (KeyCode{0x20, 0, 0x1B}));
    EXPECT_EQ(keys[1].code, (KeyCode{0x71, 1, 5}));
    EXPECT_EQ(keys[2].code, (KeyCode{0x70, 0, 3}));
    EXPECT_EQ(keys[3].code, (KeyCode{0x20, 1, 2}));
}

}  // namespace
}  // namespace quaro
