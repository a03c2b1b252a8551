#include "profiles/ProfileListStore.h"

#include "platform/Trace.h"
#include "profiles/JsonAccess.h"
#include "profiles/StoreFileNames.h"
#include "profiles/StoredNames.h"

#include <cstdio>
#include <system_error>

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

}  // namespace

std::filesystem::path ProfileListStore::ProfilePath(const std::string& identifier) const {
    if (identifier.empty()) {
        return {};
    }
    return m_folder / (identifier + std::string(kProfileExtension));
}

Json::Value ProfileListStore::ReadList() const {
    return m_store.ReadJson(m_folder / kProfileListFileName);
}

void ProfileListStore::WriteList(const Json::Value& list) const {
    m_store.WriteJson(m_folder / kProfileListFileName, list);
}

bool ProfileListStore::NameTaken(const std::string& name, int except) const {
    for (std::size_t i = 0; i < m_names.size(); ++i) {
        if (static_cast<int>(i) != except && EqualsIgnoringCase(m_names[i], name)) {
            return true;
        }
    }
    return false;
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
        return std::filesystem::exists(ProfilePath(identifier), error);
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

void ProfileListStore::WriteProfileDocument(Json::Value document, const std::string& name,
                                            const std::string& identifier) const {
    if (!document.isObject()) {
        document = Json::Value(Json::objectValue);
    }
    document["profilename"] = name;
    document["profileUUID"] = identifier;
    m_store.WriteJson(ProfilePath(identifier), document);
}

std::string ProfileListStore::AppendProfile(Json::Value& list, const std::string& name,
                                            bool select) {
    const std::string identifier = NewIdentifier(list);
    Json::Value& entries = WritableEntries(list);
    entries.append(NewEntry(name, identifier));
    if (select) {
        list["profileselect"] = entries.size() - 1;
    }
    WriteList(list);
    m_names.push_back(name);
    return identifier;
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
    Json::Value list = ReadList();
    if (ArrayMemberOf(list, "profilelist").empty()) {
        const std::string name = "profile1";
        const std::string identifier = MakeFreshIdentifier([&](const std::string& candidate) {
            std::error_code error;
            return std::filesystem::exists(ProfilePath(candidate), error);
        });
        list = Json::Value(Json::objectValue);
        list["profilelist"].append(NewEntry(name, identifier));
        list["profileselect"] = 0;
        WriteList(list);
        WriteProfileDocument(m_store.ReadJson(m_defaultProfilePath), name, identifier);
    }
    for (const Json::Value& entry : ArrayMemberOf(list, "profilelist")) {
        m_names.push_back(StringMember(entry, "profilename"));
    }
    const int stored = IntMember(list, "profileselect");
    // A selection that names no profile would hand the page an empty identifier.
    SelectProfile(stored >= 0 && stored < static_cast<int>(m_names.size()) ? stored : 0);
}

bool ProfileListStore::SelectProfile(int index) {
    if (index < 0 || index >= static_cast<int>(m_names.size())) {
        return false;
    }
    m_selected = index;
    Json::Value list = ReadList();
    WritableMember(list, "profileselect") = index;
    m_currentId = EntryIdentifier(list, index);
    WriteList(list);
    return true;
}

bool ProfileListStore::AddProfile() {
    if (!HasFolder() || static_cast<int>(m_names.size()) >= kMaxProfiles) {
        return false;
    }
    const std::string name = LowestFreeName(
        "profile", [this](const std::string& candidate) { return NameTaken(candidate); });
    Json::Value list = ReadList();
    const std::string identifier = AppendProfile(list, name, true);
    WriteProfileDocument(m_store.ReadJson(m_defaultProfilePath), name, identifier);
    return true;
}

bool ProfileListStore::CopyProfile() {
    if (m_selected < 0) {
        return false;
    }
    std::string name = m_names[static_cast<std::size_t>(m_selected)] + " copy";
    while (NameTaken(name)) {
        name += " copy";
    }
    Json::Value list = ReadList();
    const std::string source = EntryIdentifier(list, m_selected);
    const std::string identifier = AppendProfile(list, name, false);
    const Json::Value document =
        source.empty() ? Json::Value() : m_store.ReadJson(ProfilePath(source));
    WriteProfileDocument(document, name, identifier);
    return true;
}

bool ProfileListStore::DeleteProfile() {
    if (m_selected < 0 || m_names.size() < 2) {
        return false;
    }
    const int deleted = m_selected;
    const int selection = deleted > 0 ? deleted - 1 : 0;
    Json::Value list = ReadList();
    Json::Value& entries = WritableEntries(list);
    if (deleted < static_cast<int>(entries.size())) {
        const std::string identifier = EntryIdentifier(list, deleted);
        Json::Value removed;
        entries.removeIndex(static_cast<Json::ArrayIndex>(deleted), &removed);
        if (!identifier.empty()) {
            std::error_code error;
            std::filesystem::remove(ProfilePath(identifier), error);
        }
    }
    list["profileselect"] = selection;
    WriteList(list);
    m_names.erase(m_names.begin() + deleted);
    m_selected = selection;
    m_currentId = EntryIdentifier(list, selection);
    return true;
}

bool ProfileListStore::ImportProfile(const std::filesystem::path& path) {
    if (!HasFolder()) {
        return false;
    }
    Json::Value document = m_store.ReadJson(path);
    if (!MemberOf(document, "profilename").isString()) {
        return false;
    }
    std::string name = StringMember(document, "profilename");
    for (int counter = 1; NameTaken(name); ++counter) {
        name += "(" + std::to_string(counter) + ")";
    }
    Json::Value list = ReadList();
    const std::string identifier = AppendProfile(list, name, false);
    WriteProfileDocument(std::move(document), name, identifier);
    return true;
}

bool ProfileListStore::ExportProfile(const std::filesystem::path& path) const {
    if (m_selected < 0) {
        return false;
    }
    const std::string identifier = EntryIdentifier(ReadList(), m_selected);
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
    if (m_selected < 0 || NameTaken(name, m_selected)) {
        return false;
    }
    m_names[static_cast<std::size_t>(m_selected)] = name;
    Json::Value list = ReadList();
    Json::Value& entries = WritableEntries(list);
    if (m_selected < static_cast<int>(entries.size()) &&
        entries[static_cast<Json::ArrayIndex>(m_selected)].isObject()) {
        entries[static_cast<Json::ArrayIndex>(m_selected)]["profilename"] = name;
    }
    WriteList(list);
    const std::string identifier = EntryIdentifier(list, m_selected);
    if (!identifier.empty()) {
        Json::Value document = m_store.ReadJson(ProfilePath(identifier));
        if (document.isObject()) {
            document["profilename"] = name;
            m_store.WriteJson(ProfilePath(identifier), document);
        }
    }
    return true;
}

bool ProfileListStore::ResetProfile() {
    if (m_selected < 0) {
        return false;
    }
    const Json::Value list = ReadList();
    const std::string identifier = EntryIdentifier(list, m_selected);
    if (identifier.empty()) {
        return false;
    }
    const std::string name = StringMember(
        ElementOf(ArrayMemberOf(list, "profilelist"), static_cast<Json::ArrayIndex>(m_selected)),
        "profilename");
    Json::Value document = m_store.ReadJson(m_defaultProfilePath);
    if (!document.isObject()) {
        document = Json::Value(Json::objectValue);
    }
    if (m_kind == kHeadsetKind) {
        const Json::Value current = m_store.ReadJson(ProfilePath(identifier));
        const Json::Value& currentEntry = ElementOf(ArrayMemberOf(current, "Device"), 0);
        for (const char* member : {"CustomEQNameInfo", "CustomEQHzValueInfo"}) {
            const Json::Value& kept = MemberOf(currentEntry, member);
            if (!kept.isNull()) {
                WritableMember(WritableElement(WritableMember(document, "Device"), 0), member) =
                    kept;
            }
        }
    }
    WriteProfileDocument(std::move(document), name, identifier);
    return true;
}

}  // namespace quaro
