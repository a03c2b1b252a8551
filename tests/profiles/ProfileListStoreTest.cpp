#include "TempDir.h"
#include "TraceCapture.h"
#include "profiles/ProfileListStore.h"

#include <gtest/gtest.h>

#include <set>

namespace quaro {
namespace {

Json::Value ReadJsonFile(const std::filesystem::path& path) {
    return JsonFileStore().ReadJson(path);
}

class ProfileListStoreTest : public ::testing::Test {
protected:
    void SetUp() override {
        test::WriteFileBytes(m_dir / "default.Json", R"({"Device":[{"LightInfo":{"SelectItem":3},)"
                                                     R"("CustomEQNameInfo":[{"Name":"factory"}]}],)"
                                                     R"("profilename":"x","profileUUID":"y"})");
        m_store.SetDeviceKind(1);
        m_store.SetFolder(m_dir.Path());
        m_store.SetDefaultProfilePath(m_dir / "default.Json");
    }

    // A list of the given names with the given selection, each with a document.
    void WriteList(const std::vector<std::string>& names, int select) {
        Json::Value list;
        for (std::size_t i = 0; i < names.size(); ++i) {
            Json::Value entry;
            entry["profilename"] = names[i];
            entry["profileUUID"] = "id" + std::to_string(i);
            list["profilelist"].append(entry);
            Json::Value document;
            document["profilename"] = names[i];
            document["profileUUID"] = "id" + std::to_string(i);
            document["Device"][0]["mark"] = static_cast<int>(i);
            JsonFileStore().WriteJson(m_dir / ("id" + std::to_string(i) + ".Json"), document);
        }
        list["profileselect"] = select;
        JsonFileStore().WriteJson(m_dir / "ProfileList.ini", list);
    }

    Json::Value List() const { return ReadJsonFile(m_dir / "ProfileList.ini"); }
    Json::Value Document(const std::string& id) const {
        return ReadJsonFile(m_dir / (id + ".Json"));
    }
    std::string IdAt(int index) const {
        return List()["profilelist"][index]["profileUUID"].asString();
    }

    test::TempDir m_dir;
    ProfileListStore m_store;
};

TEST_F(ProfileListStoreTest, MissingOrEmptyListStartsWithProfile1FromTheDefault) {
    for (const char* listText : {"", "{\"profilelist\":[],\"profileselect\":0}", "[1,2]"}) {
        SCOPED_TRACE(listText);
        test::WriteFileBytes(m_dir / "ProfileList.ini", listText);
        m_store.InitProfileList();
        EXPECT_EQ(m_store.Names(), std::vector<std::string>{"profile1"});
        EXPECT_EQ(m_store.SelectedIndex(), 0);
        const Json::Value list = List();
        ASSERT_EQ(list["profilelist"].size(), 1u);
        EXPECT_EQ(list["profileselect"].asInt(), 0);
        EXPECT_EQ(list["profilelist"][0]["profileislink"].asInt(), 0);
        EXPECT_EQ(list["profilelist"][0]["profilelinkmame"].asString(), "");
        const std::string id = m_store.GetCurrentProfileId();
        EXPECT_EQ(list["profilelist"][0]["profileUUID"].asString(), id);
        const Json::Value document = Document(id);
        EXPECT_EQ(document["profilename"].asString(), "profile1");
        EXPECT_EQ(document["profileUUID"].asString(), id);
        EXPECT_EQ(document["Device"][0]["LightInfo"]["SelectItem"].asInt(), 3);
    }
}

TEST_F(ProfileListStoreTest, InitSelectsTheStoredProfileOrTheFirst) {
    WriteList({"a", "b", "c"}, 2);
    m_store.InitProfileList();
    EXPECT_EQ(m_store.Names(), (std::vector<std::string>{"a", "b", "c"}));
    EXPECT_EQ(m_store.SelectedIndex(), 2);
    EXPECT_EQ(m_store.GetCurrentProfileId(), "id2");
    EXPECT_EQ(m_store.ProfilePath("id2"), m_dir / "id2.Json");

    WriteList({"a", "b"}, 7);
    m_store.InitProfileList();
    EXPECT_EQ(m_store.SelectedIndex(), 0);
    EXPECT_EQ(m_store.GetCurrentProfileId(), "id0");
    EXPECT_EQ(List()["profilelist"].size(), 2u);  // not grown to index 7
    EXPECT_EQ(List()["profileselect"].asInt(), 0);
    EXPECT_FALSE(m_store.SelectProfile(2));
    EXPECT_FALSE(m_store.SelectProfile(-1));
    EXPECT_TRUE(m_store.SelectProfile(1));
    EXPECT_EQ(List()["profileselect"].asInt(), 1);
    EXPECT_EQ(m_store.GetCurrentProfileId(), "id1");
}

TEST_F(ProfileListStoreTest, AddTakesTheLowestFreeNameAndStopsAtFifty) {
    WriteList({"profile1", "PROFILE3"}, 0);
    m_store.InitProfileList();
    ASSERT_TRUE(m_store.AddProfile());
    EXPECT_EQ(m_store.Names().back(), "profile2");
    const Json::Value list = List();
    EXPECT_EQ(list["profileselect"].asInt(), 2);
    EXPECT_EQ(m_store.SelectedIndex(), 0);  // the combo selection does not move
    const std::string id = IdAt(2);
    EXPECT_EQ(Document(id)["profilename"].asString(), "profile2");
    EXPECT_EQ(Document(id)["profileUUID"].asString(), id);
    EXPECT_EQ(Document(id)["Device"][0]["LightInfo"]["SelectItem"].asInt(), 3);

    ASSERT_TRUE(m_store.AddProfile());
    EXPECT_EQ(m_store.Names().back(), "profile4");
    while (m_store.Names().size() < 50) {
        ASSERT_TRUE(m_store.AddProfile());
    }
    EXPECT_FALSE(m_store.AddProfile());
    EXPECT_EQ(List()["profilelist"].size(), 50u);

    // Profiles made within one millisecond still get distinct identifiers and documents.
    std::set<std::string> ids;
    const Json::Value stored = List();
    for (const Json::Value& entry : stored["profilelist"]) {
        ids.insert(entry["profileUUID"].asString());
        EXPECT_TRUE(std::filesystem::exists(m_dir / (entry["profileUUID"].asString() + ".Json")));
    }
    EXPECT_EQ(ids.size(), 50u);
}

TEST_F(ProfileListStoreTest, CopyChainsTheSuffixAndCopiesTheDocument) {
    WriteList({"game", "GAME copy"}, 0);
    m_store.InitProfileList();
    ASSERT_TRUE(m_store.CopyProfile());
    EXPECT_EQ(m_store.Names().back(), "game copy copy");
    EXPECT_EQ(List()["profileselect"].asInt(), 0);
    const Json::Value copy = Document(IdAt(2));
    EXPECT_EQ(copy["profilename"].asString(), "game copy copy");
    EXPECT_EQ(copy["profileUUID"].asString(), IdAt(2));
    EXPECT_EQ(copy["Device"][0]["mark"].asInt(), 0);
}

TEST_F(ProfileListStoreTest, DeleteSelectsThePreviousAndRemovesTheDocument) {
    WriteList({"a", "b", "c"}, 0);
    m_store.InitProfileList();
    ASSERT_TRUE(m_store.DeleteProfile());
    EXPECT_EQ(m_store.Names(), (std::vector<std::string>{"b", "c"}));
    EXPECT_EQ(m_store.SelectedIndex(), 0);
    EXPECT_EQ(m_store.GetCurrentProfileId(), "id1");
    EXPECT_EQ(List()["profileselect"].asInt(), 0);
    EXPECT_FALSE(std::filesystem::exists(m_dir / "id0.Json"));

    m_store.SelectProfile(1);
    ASSERT_TRUE(m_store.DeleteProfile());
    EXPECT_EQ(m_store.Names(), std::vector<std::string>{"b"});
    EXPECT_EQ(m_store.GetCurrentProfileId(), "id1");
    EXPECT_FALSE(std::filesystem::exists(m_dir / "id2.Json"));

    EXPECT_FALSE(m_store.DeleteProfile());  // the last profile stays
    EXPECT_TRUE(std::filesystem::exists(m_dir / "id1.Json"));
    EXPECT_EQ(List()["profilelist"].size(), 1u);
}

TEST_F(ProfileListStoreTest, RenameRefusesAnotherProfilesName) {
    WriteList({"a", "b"}, 1);
    m_store.InitProfileList();
    EXPECT_FALSE(m_store.RenameProfile("A"));
    EXPECT_TRUE(m_store.RenameProfile("b"));
    EXPECT_TRUE(m_store.RenameProfile("B"));
    EXPECT_TRUE(m_store.RenameProfile("night"));
    EXPECT_EQ(m_store.Names()[1], "night");
    EXPECT_EQ(List()["profilelist"][1]["profilename"].asString(), "night");
    EXPECT_EQ(Document("id1")["profilename"].asString(), "night");
    EXPECT_EQ(Document("id1")["Device"][0]["mark"].asInt(), 1);
}

TEST_F(ProfileListStoreTest, ImportChainsCountersAndKeepsTheDevices) {
    WriteList({"game", "game(1)"}, 0);
    m_store.InitProfileList();
    test::WriteFileBytes(m_dir / "in.json",
                         R"({"profilename":"Game","profileUUID":"../../x","Device":[{"k":5}]})");
    ASSERT_TRUE(m_store.ImportProfile(m_dir / "in.json"));
    EXPECT_EQ(m_store.Names().back(), "Game(1)(2)");
    const std::string id = IdAt(2);
    EXPECT_NE(id, "../../x");
    const Json::Value imported = Document(id);
    EXPECT_EQ(imported["profileUUID"].asString(), id);
    EXPECT_EQ(imported["profilename"].asString(), "Game(1)(2)");
    EXPECT_EQ(imported["Device"][0]["k"].asInt(), 5);
    EXPECT_EQ(List()["profileselect"].asInt(), 0);

    test::WriteFileBytes(m_dir / "bad.json", R"({"profilename":7})");
    EXPECT_FALSE(m_store.ImportProfile(m_dir / "bad.json"));
    EXPECT_FALSE(m_store.ImportProfile(m_dir / "missing.json"));
    EXPECT_EQ(m_store.Names().size(), 3u);
}

TEST_F(ProfileListStoreTest, ExportWritesTheSelectedDocument) {
    WriteList({"a", "b"}, 1);
    m_store.InitProfileList();
    ASSERT_TRUE(m_store.ExportProfile(m_dir / "out.json"));
    EXPECT_EQ(ReadJsonFile(m_dir / "out.json"), Document("id1"));
    std::filesystem::remove(m_dir / "id1.Json");
    EXPECT_FALSE(m_store.ExportProfile(m_dir / "out2.json"));
    EXPECT_FALSE(std::filesystem::exists(m_dir / "out2.json"));
}

TEST_F(ProfileListStoreTest, ResetRestoresTheDefaultAndAHeadsetKeepsItsCustomEqs) {
    WriteList({"a", "b"}, 1);
    Json::Value document = Document("id1");
    document["Device"][0]["CustomEQNameInfo"][0]["Name"] = "mine";
    document["Device"][0]["CustomEQHzValueInfo"][0][0]["value"] = 4;
    JsonFileStore().WriteJson(m_dir / "id1.Json", document);

    m_store.InitProfileList();
    ASSERT_TRUE(m_store.ResetProfile());
    Json::Value reset = Document("id1");
    EXPECT_EQ(reset["profilename"].asString(), "b");
    EXPECT_EQ(reset["profileUUID"].asString(), "id1");
    EXPECT_FALSE(reset["Device"][0].isMember("mark"));
    EXPECT_EQ(reset["Device"][0]["CustomEQNameInfo"][0]["Name"].asString(), "factory");
    EXPECT_FALSE(reset["Device"][0].isMember("CustomEQHzValueInfo"));

    JsonFileStore().WriteJson(m_dir / "id1.Json", document);
    m_store.SetDeviceKind(7);
    ASSERT_TRUE(m_store.ResetProfile());
    reset = Document("id1");
    EXPECT_EQ(reset["Device"][0]["LightInfo"]["SelectItem"].asInt(), 3);
    EXPECT_EQ(reset["Device"][0]["CustomEQNameInfo"][0]["Name"].asString(), "mine");
    EXPECT_EQ(reset["Device"][0]["CustomEQHzValueInfo"][0][0]["value"].asInt(), 4);
}

TEST_F(ProfileListStoreTest, IdentifiersThatAreNotPlainFileNamesTouchNoFile) {
    test::WriteFileBytes(m_dir / "victim.Json", "{}");
    std::filesystem::create_directory(m_dir / "sub");
    test::WriteFileBytes(m_dir / "sub" / "victim.Json", "{}");
    test::WriteFileBytes(m_dir / "ProfileList.ini",
                         R"({"profilelist":[{"profilename":"a","profileUUID":"sub/victim"},)"
                         R"({"profilename":"b","profileUUID":".."},)"
                         R"({"profilename":"c","profileUUID":""}],"profileselect":0})");
    test::TraceCapture traces;
    m_store.InitProfileList();
    EXPECT_EQ(m_store.GetCurrentProfileId(), "");
    EXPECT_TRUE(
        traces.Contains("refused profileUUID that is not a plain file name: \"sub/victim\"\n"));
    EXPECT_FALSE(m_store.ResetProfile());
    EXPECT_FALSE(m_store.ExportProfile(m_dir / "out.json"));
    EXPECT_TRUE(m_store.RenameProfile("z"));
    EXPECT_TRUE(m_store.DeleteProfile());
    m_store.SelectProfile(1);
    EXPECT_TRUE(m_store.DeleteProfile());
    EXPECT_EQ(test::ReadFileBytes(m_dir / "sub" / "victim.Json"), "{}");
    EXPECT_EQ(test::ReadFileBytes(m_dir / "victim.Json"), "{}");
    EXPECT_TRUE(std::filesystem::exists(m_dir / "sub"));
    EXPECT_EQ(m_store.Names(), std::vector<std::string>{"b"});
}

TEST(ProfileOptionTabs, VisibilityPerKind) {
    EXPECT_EQ(OptionTabsForKind(1).hidden, std::vector<std::string_view>{"cursor_Op_tab"});
    EXPECT_TRUE(OptionTabsForKind(2).hidden.empty());
    EXPECT_TRUE(OptionTabsForKind(6).hidden.empty());
    EXPECT_EQ(OptionTabsForKind(4).hidden.size(), 3u);
    EXPECT_EQ(OptionTabsForKind(3).hidden, OptionTabsForKind(5).hidden);
    EXPECT_EQ(OptionTabsForKind(7).shown,
              (std::vector<std::string_view>{"6533_voice_Op_tab", "magic_Op_tab"}));
    EXPECT_EQ(OptionTabName(1), "deng_Op_tab");
    EXPECT_EQ(OptionTabName(7), "magic_Op_tab");
    EXPECT_EQ(OptionTabName(0), "");
    EXPECT_EQ(OptionTabName(8), "");
}

}  // namespace
}  // namespace quaro
