#pragma once

#include <QString>

#include <filesystem>
#include <optional>
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
// kLanguageStoreFile, key "LANGUAGE"), created on the first write. Without a stored choice the
// session's locale picks the language.
class LanguageCatalogue {
public:
    static constexpr const char* kConfigFile = "Language.config";
    static constexpr const char* kLanguageStoreFile = "language.ini";

    // sessionLocale: the locale name messages are shown in ("zh_TW.UTF-8"), or empty.
    LanguageCatalogue(std::filesystem::path defaultDataFolder, std::filesystem::path settingsFolder,
                      std::string sessionLocale = {});

    // The locale that decides the language of messages: the first of LC_ALL, LC_MESSAGES and
    // LANG that is set and not empty.
    static std::string SessionLocaleFromEnvironment();

    // Entries in offered order; empty when "Language.config" is missing or unreadable.
    std::vector<LanguageEntry> ReadEntries() const;
    // Entry [index], or an empty entry with identifier 0 when there is none.
    LanguageEntry EntryAt(int index) const;
    // The index of the stored identifier (first match). Without a usable stored choice, the
    // entry the session locale asks for; 0 when that matches nothing either.
    int ReadStoredLanguage() const;
    // The entry ReadStoredLanguage's index names, read with one look at "Language.config"; the
    // empty entry when none is offered.
    LanguageEntry StoredEntry() const;
    // The entry the locale names (Simplified Chinese for zh_CN and zh_SG, Traditional for zh_TW
    // and zh_HK, English for en), or -1 when it names none of the offered languages.
    int IndexForLocale(const std::string& locale) const;
    // Writes the identifier; false when the settings folder cannot be written.
    bool StoreLanguage(int identifier) const;

    // The face a switch from currentIndex to index gives the shared fonts, or empty text when
    // the font set stays as it is.
    static QString FontFaceForSwitch(int currentIndex, int index);
    // Replaces the shared font table with the system's sizes in that face.
    static void ApplyFontSet(CResourceManager& resources, const QString& face);

private:
    // The first entry with the identifier, or -1.
    static int IndexOf(const std::vector<LanguageEntry>& entries, int identifier);
    // The stored "LANGUAGE" value, when there is one that is a number.
    std::optional<int> StoredIdentifier() const;
    int StoredIndexIn(const std::vector<LanguageEntry>& entries, std::optional<int> stored) const;

    std::filesystem::path m_defaultDataFolder;
    std::filesystem::path m_settingsFolder;
    std::string m_sessionLocale;
};

}  // namespace quaro
