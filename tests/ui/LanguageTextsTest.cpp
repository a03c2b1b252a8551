// The language files as the user reads them: the message boxes say what their routes mean,
// formats carry their one number, each language keeps its own conventions, and a first start
// speaks the session's language.

#include "TempDir.h"
#include "support/QtTestApp.h"
#include "ui/Language.h"
#include "ui/MessageTexts.h"

#include <QDirIterator>
#include <QDomDocument>
#include <QFile>
#include <QMap>
#include <QRegularExpression>
#include <gtest/gtest.h>

#include <cstdlib>

namespace quaro {
namespace {

// id -> text of one language file of the shipped skin.
QMap<QString, QString> ReadTexts(const std::string& file) {
    QFile input(QString::fromStdString((test::SourceSkinFolder() / file).string()));
    QDomDocument document;
    EXPECT_TRUE(input.open(QIODevice::ReadOnly) && document.setContent(&input)) << file;
    QMap<QString, QString> texts;
    for (QDomElement e = document.documentElement().firstChildElement(); !e.isNull();
         e = e.nextSiblingElement()) {
        texts.insert(e.attribute(QStringLiteral("id")), e.text());
    }
    return texts;
}

std::vector<LanguageEntry> OfferedLanguages() {
    return LanguageCatalogue(test::SourceDefaultDataFolder(), {}).ReadEntries();
}

QMap<QString, QString> TextsOf(const char* languageName) {
    for (const LanguageEntry& entry : OfferedLanguages()) {
        if (entry.name == languageName) {
            return ReadTexts(entry.file);
        }
    }
    ADD_FAILURE() << "no language " << languageName;
    return {};
}

bool IsFormat(const QString& id) {
    for (const char* format : msgtext::kIntegerFormats) {
        if (id == QLatin1String(format)) {
            return true;
        }
    }
    return false;
}

TEST(MessageTexts, EveryIdTheCodeShowsIsAKnownMessageWithATextInEveryLanguage) {
    QSet<QString> known;
    for (const char* id : msgtext::kAll) {
        known.insert(QLatin1String(id));
    }
    // Message ids written out anywhere in the code must be among those whose meaning is kept.
    static const QRegularExpression kLiteral(QStringLiteral("\"(message_text_\\d+)\""));
    QDirIterator it(QStringLiteral(QUARO_SOURCE_DIR "/src"), {"*.cpp", "*.h"}, QDir::Files,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        QFile file(it.next());
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        for (const auto& match : kLiteral.globalMatch(QString::fromUtf8(file.readAll()))) {
            EXPECT_TRUE(known.contains(match.captured(1)))
                << file.fileName().toStdString() << " shows " << match.captured(1).toStdString();
        }
    }

    const std::vector<LanguageEntry> languages = OfferedLanguages();
    ASSERT_EQ(languages.size(), 3u);
    for (const LanguageEntry& language : languages) {
        const QMap<QString, QString> texts = ReadTexts(language.file);
        for (const QString& id : known) {
            EXPECT_FALSE(texts.value(id).trimmed().isEmpty())
                << language.file << " has no text for " << id.toStdString();
        }
    }
}

TEST(MessageTexts, FormatsTakeExactlyOneIntegerAndPlainTextsNone) {
    static const QRegularExpression kConversion(
        QStringLiteral("%[-+ #0]*\\d*(?:\\.\\d+)?(?:hh|h|ll|l|z)?[a-zA-Z%]"));
    for (const LanguageEntry& language : OfferedLanguages()) {
        const QMap<QString, QString> texts = ReadTexts(language.file);
        for (const char* id : msgtext::kAll) {
            const QString text = texts.value(QLatin1String(id));
            QStringList conversions;
            for (const auto& match : kConversion.globalMatch(text)) {
                conversions << match.captured(0);
            }
            if (IsFormat(QLatin1String(id))) {
                EXPECT_EQ(conversions, QStringList{QStringLiteral("%d")})
                    << language.file << " " << id;
                // Formatted as the route will, the number shows and nothing is left over.
                const QString shown = QString::asprintf(text.toUtf8().constData(), 37);
                EXPECT_TRUE(shown.contains(u"37")) << language.file << " " << id;
                EXPECT_FALSE(shown.contains(u'%')) << language.file << " " << id;
            } else {
                EXPECT_FALSE(text.contains(u'%')) << language.file << " " << id;
            }
        }
    }
}

TEST(MessageTexts, ConfirmationsAskAndReportsTell) {
    // The routes show these three with OK and Cancel; the others are plain notices.
    const QSet<QString> confirmations = {QLatin1String(msgtext::kConfirmRestoreDefaults),
                                         QLatin1String(msgtext::kConfirmMacroDelete),
                                         QLatin1String(msgtext::kMacroInUse)};
    static const QRegularExpression kQuestion(QStringLiteral("[?？]"));
    for (const LanguageEntry& language : OfferedLanguages()) {
        const QMap<QString, QString> texts = ReadTexts(language.file);
        for (const char* id : msgtext::kAll) {
            EXPECT_EQ(texts.value(QLatin1String(id)).contains(kQuestion),
                      confirmations.contains(QLatin1String(id)))
                << language.file << " " << id;
        }
    }
    // What each says, read in English.
    const QMap<QString, QString> english = TextsOf("en");
    auto says = [&](const char* id, const char* words) {
        return english.value(QLatin1String(id)).contains(QLatin1String(words), Qt::CaseInsensitive);
    };
    EXPECT_TRUE(says(msgtext::kConfirmMacroDelete, "delete"));
    EXPECT_TRUE(says(msgtext::kConfirmMacroDelete, "macro"));
    EXPECT_TRUE(says(msgtext::kMacroInUse, "assigned"));
    EXPECT_TRUE(says(msgtext::kMacroInUse, "delete it anyway"));
    EXPECT_TRUE(says(msgtext::kLeftButtonNeeded, "left-button"));
    EXPECT_TRUE(says(msgtext::kMacroWriteFailed, "could not be written"));
    EXPECT_TRUE(says(msgtext::kMacrosDoNotFit, "not written"));
    EXPECT_TRUE(says(msgtext::kConfirmRestoreDefaults, "defaults"));
    EXPECT_TRUE(says(msgtext::kNameRefused, "empty"));
    EXPECT_TRUE(says(msgtext::kNameRefused, "in use"));
}

TEST(LanguageConventions, ChineseTextsUseFullWidthPunctuationAndEnglishNone) {
    static const QRegularExpression kHalfWidthAfterHan(QStringLiteral("\\p{Han}[,.?!:;()]"));
    static const QRegularExpression kFullWidth(QStringLiteral("[，。？！：；（）、]"));
    for (const LanguageEntry& language : OfferedLanguages()) {
        const QMap<QString, QString> texts = ReadTexts(language.file);
        for (auto it = texts.begin(); it != texts.end(); ++it) {
            if (language.name == "en") {
                EXPECT_FALSE(it.value().contains(kFullWidth))
                    << language.file << " " << it.key().toStdString();
            } else {
                EXPECT_FALSE(it.value().contains(kHalfWidthAfterHan))
                    << language.file << " " << it.key().toStdString();
            }
        }
    }
    // The two light-control states read alike in every language.
    for (const LanguageEntry& language : OfferedLanguages()) {
        const QMap<QString, QString> texts = ReadTexts(language.file);
        EXPECT_TRUE(texts.value(QStringLiteral("控制灯光")).contains(u" · ")) << language.file;
        EXPECT_TRUE(texts.value(QStringLiteral("不控制灯光")).contains(u" · ")) << language.file;
    }
}

TEST(LanguageConventions, TraditionalChineseUsesTaiwaneseTerms) {
    const QMap<QString, QString> texts = TextsOf("tw");
    ASSERT_FALSE(texts.isEmpty());
    // Mainland terms with their Taiwanese counterparts in brackets, and simplified characters.
    const char* const kMainland[] = {"軟件" /*軟體*/,
                                     "設備" /*裝置*/,
                                     "鼠標" /*滑鼠*/,
                                     "設置" /*設定*/,
                                     "默認" /*預設*/,
                                     "自定義" /*自訂*/,
                                     "文件" /*檔案*/,
                                     "服務器" /*伺服器*/,
                                     "菜單" /*選單*/,
                                     "宏" /*巨集*/,
                                     "信息" /*訊息*/,
                                     "加載" /*載入*/,
                                     "搜索" /*搜尋*/,
                                     "云",
                                     "关",
                                     "兰",
                                     "体",
                                     "写"};
    for (auto it = texts.begin(); it != texts.end(); ++it) {
        if (it.key().startsWith(u"language_text_")) {
            continue;  // each language's own name, written its own way
        }
        for (const char* term : kMainland) {
            EXPECT_FALSE(it.value().contains(QString::fromUtf8(term)))
                << it.key().toStdString() << ": " << it.value().toStdString();
        }
    }
    EXPECT_EQ(texts.value(QStringLiteral("ms_device_name_text")), u"滑鼠");
    EXPECT_EQ(texts.value(QStringLiteral("macro_Op_tab")), u"巨集");
}

// The environment variables of the session locale, restored after each test.
class SessionLocale : public ::testing::Test {
protected:
    SessionLocale() {
        for (const char* name : kNames) {
            const char* value = std::getenv(name);
            m_saved.emplace_back(
                name, value != nullptr ? std::optional<std::string>(value) : std::nullopt);
            ::unsetenv(name);
        }
    }
    ~SessionLocale() override {
        for (const auto& [name, value] : m_saved) {
            if (value) {
                ::setenv(name, value->c_str(), 1);
            } else {
                ::unsetenv(name);
            }
        }
    }
    static constexpr const char* kNames[] = {"LC_ALL", "LC_MESSAGES", "LANG"};
    std::vector<std::pair<const char*, std::optional<std::string>>> m_saved;
};

TEST_F(SessionLocale, FirstSetOfLcAllLcMessagesLangDecides) {
    EXPECT_EQ(LanguageCatalogue::SessionLocaleFromEnvironment(), "");
    ::setenv("LANG", "zh_TW.UTF-8", 1);
    EXPECT_EQ(LanguageCatalogue::SessionLocaleFromEnvironment(), "zh_TW.UTF-8");
    ::setenv("LC_MESSAGES", "en_GB.UTF-8", 1);
    EXPECT_EQ(LanguageCatalogue::SessionLocaleFromEnvironment(), "en_GB.UTF-8");
    ::setenv("LC_ALL", "", 1);  // set but empty: does not count
    EXPECT_EQ(LanguageCatalogue::SessionLocaleFromEnvironment(), "en_GB.UTF-8");
    ::setenv("LC_ALL", "zh_SG", 1);
    EXPECT_EQ(LanguageCatalogue::SessionLocaleFromEnvironment(), "zh_SG");
}

TEST(FirstStartLanguage, LocalePicksTheMatchingOfferedLanguage) {
    const LanguageCatalogue catalogue(test::SourceDefaultDataFolder(), {});
    const std::vector<LanguageEntry> entries = catalogue.ReadEntries();
    auto nameAt = [&](int index) {
        return index >= 0 && index < static_cast<int>(entries.size()) ? entries[index].name
                                                                      : std::string("none");
    };
    EXPECT_EQ(nameAt(catalogue.IndexForLocale("zh_CN.UTF-8")), "cn");
    EXPECT_EQ(nameAt(catalogue.IndexForLocale("zh_SG")), "cn");
    EXPECT_EQ(nameAt(catalogue.IndexForLocale("zh_TW.UTF-8")), "tw");
    EXPECT_EQ(nameAt(catalogue.IndexForLocale("zh_HK.Big5-HKSCS")), "tw");
    EXPECT_EQ(nameAt(catalogue.IndexForLocale("en_US.UTF-8")), "en");
    EXPECT_EQ(nameAt(catalogue.IndexForLocale("en_GB.ISO-8859-1@euro")), "en");
    EXPECT_EQ(nameAt(catalogue.IndexForLocale("en")), "en");
    for (const char* other : {"de_DE.UTF-8", "C", "POSIX", "C.UTF-8", "", "zh", "eng_US"}) {
        EXPECT_EQ(catalogue.IndexForLocale(other), -1) << other;
    }
}

TEST(FirstStartLanguage, AStoredChoiceAlwaysWinsAndNoMatchGivesTheFirstEntry) {
    test::TempDir settings;
    const std::filesystem::path data = test::SourceDefaultDataFolder();
    // Nothing stored: the locale decides; a locale nobody offers gives entry 0.
    EXPECT_EQ(LanguageCatalogue(data, settings.Path(), "zh_TW.UTF-8").ReadStoredLanguage(), 2);
    EXPECT_EQ(LanguageCatalogue(data, settings.Path(), "en_US.UTF-8").ReadStoredLanguage(), 1);
    EXPECT_EQ(LanguageCatalogue(data, settings.Path(), "fr_FR.UTF-8").ReadStoredLanguage(), 0);
    EXPECT_EQ(LanguageCatalogue(data, {}, "en_US.UTF-8").ReadStoredLanguage(), 1);
    // A stored Simplified Chinese wins over an English session.
    ASSERT_TRUE(LanguageCatalogue(data, settings.Path()).StoreLanguage(2052));
    EXPECT_EQ(LanguageCatalogue(data, settings.Path(), "en_US.UTF-8").ReadStoredLanguage(), 0);
    // An identifier no longer offered is no usable choice: the locale decides again.
    ASSERT_TRUE(LanguageCatalogue(data, settings.Path()).StoreLanguage(9999));
    EXPECT_EQ(LanguageCatalogue(data, settings.Path(), "en_US.UTF-8").ReadStoredLanguage(), 1);
}

}  // namespace
}  // namespace quaro
