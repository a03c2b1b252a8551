#pragma once

#include <QString>

#include <filesystem>
#include <string>
#include <vector>

namespace quaro {

class CResourceManager;

// One offered language of "Language.config".
struct LanguageEntry {
    std::string name;  // "Language_name", handed to the resource manager
    std::string file;  // "Language_file", a language file of the skin folder
    int id = 0;        // "Language_ID", what is stored
    std::string text;  // "Language_text", language id of its display name
};

// The offered languages and the stored choice. The choice lives in the settings folder (file
// kLanguageStoreFile, key "LANGUAGE"), created on the first write.
class LanguageCatalogue {
public:
    static constexpr const char* kConfigFile = "Language.config";
    static constexpr const char* kLanguageStoreFile = "language.ini";

    LanguageCatalogue(std::filesystem::path defaultDataFolder,
                      std::filesystem::path settingsFolder);

    // Entries in offered order; empty when "Language.config" is missing or unreadable.
    std::vector<LanguageEntry> ReadEntries() const;
    // Entry [index], or an empty entry with identifier 0 when there is none.
    LanguageEntry EntryAt(int index) const;
    // The index of the stored identifier (first match), 0 when nothing usable is stored.
    int ReadStoredLanguage() const;
    // Writes the identifier; false when the settings folder cannot be written.
    bool StoreLanguage(int identifier) const;

    // The face a switch from currentIndex to index gives the shared fonts, or empty text when
    // the font set stays as it is.
    static QString FontFaceForSwitch(int currentIndex, int index);
    // Replaces the shared font table with the system's sizes in that face.
    static void ApplyFontSet(CResourceManager& resources, const QString& face);

private:
    std::filesystem::path m_defaultDataFolder;
    std::filesystem::path m_settingsFolder;
};

}  // namespace quaro
