#include "TempDir.h"
#include "TraceCapture.h"
#include "profiles/JsonFileStore.h"

#include <gtest/gtest.h>

#include <cctype>
#include <signal.h>
#include <sys/resource.h>
#include <unistd.h>

namespace quaro {
namespace {

Json::Value SampleProfile() {
    Json::Value root;
    root["profileUUID"] = "2019_03_01_09_05_07_042";
    root["profilename"] = "profile1";
    Json::Value entry;
    entry["b"] = 2;
    entry["a"] = 1;
    entry["Name"] = "Ünïcode ключ";
    entry["List"].append(1);
    entry["List"].append(Json::Value(Json::objectValue));
    root["Device"].append(entry);
    return root;
}

TEST(JsonFileStore, WritesStyledTextWithSortedMembersAndTwoFinalLineFeeds) {
    test::TempDir dir;
    JsonFileStore store;
    Json::Value value;
    value["b"] = 1;
    value["a"]["y"] = "t";
    value["a"]["x"].append(7);
    ASSERT_EQ(store.WriteJson(dir / "x.Json", value), 0);
    EXPECT_EQ(test::ReadFileBytes(dir / "x.Json"),
              "{\n"
              "   \"a\" : {\n"
              "      \"x\" : [ 7 ],\n"
              "      \"y\" : \"t\"\n"
              "   },\n"
              "   \"b\" : 1\n"
              "}\n"
              "\n");
}

TEST(JsonFileStore, RoundTripsUtf8TextAndReplacesTheWholeFile) {
    test::TempDir dir;
    JsonFileStore store;
    const auto path = dir / "p.Json";
    test::WriteFileBytes(path, std::string(10000, ' ') + "{\"old\":1}");
    ASSERT_EQ(store.WriteJson(path, SampleProfile()), 0);
    EXPECT_EQ(store.ReadJson(path), SampleProfile());
    EXPECT_EQ(test::ReadFileBytes(path), JsonFileStore::FormatDocument(SampleProfile()));
    // No temporary file is left beside the document.
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.Path()),
                            std::filesystem::directory_iterator()),
              1);
}

TEST(JsonFileStore, FailedWriteKeepsTheOldFileByteForByte) {
    test::TempDir dir;
    JsonFileStore store;
    const auto path = dir / "keep.Json";
    const std::string original = "{\n   \"keep\" : 1\n}\n\n";
    test::WriteFileBytes(path, original);

    // A disk that fills up mid-write: the file size limit makes every write past 8 bytes fail.
    Json::Value big;
    big["data"] = std::string(4096, 'x');
    struct sigaction ignore {};
    struct sigaction previousAction {};
    ignore.sa_handler = SIG_IGN;
    ::sigaction(SIGXFSZ, &ignore, &previousAction);
    rlimit previousLimit{};
    ::getrlimit(RLIMIT_FSIZE, &previousLimit);
    rlimit tiny = previousLimit;
    tiny.rlim_cur = 8;
    ::setrlimit(RLIMIT_FSIZE, &tiny);
    const int result = store.WriteJson(path, big);
    ::setrlimit(RLIMIT_FSIZE, &previousLimit);
    ::sigaction(SIGXFSZ, &previousAction, nullptr);

    EXPECT_EQ(result, 1);
    EXPECT_EQ(test::ReadFileBytes(path), original);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.Path()),
                            std::filesystem::directory_iterator()),
              1);
}

TEST(JsonFileStore, UnwritableTargetsReturnOneAndTrace) {
    test::TempDir dir;
    test::TraceCapture traces;
    JsonFileStore store;
    EXPECT_EQ(store.WriteJson(dir / "missing" / "a.Json", SampleProfile()), 1);
    EXPECT_FALSE(std::filesystem::exists(dir / "missing"));
    EXPECT_TRUE(traces.Contains("wirtejsonFile 错误吗：：2\n"));  // ENOENT

    // A folder standing where the document should be is not replaced.
    std::filesystem::create_directory(dir / "taken.Json");
    test::WriteFileBytes(dir / "taken.Json" / "inside", "x");
    EXPECT_EQ(store.WriteJson(dir / "taken.Json", SampleProfile()), 1);
    EXPECT_EQ(test::ReadFileBytes(dir / "taken.Json" / "inside"), "x");
}

TEST(JsonFileStore, UnreadableInputsReadAsNullWithoutSideEffects) {
    test::TempDir dir;
    test::TraceCapture traces;
    JsonFileStore store;

    EXPECT_TRUE(store.ReadJson(dir / "nofolder" / "x.Json").isNull());
    EXPECT_FALSE(std::filesystem::exists(dir / "nofolder"));
    EXPECT_TRUE(traces.Contains("readjsonFile 错误吗：：2\n"));

    test::WriteFileBytes(dir / "empty.Json", "");
    test::WriteFileBytes(dir / "truncated.Json", "{\"Device\":[{\"a\":1}");
    test::WriteFileBytes(dir / "binary.Json", std::string("\x00\xff\xfe{\x01", 5));
    test::WriteFileBytes(dir / "deep.Json", std::string(100000, '[') + std::string(100000, ']'));
    for (const char* name : {"empty.Json", "truncated.Json", "binary.Json", "deep.Json"}) {
        SCOPED_TRACE(name);
        EXPECT_TRUE(store.ReadJson(dir / name).isNull());
    }
    std::filesystem::create_directory(dir / "folder.Json");
    EXPECT_TRUE(store.ReadJson(dir / "folder.Json").isNull());
    EXPECT_TRUE(store.ReadText(dir / "folder.Json").empty());
}

TEST(JsonFileStore, FilesAboveTheCapAreUnreadable) {
    test::TempDir dir;
    JsonFileStore store;
    const auto path = dir / "huge.Json";
    test::WriteFileBytes(path, "{}");
    // Sparse: costs no disk, and must not be read into memory.
    std::filesystem::resize_file(path, JsonFileStore::kMaxFileBytes + 1);
    EXPECT_TRUE(store.ReadText(path).empty());
    EXPECT_TRUE(store.ReadJson(path).isNull());

    std::filesystem::resize_file(path, 2);
    EXPECT_EQ(store.ReadText(path), "{}");
}

TEST(JsonFileStore, ReadsCommentsAndNonStrictRoots) {
    test::TempDir dir;
    JsonFileStore store;
    test::WriteFileBytes(dir / "c.Json", "// factory\n{ \"a\" : 1 /* one */ }\n");
    EXPECT_EQ(store.ReadJson(dir / "c.Json")["a"].asInt(), 1);
    test::WriteFileBytes(dir / "n.Json", "42");
    EXPECT_EQ(store.ReadJson(dir / "n.Json").asInt(), 42);

    // A hand-edited file with a broken trailing comment must still be readable once rewritten.
    test::WriteFileBytes(dir / "broken.Json", "{\"a\":2}/*/");
    const Json::Value read = store.ReadJson(dir / "broken.Json");
    ASSERT_EQ(read["a"].asInt(), 2);
    ASSERT_EQ(store.WriteJson(dir / "broken.Json", read), 0);
    EXPECT_EQ(store.ReadJson(dir / "broken.Json"), read);
}

TEST(JsonFileStore, NewFilesFollowTheUmaskAndReplacedFilesKeepTheirMode) {
    test::TempDir dir;
    JsonFileStore store;
    const mode_t previous = ::umask(027);
    ASSERT_EQ(store.WriteJson(dir / "new.Json", Json::Value(1)), 0);
    ::umask(previous);
    EXPECT_EQ(std::filesystem::status(dir / "new.Json").permissions(),
              std::filesystem::perms(0640));

    std::filesystem::permissions(dir / "new.Json", std::filesystem::perms(0600));
    ASSERT_EQ(store.WriteJson(dir / "new.Json", Json::Value(2)), 0);
    EXPECT_EQ(std::filesystem::status(dir / "new.Json").permissions(),
              std::filesystem::perms(0600));
}

TEST(JsonFileStore, TimeStampHasTheIdentifierFormat) {
    // 2019-03-01 09:05:07.042 local time.
    std::tm local{};
    local.tm_year = 119;
    local.tm_mon = 2;
    local.tm_mday = 1;
    local.tm_hour = 9;
    local.tm_min = 5;
    local.tm_sec = 7;
    local.tm_isdst = -1;
    const auto when =
        std::chrono::system_clock::from_time_t(std::mktime(&local)) + std::chrono::milliseconds(42);
    EXPECT_EQ(JsonFileStore::MakeTimeStamp(when), "2019_03_01_09_05_07_042");
    // The same millisecond gives the same identifier.
    EXPECT_EQ(JsonFileStore::MakeTimeStamp(when + std::chrono::microseconds(900)),
              "2019_03_01_09_05_07_042");
    const std::string now = JsonFileStore::MakeTimeStamp();
    ASSERT_EQ(now.size(), 23u);
    for (size_t i = 0; i < now.size(); ++i) {
        const bool separator = i == 4 || i == 7 || i == 10 || i == 13 || i == 16 || i == 19;
        EXPECT_EQ(separator ? now[i] == '_' : std::isdigit(static_cast<unsigned char>(now[i])) != 0,
                  true)
            << now;
    }
}

}  // namespace
}  // namespace quaro
