#include "profiles/MacroLibrary.h"

#include "platform/Trace.h"
#include "profiles/JsonAccess.h"
#include "profiles/StoredNames.h"

#include <optional>
#include <system_error>
#include <utility>

namespace quaro {

namespace {

// A "MacroInfo" of another type holds what a rewrite would lose.
bool IsLibraryDocument(const Json::Value& library) {
    return library.isObject() && (!library.isMember("MacroInfo") || library["MacroInfo"].isArray());
}

bool IsObject(const Json::Value& document) {
    return document.isObject();
}

}  // namespace

MacroLibrary::MacroLibrary(std::filesystem::path folder, std::string_view libraryFileName)
    : m_folder(std::move(folder)), m_libraryFileName(libraryFileName) {}

Json::Value MacroLibrary::ReadLibrary() const {
    return m_store.ReadJson(LibraryPath());
}

std::optional<Json::Value> MacroLibrary::ReadLibraryForUpdate() const {
    return m_store.ReadForUpdate(LibraryPath(), IsLibraryDocument);
}

const Json::Value& MacroLibrary::EntryOf(const Json::Value& library, int number) const {
    if (number < 0) {
        return Json::Value::nullSingleton();
    }
    return ElementOf(ArrayMemberOf(library, "MacroInfo"), static_cast<Json::ArrayIndex>(number));
}

std::filesystem::path MacroLibrary::EventFileOf(const Json::Value& entry) const {
    if (!entry.isObject()) {
        return {};
    }
    const std::string guid = StringMember(entry, "Guid");
    if (!CheckPlainFileName(guid, "macro Guid")) {
        return {};
    }
    return m_folder / (guid + std::string(kMacroExtension));
}

std::vector<std::string> MacroLibrary::Names() const {
    std::vector<std::string> names;
    const Json::Value library = ReadLibrary();
    for (const Json::Value& entry : ArrayMemberOf(library, "MacroInfo")) {
        names.push_back(StringMember(entry, "MacroName"));
    }
    return names;
}

int MacroLibrary::Count() const {
    return static_cast<int>(ArrayMemberOf(ReadLibrary(), "MacroInfo").size());
}

std::filesystem::path MacroLibrary::EventFilePath(int number) const {
    const Json::Value library = ReadLibrary();
    return EventFileOf(EntryOf(library, number));
}

std::string MacroLibrary::Add() {
    return AddMacro(nullptr);
}

std::string MacroLibrary::AddMacro(const std::string* events) {
    if (m_folder.empty()) {
        // Without the user data folder the library would land in the working directory.
        Trace("macro library has no folder\n");
        return {};
    }
    std::optional<Json::Value> stored = ReadLibraryForUpdate();
    if (!stored) {
        return {};
    }
    Json::Value library = std::move(*stored);
    const Json::Value& entries = ArrayMemberOf(library, "MacroInfo");
    if (static_cast<int>(entries.size()) >= kMaxMacros) {
        return {};
    }
    auto taken = [&entries](const std::string& name) {
        for (const Json::Value& entry : entries) {
            if (EqualsIgnoringCase(StringMember(entry, "MacroName"), name)) {
                return true;
            }
        }
        return false;
    };
    const std::string name = LowestFreeName("macro_", taken);
    const std::string guid = MakeFreshIdentifier([&](const std::string& candidate) {
        for (const Json::Value& entry : entries) {
            if (StringMember(entry, "Guid") == candidate) {
                return true;
            }
        }
        std::error_code error;
        return std::filesystem::exists(std::filesystem::symlink_status(
            m_folder / (candidate + std::string(kMacroExtension)), error));
    });
    const std::filesystem::path eventFile = m_folder / (guid + std::string(kMacroExtension));
    // The event file goes first: an entry whose file failed would read as an empty macro.
    if (events != nullptr && m_store.WriteText(eventFile, *events) != 0) {
        return {};
    }
    Json::Value entry(Json::objectValue);
    entry["MacroName"] = name;
    entry["Guid"] = guid;
    Json::Value& list = WritableMember(library, "MacroInfo");
    if (!list.isArray()) {
        list = Json::Value(Json::arrayValue);
    }
    list.append(entry);
    if (m_store.WriteJson(LibraryPath(), library) != 0) {
        if (events != nullptr) {
            std::error_code error;
            std::filesystem::remove(eventFile, error);
        }
        return {};
    }
    return name;
}

bool MacroLibrary::Rename(int number, const std::string& name) {
    std::optional<Json::Value> library = ReadLibraryForUpdate();
    if (!library || name.empty() || !EntryOf(*library, number).isObject()) {
        return false;
    }
    for (const Json::Value& entry : ArrayMemberOf(*library, "MacroInfo")) {
        if (EqualsIgnoringCase(StringMember(entry, "MacroName"), name)) {
            return false;
        }
    }
    (*library)["MacroInfo"][static_cast<Json::ArrayIndex>(number)]["MacroName"] = name;
    return m_store.WriteJson(LibraryPath(), *library) == 0;
}

bool MacroLibrary::Delete(int number) {
    std::optional<Json::Value> library = ReadLibraryForUpdate();
    if (!library || EntryOf(*library, number).isNull()) {
        return false;
    }
    const std::filesystem::path eventFile = EventFileOf(EntryOf(*library, number));
    Json::Value removed;
    (*library)["MacroInfo"].removeIndex(static_cast<Json::ArrayIndex>(number), &removed);
    // The events go only once the library no longer names them.
    if (m_store.WriteJson(LibraryPath(), *library) != 0) {
        return false;
    }
    if (!eventFile.empty()) {
        std::error_code error;
        std::filesystem::remove(eventFile, error);
    }
    return true;
}

bool MacroLibrary::Save(int number, const std::vector<MacroEvent>& events) {
    const Json::Value library = ReadLibrary();
    const Json::Value& entry = EntryOf(library, number);
    const std::filesystem::path path = EventFileOf(entry);
    if (path.empty() || !m_store.ReadForUpdate(path, IsObject)) {
        return false;
    }
    Json::Value document(Json::objectValue);
    document["MacroName"] = StringMember(entry, "MacroName");
    document["Guid"] = StringMember(entry, "Guid");
    document["Version"] = kFileVersion;
    Json::Value& list = document["Events"];
    list = Json::Value(Json::arrayValue);
    for (std::size_t i = 0; i < events.size() && i < static_cast<std::size_t>(kMaxEvents); ++i) {
        list.append(MacroEventToJson(events[i]));
    }
    return m_store.WriteJson(path, document) == 0;
}

std::vector<MacroEvent> MacroLibrary::Load(int number) const {
    std::vector<MacroEvent> events;
    const std::filesystem::path path = EventFilePath(number);
    if (path.empty()) {
        return events;
    }
    const Json::Value document = m_store.ReadJson(path);
    for (const Json::Value& object : ArrayMemberOf(document, "Events")) {
        if (static_cast<int>(events.size()) >= kMaxEvents) {
            break;
        }
        events.push_back(ParseMacroEvent(object));
    }
    return events;
}

bool MacroLibrary::Export(int number, const std::filesystem::path& path) const {
    const std::filesystem::path source = EventFilePath(number);
    if (source.empty()) {
        return false;
    }
    const TextRead events = m_store.ReadTextFile(source);
    if (events.state != ReadState::Read) {
        return false;
    }
    return m_store.WriteText(path, events.text) == 0;
}

std::string MacroLibrary::Import(const std::filesystem::path& path) {
    const TextRead events = m_store.ReadTextFile(path);
    if (events.state != ReadState::Read) {
        return {};
    }
    return AddMacro(&events.text);
}

void MacroLibrary::RenumberKeysForDeletedMacro(std::vector<KeyAssignmentEntry>& keys, int deleted) {
    for (KeyAssignmentEntry& key : keys) {
        if (!IsMacroCode(key.code)) {
            continue;
        }
        if (key.code.first == deleted) {
            key.code = key.defaultCode;
        } else if (key.code.first > deleted) {
            --key.code.first;
        }
    }
}

}  // namespace quaro
