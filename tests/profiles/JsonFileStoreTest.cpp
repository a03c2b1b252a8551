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

TEST(JsonFileStore, ReadsTellMissingUnreadableAndUnparsableApart) {
    test::TempDir dir;
    test::TraceCapture traces;
    JsonFileStore store;
    test::WriteFileBytes(dir / "good.Json", "{\"a\":1}");
    test::WriteFileBytes(dir / "bad.Json", "{\"a\":");
    test::WriteFileBytes(dir / "empty.Json", "");
    test::WriteFileBytes(dir / "null.Json", "null");
    test::WriteFileBytes(dir / "huge.Json", "{}");
    std::filesystem::resize_file(dir / "huge.Json", JsonFileStore::kMaxFileBytes + 1);
    std::filesystem::create_directory(dir / "folder.Json");
    std::filesystem::create_symlink("nowhere.Json", dir / "dangling.Json");
    const std::vector<std::pair<const char*, ReadState>> cases = {
        {"good.Json", ReadState::Read},        {"missing.Json", ReadState::Missing},
        {"dangling.Json", ReadState::Missing}, {"folder.Json", ReadState::Unreadable},
        {"huge.Json", ReadState::Unreadable},  {"bad.Json", ReadState::Unparsable},
        {"empty.Json", ReadState::Unparsable}, {"null.Json", ReadState::Unparsable},
    };
    for (const auto& [name, state] : cases) {
        SCOPED_TRACE(name);
        EXPECT_EQ(store.ReadDocument(dir / name).state, state);
    }
    EXPECT_EQ(store.ReadDocument(dir / "good.Json").value["a"], 1);
    EXPECT_EQ(store.ReadTextFile(dir / "empty.Json").state, ReadState::Read);
    if (::geteuid() != 0) {  // root reads whatever the mode says
        std::filesystem::permissions(dir / "good.Json", std::filesystem::perms::none);
        EXPECT_EQ(store.ReadDocument(dir / "good.Json").state, ReadState::Unreadable);
    }
}

TEST(JsonFileStore, MoveAsideKeepsEveryDamagedCopy) {
    test::TempDir dir;
    test::TraceCapture traces;
    JsonFileStore store;
    for (const char* text : {"one", "two"}) {
        test::WriteFileBytes(dir / "ProfileList.ini", text);
        ASSERT_TRUE(store.MoveAside(dir / "ProfileList.ini"));
    }
    std::vector<std::string> kept;
    for (const auto& item : std::filesystem::directory_iterator(dir.Path())) {
        const std::string name = item.path().filename().string();
        ASSERT_TRUE(name.starts_with("ProfileList.ini.damaged-")) << name;
        EXPECT_EQ(name.size(), std::string("ProfileList.ini.damaged-").size() + 23);
        kept.push_back(test::ReadFileBytes(item.path()));
    }
    std::sort(kept.begin(), kept.end());
    EXPECT_EQ(kept, (std::vector<std::string>{"one", "two"}));
    EXPECT_FALSE(store.MoveAside(dir / "ProfileList.ini"));  // nothing there any more
}

// 8 MiB of "0," would be four million values; JsonCpp would spend hundreds of megabytes on them.
TEST(JsonFileStore, DocumentsBeyondTheBoundsAreRefused) {
    test::TraceCapture traces;
    auto zeros = [](std::size_t count) {
        std::string text = "[0";
        for (std::size_t i = 1; i < count; ++i) {
            text += ",0";
        }
        return text + "]";
    };
    EXPECT_EQ(JsonFileStore::ParseDocument(zeros(JsonFileStore::kMaxValues - 1)).size(),
              JsonFileStore::kMaxValues - 1);
    EXPECT_TRUE(JsonFileStore::ParseDocument(zeros(JsonFileStore::kMaxValues + 1)).isNull());
    EXPECT_TRUE(traces.Contains("JSON document refused: more than 200000 values\n"));
    // Separators inside strings and comments are not values.
    const std::string commas(JsonFileStore::kMaxValues + 1, ',');
    EXPECT_EQ(JsonFileStore::ParseDocument("{\"a\":\"" + commas + "\"}")["a"].asString(), commas);
    EXPECT_EQ(JsonFileStore::ParseDocument("// " + commas + "\n/* " + commas + " */ [1]").size(),
              1u);
    EXPECT_EQ(JsonFileStore::ParseDocument(std::string(JsonFileStore::kMaxDepth, '[') +
                                           std::string(JsonFileStore::kMaxDepth, ']'))
                  .size(),
              1u);
    EXPECT_TRUE(JsonFileStore::ParseDocument(std::string(JsonFileStore::kMaxDepth + 1, '[') +
                                             std::string(JsonFileStore::kMaxDepth + 1, ']'))
                    .isNull());

    test::TempDir dir;
    test::WriteFileBytes(dir / "big.Json",
                         "\"" + std::string(JsonFileStore::kMaxFileBytes - 2, 'x') + "\"");
    EXPECT_EQ(JsonFileStore().ReadJson(dir / "big.Json").asString().size(),
              JsonFileStore::kMaxFileBytes - 2);
    test::WriteFileBytes(dir / "big.Json",
                         "\"" + std::string(JsonFileStore::kMaxFileBytes - 1, 'x') + "\"");
    EXPECT_EQ(JsonFileStore().ReadDocument(dir / "big.Json").state, ReadState::Unreadable);
}

TEST(JsonFileStore, ReadOnlyTargetsStayAndLinksAreWrittenThrough) {
    test::TempDir dir;
    test::TraceCapture traces;
    JsonFileStore store;
    test::WriteFileBytes(dir / "locked.Json", "{}\n");
    std::filesystem::permissions(dir / "locked.Json", std::filesystem::perms(0444));
    EXPECT_EQ(store.WriteJson(dir / "locked.Json", Json::Value(1)), 1);
    EXPECT_EQ(test::ReadFileBytes(dir / "locked.Json"), "{}\n");
    EXPECT_EQ(std::filesystem::status(dir / "locked.Json").permissions(),
              std::filesystem::perms(0444));

    std::filesystem::create_directory(dir / "real");
    test::WriteFileBytes(dir / "real" / "p.Json", "{}");
    std::filesystem::create_symlink("real/p.Json", dir / "link.Json");
    std::filesystem::create_symlink(dir / "link.Json", dir / "second.Json");
    ASSERT_EQ(store.WriteJson(dir / "second.Json", Json::Value(2)), 0);
    EXPECT_TRUE(std::filesystem::is_symlink(dir / "link.Json"));
    EXPECT_TRUE(std::filesystem::is_symlink(dir / "second.Json"));
    EXPECT_EQ(store.ReadJson(dir / "real" / "p.Json"), Json::Value(2));

    // A link to a file not made yet makes it; a loop of links is refused.
    std::filesystem::create_symlink("real/new.Json", dir / "ahead.Json");
    ASSERT_EQ(store.WriteJson(dir / "ahead.Json", Json::Value(3)), 0);
    EXPECT_EQ(store.ReadJson(dir / "real" / "new.Json"), Json::Value(3));
    std::filesystem::create_symlink("loop.Json", dir / "loop.Json");
    EXPECT_EQ(store.WriteJson(dir / "loop.Json", Json::Value(4)), 1);
    EXPECT_TRUE(std::filesystem::is_symlink(dir / "loop.Json"));
}

TEST(JsonFileStore, TemporaryFilesLeftByACrashGoWithTheNextWrite) {
    test::TempDir dir;
    test::TraceCapture traces;
    JsonFileStore store;
    for (const char* left : {".ProfileList.ini.a1B2c3", ".2024_01_01_00_00_00_000.Json.zZ9yY8",
                             ".macro.config.Q1w2E3"}) {
        test::WriteFileBytes(dir / left, "{\"half");
    }
    // Not ours: another pattern, or a file that is not a store's.
    for (const char* kept :
         {".notes.txt.a1B2c3", ".ProfileList.ini.a1B2", "ProfileList.ini.a1B2c3"}) {
        test::WriteFileBytes(dir / kept, "mine");
    }
    ASSERT_EQ(store.WriteJson(dir / "p.Json", Json::Value(1)), 0);
    std::vector<std::string> names;
    for (const auto& item : std::filesystem::directory_iterator(dir.Path())) {
        names.push_back(item.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{".ProfileList.ini.a1B2", ".notes.txt.a1B2c3",
                                               "ProfileList.ini.a1B2c3", "p.Json"}));
    EXPECT_TRUE(traces.Contains(
        "removed temporary file left behind: " + (dir / ".macro.config.Q1w2E3").string() + "\n"));
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
