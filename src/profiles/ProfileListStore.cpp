#include "profiles/ProfileListStore.h"

#include "platform/Trace.h"
#include "profiles/JsonAccess.h"
#include "profiles/StoreFileNames.h"
#include "profiles/StoredNames.h"

#include <algorithm>
#include <cstdio>
#include <optional>
#include <system_error>
#include <utility>

namespace quaro {
namespace {

constexpr int kHeadsetKind = 7;

Json::Value NewEntry(const std::string& name, const std::string& identifier) {
    Json::Value entry(Json::objectValue);
    entry["profilename"] = name;
    entry["profileUUID"] = identifier;
    entry["profileislink"] = 0;
    entry["profilelinkmame"] = "";
    return entry;
}

Json::Value& WritableEntries(Json::Value& list) {
    Json::Value& entries = WritableMember(list, "profilelist");
    if (!entries.isArray()) {
        entries = Json::Value(Json::arrayValue);
    }
    return entries;
}

// A list whose "profilelist" is something else than an array holds what a rewrite would lose.
bool IsListDocument(const Json::Value& list) {
    return list.isObject() && (!list.isMember("profilelist") || list["profilelist"].isArray());
}

std::vector<std::string> NamesOf(const Json::Value& list) {
    std::vector<std::string> names;
    for (const Json::Value& entry : ArrayMemberOf(list, "profilelist")) {
        names.push_back(StringMember(entry, "profilename"));
    }
    return names;
}

bool NameTaken(const std::vector<std::string>& names, const std::string& name, int except = -1) {
    for (std::size_t i = 0; i < names.size(); ++i) {
        if (static_cast<int>(i) != except && EqualsIgnoringCase(names[i], name)) {
            return true;
        }
    }
    return false;
}

// N, then N(1), then N(1)(2) while a profile carries the name.
std::string UnclashedName(std::string name, const std::vector<std::string>& names) {
    for (int counter = 1; NameTaken(names, name); ++counter) {
        name += "(" + std::to_string(counter) + ")";
    }
    return name;
}

}  // namespace

std::filesystem::path ProfileListStore::ProfilePath(const std::string& identifier) const {
    if (identifier.empty()) {
        return {};
    }
    return m_folder / (identifier + std::string(kProfileExtension));
}

std::filesystem::path ProfileListStore::ListPath() const {
    return m_folder / kProfileListFileName;
}

bool ProfileListStore::LoadList(Json::Value& list, bool* rebuilt) const {
    std::optional<Json::Value> stored = m_store.ReadForUpdate(ListPath(), IsListDocument);
    if (!stored) {
        return false;
    }
    const bool empty = ArrayMemberOf(*stored, "profilelist").empty();
    list = empty ? RebuildList() : std::move(*stored);
    if (rebuilt != nullptr) {
        *rebuilt = empty;
    }
    return true;
}

Json::Value ProfileListStore::RebuildList() const {
    // Every profile document names itself, and identifiers are creation time stamps, so the
    // documents give back the profiles in the order they were made.
    std::vector<std::pair<std::string, std::string>> found;
    std::error_code error;
    std::filesystem::directory_iterator files(m_folder, error);
    for (; !error && files != std::filesystem::directory_iterator(); files.increment(error)) {
        const std::filesystem::path& path = files->path();
        const std::string identifier = path.stem().string();
        if (path.extension() != kProfileExtension || !IsPlainFileName(identifier)) {
            continue;
        }
        const DocumentRead document = m_store.ReadDocument(path);
        if (document.state == ReadState::Read &&
            StringMember(document.value, "profileUUID") == identifier &&
            MemberOf(document.value, "profilename").isString()) {
            found.emplace_back(identifier, StringMember(document.value, "profilename"));
        }
    }
    std::sort(found.begin(), found.end());
    Json::Value list(Json::objectValue);
    Json::Value& entries = WritableEntries(list);
    std::vector<std::string> names;
    for (const auto& [identifier, storedName] : found) {
        names.push_back(UnclashedName(storedName, names));
        entries.append(NewEntry(names.back(), identifier));
    }
    list["profileselect"] = 0;
    if (!found.empty()) {
        TraceFormat("profile list rebuilt from %zu profile documents\n", found.size());
    }
    return list;
}

bool ProfileListStore::WriteList(const Json::Value& list) const {
    return m_store.WriteJson(ListPath(), list) == 0;
}

void ProfileListStore::TakeNames(const Json::Value& list) {
    m_names = NamesOf(list);
    if (m_selected >= static_cast<int>(m_names.size())) {
        m_selected = static_cast<int>(m_names.size()) - 1;
        m_currentId = EntryIdentifier(list, m_selected);
    }
}

std::string ProfileListStore::NewIdentifier(const Json::Value& list) const {
    const Json::Value& entries = ArrayMemberOf(list, "profilelist");
    return MakeFreshIdentifier([&](const std::string& identifier) {
        for (const Json::Value& entry : entries) {
            if (StringMember(entry, "profileUUID") == identifier) {
                return true;
            }
        }
        std::error_code error;
        return std::filesystem::exists(
            std::filesystem::symlink_status(ProfilePath(identifier), error));
    });
}

std::string ProfileListStore::EntryIdentifier(const Json::Value& list, int index) const {
    if (index < 0) {
        return {};
    }
    const std::string identifier = StringMember(
        ElementOf(ArrayMemberOf(list, "profilelist"), static_cast<Json::ArrayIndex>(index)),
        "profileUUID");
    return CheckPlainFileName(identifier, "profileUUID") ? identifier : std::string();
}

bool ProfileListStore::WriteProfileDocument(Json::Value document, const std::string& name,
                                            const std::string& identifier) const {
    if (!document.isObject()) {
        document = Json::Value(Json::objectValue);
    }
    document["profilename"] = name;
    document["profileUUID"] = identifier;
    return m_store.WriteJson(ProfilePath(identifier), document) == 0;
}

bool ProfileListStore::AppendProfile(Json::Value& list, Json::Value document,
                                     const std::string& name, bool select) {
    // The document goes first: a list entry without its document would load as the default.
    const std::string identifier = NewIdentifier(list);
    if (!WriteProfileDocument(std::move(document), name, identifier)) {
        return false;
    }
    Json::Value& entries = WritableEntries(list);
    entries.append(NewEntry(name, identifier));
    if (select) {
        list["profileselect"] = entries.size() - 1;
    }
    if (!WriteList(list)) {
        std::error_code error;
        std::filesystem::remove(ProfilePath(identifier), error);
        return false;
    }
    TakeNames(list);
    return true;
}

bool ProfileListStore::HasFolder() const {
    if (m_folder.empty()) {
        // The user data folder could not be made; relative names would land in the working
        // directory.
        Trace("profile list has no folder\n");
        return false;
    }
    return true;
}

void ProfileListStore::InitProfileList() {
    m_names.clear();
    m_selected = -1;
    m_currentId.clear();
    if (!HasFolder()) {
        return;
    }
    Json::Value list;
    bool changed = false;
    bool writable = LoadList(list, &changed);
    if (!writable) {
        // The damaged list stays where it is; the profiles are still shown and usable.
        list = RebuildList();
    }
    if (ArrayMemberOf(list, "profilelist").empty()) {
        const std::string name = "profile1";
        const std::string identifier = NewIdentifier(list);
        list = Json::Value(Json::objectValue);
        list["profilelist"].append(NewEntry(name, identifier));
        list["profileselect"] = 0;
        writable = writable &&
                   WriteProfileDocument(m_store.ReadJson(m_defaultProfilePath), name, identifier);
        changed = true;
    }
    m_names = NamesOf(list);
    const Json::Value& stored = MemberOf(list, "profileselect");
    const int selection =
        stored.isIntegral() && IntMember(list, "profileselect") >= 0 &&
                IntMember(list, "profileselect") < static_cast<int>(m_names.size())
            ? IntMember(list, "profileselect")
            : 0;
    m_selected = selection;
    m_currentId = EntryIdentifier(list, selection);
    // A selection that names no profile would hand the page an empty identifier next time.
    if (!stored.isIntegral() || IntMember(list, "profileselect") != selection) {
        list["profileselect"] = selection;
        changed = true;
    }
    if (changed && writable && !WriteList(list)) {
        Trace("profile list could not be written\n");
    }
}

bool ProfileListStore::SelectProfile(int index) {
    if (index < 0 || index >= static_cast<int>(m_names.size())) {
        return false;
    }
    Json::Value list;
    if (!LoadList(list) || index >= static_cast<int>(ArrayMemberOf(list, "profilelist").size())) {
        return false;
    }
    WritableMember(list, "profileselect") = index;
    if (!WriteList(list)) {
        return false;
    }
    m_selected = index;
    m_currentId = EntryIdentifier(list, index);
    TakeNames(list);
    return true;
}

bool ProfileListStore::AddProfile() {
    Json::Value list;
    if (!HasFolder() || static_cast<int>(m_names.size()) >= kMaxProfiles || !LoadList(list)) {
        return false;
    }
    const std::vector<std::string> names = NamesOf(list);
    if (static_cast<int>(names.size()) >= kMaxProfiles) {
        return false;
    }
    const std::string name = LowestFreeName(
        "profile", [&names](const std::string& candidate) { return NameTaken(names, candidate); });
    return AppendProfile(list, m_store.ReadJson(m_defaultProfilePath), name, true);
}

bool ProfileListStore::CopyProfile() {
    Json::Value list;
    if (m_selected < 0 || !LoadList(list)) {
        return false;
    }
    const std::vector<std::string> names = NamesOf(list);
    if (m_selected >= static_cast<int>(names.size())) {
        return false;
    }
    std::string name = names[static_cast<std::size_t>(m_selected)] + " copy";
    while (NameTaken(names, name)) {
        name += " copy";
    }
    const std::string source = EntryIdentifier(list, m_selected);
    Json::Value document = source.empty() ? Json::Value() : m_store.ReadJson(ProfilePath(source));
    return AppendProfile(list, std::move(document), name, false);
}

bool ProfileListStore::DeleteProfile() {
    Json::Value list;
    if (m_selected < 0 || m_names.size() < 2 || !LoadList(list)) {
        return false;
    }
    const int deleted = m_selected;
    const int selection = deleted > 0 ? deleted - 1 : 0;
    Json::Value& entries = WritableEntries(list);
    if (entries.size() < 2 || deleted >= static_cast<int>(entries.size())) {
        return false;
    }
    const std::string identifier = EntryIdentifier(list, deleted);
    Json::Value removed;
    entries.removeIndex(static_cast<Json::ArrayIndex>(deleted), &removed);
    list["profileselect"] = selection;
    // The document goes only once the list no longer names it.
    if (!WriteList(list)) {
        return false;
    }
    if (!identifier.empty()) {
        std::error_code error;
        std::filesystem::remove(ProfilePath(identifier), error);
    }
    m_selected = selection;
    m_currentId = EntryIdentifier(list, selection);
    TakeNames(list);
    return true;
}

bool ProfileListStore::ImportProfile(const std::filesystem::path& path) {
    if (!HasFolder()) {
        return false;
    }
    DocumentRead document = m_store.ReadDocument(path);
    Json::Value list;
    if (document.state != ReadState::Read || !MemberOf(document.value, "profilename").isString() ||
        !LoadList(list)) {
        return false;
    }
    const std::string name =
        UnclashedName(StringMember(document.value, "profilename"), NamesOf(list));
    return AppendProfile(list, std::move(document.value), name, false);
}

bool ProfileListStore::ExportProfile(const std::filesystem::path& path) const {
    if (m_selected < 0) {
        return false;
    }
    const std::string identifier = EntryIdentifier(m_store.ReadJson(ListPath()), m_selected);
    if (identifier.empty()) {
        return false;
    }
    const Json::Value document = m_store.ReadJson(ProfilePath(identifier));
    // Nothing readable to export: writing "null" would look like success.
    if (!document.isObject()) {
        return false;
    }
    return m_store.WriteJson(path, document) == 0;
}

bool ProfileListStore::RenameProfile(const std::string& name) {
    Json::Value list;
    if (m_selected < 0 || !LoadList(list)) {
        return false;
    }
    const std::vector<std::string> names = NamesOf(list);
    if (m_selected >= static_cast<int>(names.size()) || NameTaken(names, name, m_selected)) {
        return false;
    }
    Json::Value& entry = WritableEntries(list)[static_cast<Json::ArrayIndex>(m_selected)];
    if (entry.isObject()) {
        entry["profilename"] = name;
    }
    if (!WriteList(list)) {
        return false;
    }
    TakeNames(list);
    const std::string identifier = EntryIdentifier(list, m_selected);
    if (identifier.empty()) {
        return true;
    }
    // A damaged document is left for loading to move aside; its name lives in the list.
    DocumentRead document = m_store.ReadDocument(ProfilePath(identifier));
    if (document.state != ReadState::Read || !document.value.isObject()) {
        return true;
    }
    document.value["profilename"] = name;
    return m_store.WriteJson(ProfilePath(identifier), document.value) == 0;
}

bool ProfileListStore::ResetProfile() {
    if (m_selected < 0) {
        return false;
    }
    const Json::Value list = m_store.ReadJson(ListPath());
    const std::string identifier = EntryIdentifier(list, m_selected);
    if (identifier.empty()) {
        return false;
    }
    const std::string name = StringMember(
        ElementOf(ArrayMemberOf(list, "profilelist"), static_cast<Json::ArrayIndex>(m_selected)),
        "profilename");
    // What the profile held is replaced on purpose, but a document that cannot be read may
    // still be worth recovering by hand.
    const std::optional<Json::Value> current = m_store.ReadForUpdate(ProfilePath(identifier));
    if (!current) {
        return false;
    }
    Json::Value document = m_store.ReadJson(m_defaultProfilePath);
    if (!document.isObject()) {
        document = Json::Value(Json::objectValue);
    }
    if (m_kind == kHeadsetKind) {
        const Json::Value& currentEntry = ElementOf(ArrayMemberOf(*current, "Device"), 0);
        for (const char* member : {"CustomEQNameInfo", "CustomEQHzValueInfo"}) {
            const Json::Value& kept = MemberOf(currentEntry, member);
            if (!kept.isNull()) {
                WritableMember(WritableElement(WritableMember(document, "Device"), 0), member) =
                    kept;
            }
        }
    }
    return WriteProfileDocument(std::move(document), name, identifier);
}

}  // namespace quaro
