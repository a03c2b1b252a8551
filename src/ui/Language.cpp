#include "ui/Language.h"

#include "platform/Trace.h"
#include "profiles/JsonFileStore.h"
#include "ui/toolkit/CResourceManager.h"

#include <QSettings>

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

}  // namespace

LanguageCatalogue::LanguageCatalogue(std::filesystem::path defaultDataFolder,
                                     std::filesystem::path settingsFolder)
    : m_defaultDataFolder(std::move(defaultDataFolder)),
      m_settingsFolder(std::move(settingsFolder)) {}

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

int LanguageCatalogue::ReadStoredLanguage() const {
    if (m_settingsFolder.empty()) {
        return 0;
    }
    const std::filesystem::path store = m_settingsFolder / kLanguageStoreFile;
    std::error_code error;
    if (!std::filesystem::exists(store, error)) {
        return 0;
    }
    QSettings ini(QString::fromStdString(store.string()), QSettings::IniFormat);
    bool ok = false;
    const int identifier = ini.value(QStringLiteral("LANGUAGE")).toString().toInt(&ok);
    if (!ok) {
        return 0;
    }
    const std::vector<LanguageEntry> entries = ReadEntries();
    for (size_t i = 0; i < entries.size(); ++i) {
        if (entries[i].id == identifier) {
            return static_cast<int>(i);
        }
    }
    return 0;
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
