#include "profiles/MacroLibrary.h"

#include "platform/Trace.h"
#include "profiles/JsonAccess.h"
#include "profiles/StoredNames.h"

#include <system_error>
#include <utility>

namespace quaro {

MacroLibrary::MacroLibrary(std::filesystem::path folder, std::string_view libraryFileName)
    : m_folder(std::move(folder)), m_libraryFileName(libraryFileName) {}

Json::Value MacroLibrary::ReadLibrary() const {
    return m_store.ReadJson(LibraryPath());
}

const Json::Value& MacroLibrary::EntryOf(const Json::Value& library, int number) const {
    if (number < 0) {
        return Json::Value::nullSingleton();
    }
    return ElementOf(ArrayMemberOf(library, "MacroInfo"), static_cast<Json::ArrayIndex>(number));
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
    const Json::Value& entry = EntryOf(library, number);
    if (!entry.isObject()) {
        return {};
    }
    const std::string guid = StringMember(entry, "Guid");
    if (!CheckPlainFileName(guid, "macro Guid")) {
        return {};
    }
    return m_folder / (guid + std::string(kMacroExtension));
}

std::string MacroLibrary::Add() {
    if (m_folder.empty()) {
        // Without the user data folder the library would land in the working directory.
        Trace("macro library has no folder\n");
        return {};
    }
    Json::Value library = ReadLibrary();
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
        return std::filesystem::exists(m_folder / (candidate + std::string(kMacroExtension)),
                                       error);
    });
    Json::Value entry(Json::objectValue);
    entry["MacroName"] = name;
    entry["Guid"] = guid;
    Json::Value& list = WritableMember(library, "MacroInfo");
    if (!list.isArray()) {
        list = Json::Value(Json::arrayValue);
    }
    list.append(entry);
    m_store.WriteJson(LibraryPath(), library);
    return name;
}

bool MacroLibrary::Rename(int number, const std::string& name) {
    Json::Value library = ReadLibrary();
    if (name.empty() || !EntryOf(library, number).isObject()) {
        return false;
    }
    for (const Json::Value& entry : ArrayMemberOf(library, "MacroInfo")) {
        if (EqualsIgnoringCase(StringMember(entry, "MacroName"), name)) {
            return false;
        }
    }
    library["MacroInfo"][static_cast<Json::ArrayIndex>(number)]["MacroName"] = name;
    m_store.WriteJson(LibraryPath(), library);
    return true;
}

bool MacroLibrary::Delete(int number) {
    Json::Value library = ReadLibrary();
    if (EntryOf(library, number).isNull()) {
        return false;
    }
    const std::filesystem::path eventFile = EventFilePath(number);
    if (!eventFile.empty()) {
        std::error_code error;
        std::filesystem::remove(eventFile, error);
    }
    Json::Value removed;
    library["MacroInfo"].removeIndex(static_cast<Json::ArrayIndex>(number), &removed);
    m_store.WriteJson(LibraryPath(), library);
    return true;
}

bool MacroLibrary::Save(int number, const std::vector<MacroEvent>& events) {
    const Json::Value library = ReadLibrary();
    const std::filesystem::path path = EventFilePath(number);
    if (path.empty()) {
        return false;
    }
    const Json::Value& entry = EntryOf(library, number);
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
    std::error_code error;
    if (source.empty() || !std::filesystem::is_regular_file(source, error)) {
        return false;
    }
    return m_store.WriteText(path, m_store.ReadText(source)) == 0;
}

std::string MacroLibrary::Import(const std::filesystem::path& path) {
    std::error_code error;
    if (!std::filesystem::is_regular_file(path, error)) {
        return {};
    }
    const std::string text = m_store.ReadText(path);
    const std::string name = Add();
    if (name.empty()) {
        return {};
    }
    const std::filesystem::path target = EventFilePath(Count() - 1);
    if (!target.empty()) {
        m_store.WriteText(target, text);
    }
    return name;
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
