#include "LoopbackHttpServer.h"
#include "update/UpdateChecker.h"
#include "update/UpdateProtocol.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <thread>
#include <vector>

namespace quaro {
namespace {

using test::LoopbackHttpServer;

UpdateEntry Entry(int32_t kind, uint32_t version) {
    std::vector<UpdateEntry> entries = BuildUpdateEntries({}, 0);
    UpdateEntry entry = kind == 0 ? entries[3] : entries[0];
    entry.kind = kind;
    entry.version = version;
    return entry;
}

std::string BodyText(const std::vector<uint8_t>& body) {
    return std::string(body.begin(), body.end());
}

TEST(UpdateEntries, DeviceTabsFillTheFirmwareRowsAndTheLastRowIsTheApplication) {
    const auto entries = BuildUpdateEntries({0x0102, 0, 0x0300, 0x9999}, 103);
    ASSERT_EQ(entries.size(), 4u);
    EXPECT_EQ(entries[0].version, 0x0102u);
    EXPECT_EQ(entries[1].version, 0u);
    EXPECT_EQ(entries[2].version, 0x0300u);
    EXPECT_EQ(entries[3].version, 103u);  // a fourth tab never reaches the application row
    EXPECT_EQ(entries[3].lineId, "ALL");
    EXPECT_EQ(entries[3].secondModel, "AP");
    EXPECT_EQ(entries[3].versionText, "V1000.02");
    EXPECT_EQ(entries[2].kind, 2);
}

TEST(UpdateRequest, KeysAndBodiesFollowTheKind) {
    EXPECT_EQ(ApplicationKey(Entry(1, 0)), "NULL");
    EXPECT_EQ(ApplicationKey(Entry(1, 0x0102)), "QUARO_1_PX20B31C_QN4_1");
    EXPECT_EQ(ApplicationKey(Entry(0, 103)), "QUARO_0_ALL_T41_QN4_QN3_1");

    const std::vector<uint8_t> hex = UpdateRequestBody(Entry(1, 0x0102));
    EXPECT_EQ(BodyText(hex), std::string("app_key=QUARO_1_PX20B31C_QN4_1&version=102") + '\0');
    const std::vector<uint8_t> decimal = UpdateRequestBody(Entry(0, 103));
    EXPECT_EQ(BodyText(decimal),
              std::string("app_key=QUARO_0_ALL_T41_QN4_QN3_1&version=103") + '\0');
    EXPECT_EQ(VersionText(0x0102, 1), "V0102");
    EXPECT_EQ(VersionText(0xABCDE, 2), "Vabcde");
    EXPECT_EQ(VersionText(103, 0), "V103");
}

// The status rules: current against newest, in the kind's base, text cut at its first stranger.
struct StatusCase {
    int32_t kind;
    uint32_t current;
    const char* reply;
    std::optional<int32_t> status;
    const char* newestText;
};

TEST(UpdateReply, StatusRules) {
    const StatusCase cases[] = {
        {1, 0x0102, R"({"name":"QN4","version":"0105"})", kStatusNewer, "V0105"},
        {1, 0x0102, R"({"name":"QN4","version":"0102"})", kStatusCurrent, "V0102"},
        {1, 0x0102, R"({"name":"QN4","version":"0101"})", kStatusCurrent, "V0101"},
        {1, 0x0102, R"({"name":"QN4","version":"01zz9"})", kStatusCurrent, "V01zz9"},
        {1, 0x0102, R"({"name":"QN4","version":"1A0"})", kStatusNewer, "V1A0"},
        {1, 0x0102, R"({"name":"QN4"})", kStatusCurrent, "V"},
        {1, 0xFFFFFFFF, R"({"name":"QN4","version":"1FFFFFFFFF"})", kStatusCurrent, "V1FFFFFFFFF"},
        {0, 103, R"({"name":"AP","version":"104","version_name":"V1.0.4"})", kStatusNewer,
         "V1.0.4"},
        {0, 103, R"({"name":"AP","version":"0x200","version_name":"n"})", kStatusCurrent, "n"},
        {0, 103, "/* comment */ {\"name\":\"AP\", // more\n \"version\":\"103\"}", kStatusCurrent,
         ""},
        {1, 0x0102, "<html>502</html>", std::nullopt, ""},
        {1, 0x0102, R"(["name"])", std::nullopt, ""},
        {1, 0x0102, R"({"name":{"nested":1},"version":[1]})", kStatusCurrent, "V"},
    };
    for (const StatusCase& c : cases) {
        SCOPED_TRACE(c.reply);
        const UpdateResult result = ParseUpdateReply(c.reply, Entry(c.kind, c.current));
        EXPECT_EQ(result.status, c.status);
        EXPECT_EQ(result.newestVersionText, c.newestText);
        if (c.status) {
            EXPECT_EQ(result.currentVersionText, VersionText(c.current, c.kind));
        }
    }
}

TEST(UpdateReply, DeeplyNestedReplyIsRefusedNotThrown) {
    const std::string reply =
        R"({"name":)" + std::string(5000, '[') + "1" + std::string(5000, ']') + "}";
    const UpdateResult result = ParseUpdateReply(reply, Entry(1, 0x0102));
    EXPECT_FALSE(result.status.has_value());
    EXPECT_TRUE(result.name.empty());
}

TEST(UpdateReply, MembersAreTakenAsText) {
    const UpdateResult result = ParseUpdateReply(
        R"({"name":"T41","path":"https://h/T41.exe","version_name":"T41 v3","version":"0300",
            "device_id":1,"extra":true})",
        Entry(2, 0x0200));
    EXPECT_EQ(result.name, "T41");
    EXPECT_EQ(result.downloadPath, "https://h/T41.exe");
    EXPECT_EQ(result.versionName, "T41 v3");
    EXPECT_EQ(result.deviceId, 1);
    EXPECT_EQ(result.status, kStatusNewer);
}

TEST(UpdatePass, StopsAtTheFirstNewerLineOrAnUnreachableServer) {
    std::vector<UpdateEntry> entries = BuildUpdateEntries({0x0100, 0, 0x0200}, 10);
    auto run = [&](std::vector<UpdateResult> answers, std::vector<std::string>* asked) {
        size_t next = 0;
        return RunUpdatePass(entries, [&](const UpdateEntry& entry) {
            asked->push_back(entry.lineId);
            return next < answers.size() ? answers[next++] : UpdateResult{};
        });
    };
    UpdateResult current;
    current.name = "x";
    current.status = kStatusCurrent;
    UpdateResult newer = current;
    newer.status = kStatusNewer;
    UpdateResult noLink;
    noLink.name = "no_link_server";
    UpdateResult unanswered;

    std::vector<std::string> asked;
    EXPECT_EQ(run({unanswered, newer, current}, &asked), UpdatePassOutcome::SomethingNew);
    EXPECT_THAT(asked, ::testing::ElementsAre("PX20B31C", "PX20B22C_1"));  // version 0 skipped

    asked.clear();
    EXPECT_EQ(run({noLink, newer, newer}, &asked), UpdatePassOutcome::NothingNew);
    EXPECT_EQ(asked.size(), 1u);

    asked.clear();
    EXPECT_EQ(run({current, current, current}, &asked), UpdatePassOutcome::NothingNew);
    EXPECT_EQ(asked.size(), 3u);
}

TEST(UpdateChecker, PostsTheEntryAndReadsTheReply) {
    LoopbackHttpServer server([](const LoopbackHttpServer::Request&) {
        return LoopbackHttpServer::Response{
            200, R"({"name":"QN4","version":"0105","path":"https://x/QN4.exe"})", {}, false};
    });
    const UpdateChecker checker(server.BaseUrl() + "/api/");
    const UpdateResult result = checker.Check(Entry(1, 0x0102));

    EXPECT_EQ(result.status, kStatusNewer);
    EXPECT_EQ(result.currentVersionText, "V0102");
    EXPECT_EQ(result.newestVersionText, "V0105");
    const auto requests = server.Requests();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].target, "/api/updates");
    EXPECT_EQ(requests[0].body, std::string("app_key=QUARO_1_PX20B31C_QN4_1&version=102") + '\0');
}

TEST(UpdateChecker, UnreachableServerEndsThePassAfterOneRequest) {
    const UpdateChecker checker(
        "http://127.0.0.1:" + std::to_string(LoopbackHttpServer::ClosedPort()) + "/api/");
    int requests = 0;
    const auto outcome =
        RunUpdatePass(BuildUpdateEntries({0x0100, 0x0100, 0x0100}, 10), [&](const UpdateEntry& e) {
            ++requests;
            return checker.Check(e);
        });
    EXPECT_EQ(outcome, UpdatePassOutcome::NothingNew);
    EXPECT_EQ(requests, 1);
    EXPECT_EQ(checker.Check(Entry(1, 1)).name, "NO_LINK_SERVER");
}

TEST(UpdateChecker, CancelledCheckEndsWithoutWaitingForTheServer) {
    // A server that accepts the connection but never answers.
    LoopbackHttpServer server([](const LoopbackHttpServer::Request&) {
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        return LoopbackHttpServer::Response{200, R"({"name":"late"})", {}, false};
    });
    const UpdateChecker checker(server.BaseUrl() + "/api/");
    const UpdateResult result = checker.Check(Entry(1, 1), [] { return true; });
    EXPECT_NE(result.name, "late");
    EXPECT_FALSE(result.status.has_value());
}

TEST(UpdateChecker, EmptyReplyGivesAnEmptyName) {
    LoopbackHttpServer server([](const LoopbackHttpServer::Request&) {
        return LoopbackHttpServer::Response{200, "", {}, false};
    });
    const UpdateResult result = UpdateChecker(server.BaseUrl() + "/api/").Check(Entry(1, 1));
    EXPECT_TRUE(result.name.empty());
    EXPECT_FALSE(result.status.has_value());
}

}  // namespace
}  // namespace quaro
