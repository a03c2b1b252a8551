#include "ui/Language.h"

#include "platform/Trace.h"
#include "profiles/JsonFileStore.h"
#include "ui/toolkit/CResourceManager.h"

#include <QSettings>

#include <cstdlib>
#include <string_view>

namespace quaro {
namespace {

// The shared font table: id, pixel size, bold, underlined.
struct FontRow {
    int id;
    int size;
    bool bold;
    bool underline;
};
constexpr FontRow kFontTable[] = {
    {0, 15, false, false}, {1, 14, false, true},  {2, 18, false, false},  {3, 30, false, false},
    {4, 16, false, false}, {5, 20, false, false}, {6, 22, false, false},  {7, 14, false, false},
    {8, 12, false, false}, {9, 11, false, false}, {10, 10, false, false}, {11, 28, false, false},
    {50, 18, true, false},
};
constexpr int kDefaultFontSize = 15;

std::string MemberText(const Json::Value& entry, const char* key) {
    const Json::Value& value = entry[key];
    return value.isString() ? value.asString() : std::string();
}

int MemberInt(const Json::Value& entry, const char* key) {
    const Json::Value& value = entry[key];
    return value.isInt() ? value.asInt() : 0;
}

// Locales and the "Language_ID" of the language they read. An empty territory stands for all.
struct LocaleLanguage {
    std::string_view language;
    std::string_view territory;
    int identifier;
};
constexpr int kSimplifiedChinese = 2052;
constexpr int kTraditionalChinese = 1028;
constexpr int kEnglish = 1033;
constexpr LocaleLanguage kLocaleLanguages[] = {
    {"zh", "CN", kSimplifiedChinese},
    {"zh", "SG", kSimplifiedChinese},
    {"zh", "TW", kTraditionalChinese},
    {"zh", "HK", kTraditionalChinese},
    {"en", "", kEnglish},
};

// The identifier a locale name ("language[_territory][.codeset][@modifier]") reads, or 0.
int IdentifierForLocale(std::string_view locale) {
    locale = locale.substr(0, locale.find_first_of(".@"));
    const size_t separator = locale.find_first_of("_-");
    const std::string_view language = locale.substr(0, separator);
    const std::string_view territory =
        separator == std::string_view::npos ? std::string_view() : locale.substr(separator + 1);
    for (const LocaleLanguage& row : kLocaleLanguages) {
        if (row.language == language && (row.territory.empty() || row.territory == territory)) {
            return row.identifier;
        }
    }
    return 0;
}

}  // namespace

LanguageCatalogue::LanguageCatalogue(std::filesystem::path defaultDataFolder,
                                     std::filesystem::path settingsFolder,
                                     std::string sessionLocale)
    : m_defaultDataFolder(std::move(defaultDataFolder)),
      m_settingsFolder(std::move(settingsFolder)),
      m_sessionLocale(std::move(sessionLocale)) {}

std::string LanguageCatalogue::SessionLocaleFromEnvironment() {
    for (const char* variable : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        const char* value = std::getenv(variable);
        if (value != nullptr && *value != '\0') {
            return value;
        }
    }
    return {};
}

int LanguageCatalogue::IndexForLocale(const std::string& locale) const {
    const int identifier = IdentifierForLocale(locale);
    return identifier == 0 ? -1 : IndexOf(ReadEntries(), identifier);
}

std::vector<LanguageEntry> LanguageCatalogue::ReadEntries() const {
    std::vector<LanguageEntry> entries;
    const Json::Value root = JsonFileStore().ReadJson(m_defaultDataFolder / kConfigFile);
    if (!root.isObject() || !root["Language"].isArray()) {
        return entries;
    }
    for (const Json::Value& entry : root["Language"]) {
        if (!entry.isObject()) {
            entries.push_back({});
            continue;
        }
        entries.push_back({MemberText(entry, "Language_name"), MemberText(entry, "Language_file"),
                           MemberInt(entry, "Language_ID"), MemberText(entry, "Language_text")});
    }
    return entries;
}

LanguageEntry LanguageCatalogue::EntryAt(int index) const {
    const std::vector<LanguageEntry> entries = ReadEntries();
    if (index < 0 || index >= static_cast<int>(entries.size())) {
        return {};
    }
    return entries[index];
}

int LanguageCatalogue::IndexOf(const std::vector<LanguageEntry>& entries, int identifier) {
    for (size_t i = 0; i < entries.size(); ++i) {
        if (entries[i].id == identifier) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

std::optional<int> LanguageCatalogue::StoredIdentifier() const {
    const std::filesystem::path store = m_settingsFolder / kLanguageStoreFile;
    std::error_code error;
    if (m_settingsFolder.empty() || !std::filesystem::exists(store, error)) {
        return std::nullopt;
    }
    QSettings ini(QString::fromStdString(store.string()), QSettings::IniFormat);
    bool ok = false;
    const int identifier = ini.value(QStringLiteral("LANGUAGE")).toString().toInt(&ok);
    return ok ? std::optional<int>(identifier) : std::nullopt;
}

int LanguageCatalogue::StoredIndexIn(const std::vector<LanguageEntry>& entries,
                                     std::optional<int> stored) const {
    if (stored) {
        if (const int index = IndexOf(entries, *stored); index >= 0) {
            return index;
        }
    }
    // Nothing usable stored (a first start): speak the session's language where it is offered,
    // since until a settings window exists the user has no other way to change it.
    const int locale = IdentifierForLocale(m_sessionLocale);
    const int fromLocale = locale == 0 ? -1 : IndexOf(entries, locale);
    return fromLocale >= 0 ? fromLocale : 0;
}

int LanguageCatalogue::ReadStoredLanguage() const {
    const std::optional<int> stored = StoredIdentifier();
    if (!stored && IdentifierForLocale(m_sessionLocale) == 0) {
        return 0;  // nothing to look up in the offered languages
    }
    return StoredIndexIn(ReadEntries(), stored);
}

LanguageEntry LanguageCatalogue::StoredEntry() const {
    const std::vector<LanguageEntry> entries = ReadEntries();
    const int index = StoredIndexIn(entries, StoredIdentifier());
    return index < static_cast<int>(entries.size()) ? entries[index] : LanguageEntry{};
}

bool LanguageCatalogue::StoreLanguage(int identifier) const {
    if (m_settingsFolder.empty()) {
        return false;
    }
    QSettings ini(QString::fromStdString((m_settingsFolder / kLanguageStoreFile).string()),
                  QSettings::IniFormat);
    ini.setValue(QStringLiteral("LANGUAGE"), QString::number(identifier));
    ini.sync();
    if (ini.status() != QSettings::NoError) {
        return false;
    }
    Trace("写成功！");
    return true;
}

QString LanguageCatalogue::FontFaceForSwitch(int currentIndex, int index) {
    switch (index) {
        case 15:
            return QStringLiteral("Noto Sans Thai");
        case 0:
            return QStringLiteral("汉仪菱心体简");
        case 2:
            return QStringLiteral("Noto Sans CJK TC Regular");
        default:
            break;
    }
    // Leaving a language with a face of its own, or the first application, resets the face.
    if (currentIndex == 15 || currentIndex == -1 || currentIndex == 2 || currentIndex == 0) {
        return QStringLiteral("Verdana Unicode MS");
    }
    return {};
}

void LanguageCatalogue::ApplyFontSet(CResourceManager& resources, const QString& face) {
    resources.RemoveAllFonts();
    for (const FontRow& row : kFontTable) {
        resources.AddFont(row.id, face, row.size, row.bold, row.underline, false, true);
    }
    resources.SetDefaultFont(face, kDefaultFontSize, false, false, false, true);
    resources.ApplyFonts();
}

}  // namespace quaro
