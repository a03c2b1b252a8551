#pragma once

#include "profiles/JsonFileStore.h"
#include "profiles/MacroEvent.h"
#include "profiles/ProfileRecords.h"
#include "profiles/StoreFileNames.h"

#include <json/value.h>

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quaro {

// A device's macros: the library document (the list "MacroInfo" of "MacroName" and "Guid") and
// one event file ("Guid" + ".mac") per macro, all in the device's user data folder. A macro's
// number is its position in the list. Nothing is cached: every operation reads the files. A
// library that cannot be read or parsed reads as empty and is moved aside before a change
// writes a new one; changes report a failed write as failure.
class MacroLibrary {
public:
    static constexpr int kMaxMacros = 50;
    static constexpr int kMaxEvents = 2000;
    static constexpr int kFileVersion = 64;

    explicit MacroLibrary(std::filesystem::path folder,
                          std::string_view libraryFileName = kMacroLibraryFileName);

    const std::filesystem::path& Folder() const { return m_folder; }
    std::filesystem::path LibraryPath() const { return m_folder / m_libraryFileName; }

    // The "MacroName" of every macro, in order; empty when the library is missing or unreadable.
    std::vector<std::string> Names() const;
    int Count() const;

    // Appends "macro_%d" with the lowest free n (without regard to case) and returns the name;
    // at 50 macros, or when the library cannot be written, returns an empty name and changes
    // nothing.
    std::string Add();
    // Refused when the name is empty or equals (without regard to case) a macro's name, the
    // macro's own included.
    bool Rename(int number, const std::string& name);
    // Removes the event file and the library entry; later macros move up one place.
    bool Delete(int number);
    // Writes the event file: "MacroName", "Guid", "Events" (at most 2000), "Version" 64.
    bool Save(int number, const std::vector<MacroEvent>& events);
    // The events of the macro's file (at most 2000); none when it has never been saved.
    std::vector<MacroEvent> Load(int number) const;
    // The event file, byte for byte, to path. Fails, writing nothing, when it cannot be read.
    bool Export(int number, const std::filesystem::path& path) const;
    // Adds a macro as Add does and copies the file at path byte for byte as its event file.
    // Returns the new name; empty (and nothing changed) when the file is missing, cannot be
    // read or is over the size cap, the library is full, or a write fails.
    std::string Import(const std::filesystem::path& path);

    // The event file of a macro; empty when the number names no macro or its "Guid" is not a
    // plain file name.
    std::filesystem::path EventFilePath(int number) const;

    // When macro number deleted goes, keys that ran it return to their default assignment and
    // keys that ran a later macro follow it one place up. Macro codes are types 0x70 and 0x71
    // with the macro number in the second byte.
    static void RenumberKeysForDeletedMacro(std::vector<KeyAssignmentEntry>& keys, int deleted);

private:
    Json::Value ReadLibrary() const;
    // The library a change starts from (see JsonFileStore::ReadForUpdate).
    std::optional<Json::Value> ReadLibraryForUpdate() const;
    const Json::Value& EntryOf(const Json::Value& library, int number) const;
    std::filesystem::path EventFileOf(const Json::Value& entry) const;
    // Add, with events (when not null) stored byte for byte as the new macro's event file
    // before the library names it. Empty name when anything could not be written; then
    // nothing is left behind.
    std::string AddMacro(const std::string* events);

    JsonFileStore m_store;
    std::filesystem::path m_folder;
    std::string m_libraryFileName;
};

}  // namespace quaro
