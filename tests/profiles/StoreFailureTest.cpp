// What the stores do when a read or a write fails: nothing the user had is lost, a failure is
// reported as one, and what the stores hold in memory stays as it is on disk.
#include "TempDir.h"
#include "TraceCapture.h"
#include "profiles/CBasicProfiledata.h"
#include "profiles/MacroLibrary.h"
#include "profiles/ProfileListStore.h"

#include <gtest/gtest.h>

#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace quaro {
namespace {

namespace fs = std::filesystem;

// Every write past limit bytes fails, as on a disk that fills up.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t limit) {
        struct sigaction ignore {};
        ignore.sa_handler = SIG_IGN;
        ::sigaction(SIGXFSZ, &ignore, &m_previousAction);
        ::getrlimit(RLIMIT_FSIZE, &m_previousLimit);
        rlimit tiny = m_previousLimit;
        tiny.rlim_cur = limit;
        ::setrlimit(RLIMIT_FSIZE, &tiny);
    }
    ~FileSizeLimit() {
        ::setrlimit(RLIMIT_FSIZE, &m_previousLimit);
        ::sigaction(SIGXFSZ, &m_previousAction, nullptr);
    }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

private:
    struct sigaction m_previousAction {};
    rlimit m_previousLimit{};
};

std::vector<std::string> FilesIn(const fs::path& folder) {
    std::vector<std::string> names;
    for (const auto& item : fs::directory_iterator(folder)) {
        names.push_back(item.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

std::vector<std::string> DamagedCopies(const fs::path& folder, const std::string& name) {
    std::vector<std::string> copies;
    for (const std::string& file : FilesIn(folder)) {
        if (file.starts_with(name + ".damaged-")) {
            copies.push_back(file);
        }
    }
    return copies;
}

class ProfileListFailure : public ::testing::Test {
protected:
    void SetUp() override {
        test::WriteFileBytes(m_dir / "default.Json",
                             R"({"Device":[{"LightInfo":{"SelectItem":3}}]})");
        // Three profiles as the system writes them, identifiers in creation order.
        Json::Value list;
        for (int i = 0; i < 3; ++i) {
            const std::string id = "2024_01_0" + std::to_string(i + 1) + "_00_00_00_000";
            const std::string name = "profile" + std::to_string(i + 1);
            Json::Value entry;
            entry["profilename"] = name;
            entry["profileUUID"] = id;
            list["profilelist"].append(entry);
            Json::Value document;
            document["profilename"] = name;
            document["profileUUID"] = id;
            document["Device"][0]["mark"] = i;
            JsonFileStore().WriteJson(m_dir / (id + ".Json"), document);
        }
        list["profileselect"] = 1;
        JsonFileStore().WriteJson(m_dir / "ProfileList.ini", list);
        Init(m_store);
    }

    void Init(ProfileListStore& store) const {
        store.SetDeviceKind(1);
        store.SetFolder(m_dir.Path());
        store.SetDefaultProfilePath(m_dir / "default.Json");
        store.InitProfileList();
    }

    std::vector<std::string> NamesAfterRestart() const {
        ProfileListStore store;
        Init(store);
        return store.Names();
    }

    test::TempDir m_dir;
    test::TraceCapture m_traces;
    ProfileListStore m_store;
};

// The list became unreadable between start and the next change; the change must not replace
// it with a list of the new profile alone.
TEST_F(ProfileListFailure, UnreadableListIsMovedAsideAndRebuiltFromTheDocuments) {
    const std::string original = test::ReadFileBytes(m_dir / "ProfileList.ini");
    fs::rename(m_dir / "ProfileList.ini", m_dir / "saved");
    fs::create_directory(m_dir / "ProfileList.ini");  // unreadable for root as well
    fs::rename(m_dir / "saved", m_dir / "ProfileList.ini" / "inside");

    ASSERT_TRUE(m_store.AddProfile());
    EXPECT_EQ(m_store.Names(),
              (std::vector<std::string>{"profile1", "profile2", "profile3", "profile4"}));
    EXPECT_EQ(NamesAfterRestart(), m_store.Names());
    const auto copies = DamagedCopies(m_dir.Path(), "ProfileList.ini");
    ASSERT_EQ(copies.size(), 1u);
    EXPECT_EQ(test::ReadFileBytes(m_dir / copies[0] / "inside"), original);
    EXPECT_TRUE(
        m_traces.Contains("moved damaged store aside: " + (m_dir / "ProfileList.ini").string() +
                          " -> " + (m_dir / copies[0]).string() + "\n"));
}

TEST_F(ProfileListFailure, UnparsableListIsKeptAsideByEveryChange) {
    using Change = std::function<bool(ProfileListStore&)>;
    const std::vector<std::pair<const char*, Change>> changes = {
        {"select", [](ProfileListStore& store) { return store.SelectProfile(2); }},
        {"add", [](ProfileListStore& store) { return store.AddProfile(); }},
        {"copy", [](ProfileListStore& store) { return store.CopyProfile(); }},
        {"rename", [](ProfileListStore& store) { return store.RenameProfile("night"); }},
        {"delete", [](ProfileListStore& store) { return store.DeleteProfile(); }},
    };
    for (const auto& [what, change] : changes) {
        SCOPED_TRACE(what);
        for (const std::string& copy : DamagedCopies(m_dir.Path(), "ProfileList.ini")) {
            fs::remove(m_dir / copy);
        }
        Init(m_store);
        const std::vector<std::string> before = m_store.Names();
        test::WriteFileBytes(m_dir / "ProfileList.ini", R"({"profilelist":[{"profilena)");
        ASSERT_TRUE(change(m_store));
        const auto copies = DamagedCopies(m_dir.Path(), "ProfileList.ini");
        ASSERT_EQ(copies.size(), 1u);
        EXPECT_EQ(test::ReadFileBytes(m_dir / copies[0]), R"({"profilelist":[{"profilena)");
        // Every profile that was there is still listed.
        const std::vector<std::string> after = NamesAfterRestart();
        EXPECT_EQ(after, m_store.Names());
        EXPECT_GE(after.size() + (std::string(what) == "delete" ? 1 : 0), before.size());
    }
}

TEST_F(ProfileListFailure, LostListIsRebuiltFromTheDocuments) {
    fs::remove(m_dir / "ProfileList.ini");
    ProfileListStore store;
    Init(store);
    EXPECT_EQ(store.Names(), (std::vector<std::string>{"profile1", "profile2", "profile3"}));
    EXPECT_EQ(store.GetCurrentProfileId(), "2024_01_01_00_00_00_000");
    EXPECT_EQ(NamesAfterRestart(), store.Names());

    // Lost while the program runs: the next change keeps every profile.
    fs::remove(m_dir / "ProfileList.ini");
    ASSERT_TRUE(m_store.CopyProfile());
    EXPECT_EQ(NamesAfterRestart(),
              (std::vector<std::string>{"profile1", "profile2", "profile3", "profile2 copy"}));
}

// A list the program may not write: every change fails, nothing on disk changes and the names
// stay those of the list on disk.
TEST_F(ProfileListFailure, FailedListWritesChangeNothing) {
    const std::string list = test::ReadFileBytes(m_dir / "ProfileList.ini");
    const std::vector<std::string> files = FilesIn(m_dir.Path());
    fs::permissions(m_dir / "ProfileList.ini", fs::perms(0444));
    EXPECT_FALSE(m_store.AddProfile());
    EXPECT_FALSE(m_store.CopyProfile());
    EXPECT_FALSE(m_store.RenameProfile("night"));
    EXPECT_FALSE(m_store.DeleteProfile());
    EXPECT_FALSE(m_store.SelectProfile(2));
    test::WriteFileBytes(m_dir / "in.json", R"({"profilename":"x","profileUUID":"y"})");
    EXPECT_FALSE(m_store.ImportProfile(m_dir / "in.json"));
    fs::remove(m_dir / "in.json");

    EXPECT_EQ(m_store.Names(), (std::vector<std::string>{"profile1", "profile2", "profile3"}));
    EXPECT_EQ(m_store.SelectedIndex(), 1);
    EXPECT_EQ(test::ReadFileBytes(m_dir / "ProfileList.ini"), list);
    EXPECT_EQ(FilesIn(m_dir.Path()), files);  // no orphaned document, no document removed
}

// The measured case itself: mode 000 on the list, as a user other than root.
TEST_F(ProfileListFailure, ListWithoutReadPermissionIsNeverWrittenOver) {
    constexpr uid_t kNobody = 65534;
    const bool root = ::geteuid() == 0;
    if (root) {
        for (const auto& item : fs::recursive_directory_iterator(m_dir.Path())) {
            ASSERT_EQ(::chown(item.path().c_str(), kNobody, kNobody), 0);
        }
        ASSERT_EQ(::chown(m_dir.Path().c_str(), kNobody, kNobody), 0);
    }
    const std::string original = test::ReadFileBytes(m_dir / "ProfileList.ini");
    // The checks run in a child so that it can give up root; it reports by its exit code.
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        if (root && (::setgid(kNobody) != 0 || ::setuid(kNobody) != 0)) {
            ::_exit(10);
        }
        ProfileListStore store;
        Init(store);
        if (::chmod((m_dir / "ProfileList.ini").c_str(), 0) != 0) {
            ::_exit(11);
        }
        if (!store.AddProfile()) {
            ::_exit(12);
        }
        if (NamesAfterRestart().size() != 4) {
            ::_exit(13);
        }
        ::_exit(DamagedCopies(m_dir.Path(), "ProfileList.ini").size() == 1 ? 0 : 14);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
    const auto copies = DamagedCopies(m_dir.Path(), "ProfileList.ini");
    ASSERT_EQ(copies.size(), 1u);
    EXPECT_EQ(test::ReadFileBytes(m_dir / copies[0]), original);
}

TEST(ProfileDocumentFailure, DamagedDocumentIsMovedAsideBeforeTheEntryIsSaved) {
    test::TempDir dir;
    test::TraceCapture traces;
    const std::string damaged = R"({"Device":[{"LightInfo":{"SelectItem":)";
    test::WriteFileBytes(dir / "p.Json", R"({"Device":[{"LightInfo":{"SelectItem":5}}]})");
    CBasicProfiledata profile;
    profile.SetProfilePath(dir / "p.Json");
    profile.Load(dir / "p.Json");
    test::WriteFileBytes(dir / "p.Json", damaged);
    profile.SetLightInfo(7, 0, 0);
    ASSERT_EQ(profile.Save(), 0);
    const auto copies = DamagedCopies(dir.Path(), "p.Json");
    ASSERT_EQ(copies.size(), 1u);
    EXPECT_EQ(test::ReadFileBytes(dir / copies[0]), damaged);
    EXPECT_EQ(JsonFileStore().ReadJson(dir / "p.Json")["Device"][0]["LightInfo"]["SelectItem"], 7);

    // A document that cannot be moved aside is not written over.
    fs::remove(dir / copies[0]);
    fs::create_directory(dir / "p.Json.damaged-x");
    test::WriteFileBytes(dir / "p.Json", damaged);
    const fs::perms folder = fs::status(dir.Path()).permissions();
    fs::permissions(dir.Path(), fs::perms(0555));
    if (::access(dir.Path().c_str(), W_OK) != 0) {  // root writes anyway
        EXPECT_EQ(profile.Save(), 1);
        EXPECT_EQ(test::ReadFileBytes(dir / "p.Json"), damaged);
    }
    fs::permissions(dir.Path(), folder);
}

class MacroFailure : public ::testing::Test {
protected:
    void SetUp() override {
        for (int i = 0; i < 10; ++i) {
            ASSERT_FALSE(m_library.Add().empty());
            ASSERT_TRUE(m_library.Save(i, {MacroEvent{5, 10, true, static_cast<std::uint8_t>(i)}}));
        }
    }

    test::TempDir m_dir;
    test::TraceCapture m_traces;
    MacroLibrary m_library{m_dir.Path()};
};

// The library outgrows what the disk takes; the small event file still fits.
TEST_F(MacroFailure, ImportWhoseLibraryWriteFailsOverwritesNoOtherMacro) {
    const std::string lastEvents = test::ReadFileBytes(m_library.EventFilePath(9));
    const std::vector<std::string> files = FilesIn(m_dir.Path());
    test::WriteFileBytes(m_dir / "in.mac", R"({"Events":[]})");
    {
        const FileSizeLimit limit(600);
        ASSERT_GT(fs::file_size(m_library.LibraryPath()), 600u);
        EXPECT_EQ(m_library.Add(), "");
        EXPECT_EQ(m_library.Import(m_dir / "in.mac"), "");
    }
    EXPECT_EQ(m_library.Count(), 10);
    EXPECT_EQ(test::ReadFileBytes(m_library.EventFilePath(9)), lastEvents);
    fs::remove(m_dir / "in.mac");
    EXPECT_EQ(FilesIn(m_dir.Path()), files);

    // Once the write works again the import lands in a macro of its own.
    test::WriteFileBytes(m_dir / "in.mac", R"({"Events":[]})");
    EXPECT_EQ(m_library.Import(m_dir / "in.mac"), "macro_11");
    EXPECT_EQ(test::ReadFileBytes(m_library.EventFilePath(10)), R"({"Events":[]})");
    EXPECT_EQ(test::ReadFileBytes(m_library.EventFilePath(9)), lastEvents);
}

TEST_F(MacroFailure, UnreadableSourcesImportAndExportNothing) {
    const std::vector<std::string> files = FilesIn(m_dir.Path());
    test::WriteFileBytes(m_dir / "huge.mac", "{}");
    fs::resize_file(m_dir / "huge.mac", JsonFileStore::kMaxFileBytes + 1);
    fs::create_directory(m_dir / "folder.mac");
    for (const char* source : {"huge.mac", "folder.mac", "missing.mac"}) {
        SCOPED_TRACE(source);
        EXPECT_EQ(m_library.Import(m_dir / source), "");
    }
    EXPECT_EQ(m_library.Count(), 10);

    // An event file over the cap exports nothing rather than an empty file.
    fs::resize_file(m_library.EventFilePath(3), JsonFileStore::kMaxFileBytes + 1);
    EXPECT_FALSE(m_library.Export(3, m_dir / "out.mac"));
    EXPECT_FALSE(fs::exists(m_dir / "out.mac"));
    fs::remove(m_dir / "huge.mac");
    fs::remove(m_dir / "folder.mac");
    EXPECT_EQ(FilesIn(m_dir.Path()), files);
}

TEST_F(MacroFailure, FailedLibraryWritesAreReportedAndKeepTheEvents) {
    const std::string library = test::ReadFileBytes(m_library.LibraryPath());
    fs::permissions(m_library.LibraryPath(), fs::perms(0444));
    EXPECT_EQ(m_library.Add(), "");
    EXPECT_FALSE(m_library.Rename(0, "jump"));
    const fs::path events = m_library.EventFilePath(0);
    EXPECT_FALSE(m_library.Delete(0));
    EXPECT_TRUE(fs::exists(events));
    EXPECT_EQ(test::ReadFileBytes(m_library.LibraryPath()), library);
}

TEST_F(MacroFailure, DamagedLibraryIsMovedAsideBeforeAMacroIsAdded) {
    test::WriteFileBytes(m_library.LibraryPath(), R"({"MacroInfo":[{"MacroName":"macro_1",)");
    EXPECT_TRUE(m_library.Names().empty());
    EXPECT_EQ(m_library.Add(), "macro_1");
    const auto copies = DamagedCopies(m_dir.Path(), "macro.config");
    ASSERT_EQ(copies.size(), 1u);
    EXPECT_EQ(test::ReadFileBytes(m_dir / copies[0]), R"({"MacroInfo":[{"MacroName":"macro_1",)");
}

}  // namespace
}  // namespace quaro
