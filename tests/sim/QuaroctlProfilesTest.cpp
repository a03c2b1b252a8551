#include "Quaroctl.h"
#include "TempDir.h"

#include <gtest/gtest.h>
#include <json/reader.h>
#include <json/writer.h>

#include <cstdlib>
#include <optional>
#include <sstream>

namespace quaro {
namespace {

struct Outcome {
    int status = -1;
    std::string out;
    std::string err;
};

// quaroctl's profile commands over a private data home holding a keyboard list of three.
class QuaroctlProfilesTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (const char* previous = std::getenv("XDG_DATA_HOME")) {
            m_previous = previous;
        }
        setenv("XDG_DATA_HOME", m_home.Path().c_str(), 1);
        m_folder = m_home.Path() / "MV5521LUX gaming keyboard" / "keyboard";
        std::filesystem::create_directories(m_folder);
        Json::Value list(Json::objectValue);
        for (const char* name : {"Work", "Games", "Night"}) {
            const std::string id = std::string("id-") + name;
            Json::Value entry(Json::objectValue);
            entry["profilename"] = name;
            entry["profileUUID"] = id;
            entry["profileislink"] = 0;
            entry["profilelinkmame"] = "";
            list["profilelist"].append(entry);
            Json::Value document(Json::objectValue);
            document["profileUUID"] = id;
            document["profilename"] = name;
            test::WriteFileBytes(m_folder / (id + ".Json"),
                                 Json::writeString(Json::StreamWriterBuilder(), document));
        }
        list["profileselect"] = 1;
        test::WriteFileBytes(ListPath(), Json::writeString(Json::StreamWriterBuilder(), list));
    }

    void TearDown() override {
        if (m_previous) {
            setenv("XDG_DATA_HOME", m_previous->c_str(), 1);
        } else {
            unsetenv("XDG_DATA_HOME");
        }
    }

    std::filesystem::path ListPath() const { return m_folder / "ProfileList.ini"; }

    Json::Value StoredList() const {
        Json::Value list;
        std::istringstream in(test::ReadFileBytes(ListPath()));
        std::string errors;
        EXPECT_TRUE(Json::parseFromStream(Json::CharReaderBuilder(), in, &list, &errors)) << errors;
        return list;
    }

    static Outcome Run(const std::vector<std::string>& args) {
        std::ostringstream out;
        std::ostringstream err;
        Outcome outcome;
        outcome.status = RunQuaroctl(args, out, err);
        outcome.out = out.str();
        outcome.err = err.str();
        return outcome;
    }

    static Json::Value Parse(const std::string& text) {
        Json::Value document;
        std::istringstream in(text);
        std::string errors;
        EXPECT_TRUE(Json::parseFromStream(Json::CharReaderBuilder(), in, &document, &errors))
            << errors << text;
        return document;
    }

    test::TempDir m_home;
    std::filesystem::path m_folder;
    std::optional<std::string> m_previous;
};

TEST_F(QuaroctlProfilesTest, ListingMarksTheStoredSelection) {
    const Outcome text = Run({"profiles", "keyboard"});
    ASSERT_EQ(text.status, kExitSuccess) << text.err;
    EXPECT_EQ(text.out, "  Work\n* Games\n  Night\n");

    const Outcome json = Run({"profiles", "keyboard", "--json"});
    ASSERT_EQ(json.status, kExitSuccess) << json.err;
    const Json::Value document = Parse(json.out);
    EXPECT_EQ(document["kind"].asString(), "keyboard");
    EXPECT_EQ(document["selected"].asString(), "Games");
    ASSERT_EQ(document["profiles"].size(), 3u);
    EXPECT_EQ(document["profiles"][0]["name"].asString(), "Work");
    EXPECT_FALSE(document["profiles"][0]["selected"].asBool());
    EXPECT_TRUE(document["profiles"][1]["selected"].asBool());
    EXPECT_FALSE(document["profiles"][2]["selected"].asBool());
}

TEST_F(QuaroctlProfilesTest, SelectStoresTheChoiceWhateverTheLetterCase) {
    const Outcome selected = Run({"profiles", "keyboard", "select", "night"});
    ASSERT_EQ(selected.status, kExitSuccess) << selected.err;
    EXPECT_EQ(selected.out, "keyboard: selected Night\n");
    EXPECT_EQ(StoredList()["profileselect"].asInt(), 2);
    EXPECT_EQ(StoredList()["profilelist"].size(), 3u);

    const Outcome json = Run({"--json", "profiles", "keyboard", "select", "Work"});
    ASSERT_EQ(json.status, kExitSuccess) << json.err;
    EXPECT_EQ(Parse(json.out)["selected"].asString(), "Work");
    EXPECT_EQ(Run({"profiles", "keyboard"}).out, "* Work\n  Games\n  Night\n");
}

TEST_F(QuaroctlProfilesTest, AnUnknownNameChangesNothing) {
    const std::string before = test::ReadFileBytes(ListPath());
    const Outcome outcome = Run({"profiles", "keyboard", "select", "Nigh"});
    EXPECT_EQ(outcome.status, kExitNoSuchProfile);
    EXPECT_TRUE(outcome.out.empty());
    EXPECT_NE(outcome.err.find("'Nigh'"), std::string::npos) << outcome.err;
    EXPECT_EQ(test::ReadFileBytes(ListPath()), before);
}

TEST_F(QuaroctlProfilesTest, ADamagedListIsKeptAsideAndRebuilt) {
    test::WriteFileBytes(ListPath(), "{\"profilelist\": [");
    const Outcome outcome = Run({"profiles", "keyboard"});
    ASSERT_EQ(outcome.status, kExitSuccess) << outcome.err;
    // Rebuilt from the documents, in the order of their identifiers.
    EXPECT_EQ(outcome.out, "* Games\n  Night\n  Work\n");
    int damaged = 0;
    for (const auto& item : std::filesystem::directory_iterator(m_folder)) {
        if (item.path().filename().string().starts_with("ProfileList.ini.damaged-")) {
            ++damaged;
            EXPECT_EQ(test::ReadFileBytes(item.path()), "{\"profilelist\": [");
        }
    }
    EXPECT_EQ(damaged, 1);
}

TEST_F(QuaroctlProfilesTest, EachKindHasItsOwnFolder) {
    const Outcome outcome = Run({"profiles", "headset", "--json"});
    ASSERT_EQ(outcome.status, kExitSuccess) << outcome.err;
    const Json::Value document = Parse(outcome.out);
    EXPECT_EQ(document["kind"].asString(), "headset");
    EXPECT_EQ(std::filesystem::path(document["folder"].asString()),
              m_home.Path() / "MV5521LUX gaming keyboard" / "HD");
    // A first listing starts the list as the application does.
    EXPECT_EQ(document["selected"].asString(), "profile1");
    EXPECT_TRUE(std::filesystem::exists(m_home.Path() / "MV5521LUX gaming keyboard" / "HD" /
                                        "ProfileList.ini"));
    EXPECT_EQ(Run({"profiles", "keyboard"}).out, "  Work\n* Games\n  Night\n");
}

TEST_F(QuaroctlProfilesTest, AFolderThatCannotBeMadeIsAStoreError) {
    test::WriteFileBytes(m_home.Path() / "MV5521LUX gaming keyboard" / "MousePad", "a file");
    const Outcome outcome = Run({"profiles", "mousepad"});
    EXPECT_EQ(outcome.status, kExitStoreError);
    EXPECT_TRUE(outcome.out.empty());
    EXPECT_NE(outcome.err.find("MousePad"), std::string::npos) << outcome.err;
}

TEST_F(QuaroctlProfilesTest, UsageMistakes) {
    EXPECT_EQ(Run({"profiles"}).status, kExitUsage);
    EXPECT_EQ(Run({"profiles", "toaster"}).status, kExitUsage);
    EXPECT_EQ(Run({"profiles", "keyboard", "select"}).status, kExitUsage);
    EXPECT_EQ(Run({"profiles", "keyboard", "choose", "Work"}).status, kExitUsage);
    EXPECT_EQ(StoredList()["profileselect"].asInt(), 1);
}

TEST(QuaroctlHelp, DocumentsEveryExitStatus) {
    std::ostringstream out;
    std::ostringstream err;
    ASSERT_EQ(RunQuaroctl({"--help"}, out, err), kExitSuccess);
    for (int status : {kExitSuccess, kExitDeviceError, kExitUsage, kExitNotHeld, kExitNoSuchProfile,
                       kExitStoreError}) {
        EXPECT_NE(out.str().find("\n  " + std::to_string(status) + "  "), std::string::npos)
            << status;
    }
}

}  // namespace
}  // namespace quaro
