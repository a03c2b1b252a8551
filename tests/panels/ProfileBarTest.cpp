// The profile bar of a device page, clicked as the user does, against a temporary data folder:
// what lands in "ProfileList.ini" and the profile documents, what the page is told, and what
// the user sees when a write fails.

#include "TempDir.h"
#include "panels/profile/CDeviceProfileUI.h"
#include "panels/profile/IProfileFileChooser.h"
#include "panels/profile/IProfilePage.h"
#include "panels/profile/ProfileBarRoutes.h"
#include "profiles/JsonFileStore.h"
#include "support/QtTestApp.h"
#include "support/RecordingWindow.h"
#include "ui/CMsgWnd.h"
#include "ui/MessageTexts.h"
#include "ui/toolkit/CButtonUI.h"
#include "ui/toolkit/CDialogBuilder.h"
#include "ui/toolkit/CResourceManager.h"

#include <QApplication>
#include <QTest>
#include <QTimer>
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace quaro {
namespace {

namespace fs = std::filesystem;
using test::ReadFileBytes;
using test::WriteFileBytes;
using ::testing::ElementsAre;
using ::testing::IsEmpty;

class BarControls : public IDialogBuilderCallback {
public:
    CControlUI* CreateControl(const QString& className) override {
        return className == u"DeviceProfile" ? new CDeviceProfileUI : nullptr;
    }
};

// A device page reduced to what its profile bar asks of it.
class FakeProfilePage : public IProfilePage {
public:
    int GetDeviceKind() const override { return kind; }
    fs::path GetUserDataFolder() const override { return folder; }
    fs::path GetDefaultProfilePath() const override { return defaultProfile; }
    void LoadProfile(const fs::path& profilePath) override { loaded.push_back(profilePath); }
    void ReapplyProfile() override { ++reapplied; }
    void SelectFunctionTab(int n) override { tabs.push_back(n); }

    int kind = 1;
    fs::path folder;
    fs::path defaultProfile;
    std::vector<fs::path> loaded;
    int reapplied = 0;
    std::vector<int> tabs;
};

class ChosenFiles : public IProfileFileChooser {
public:
    fs::path ChooseImportFile(QWidget*) override { return importPath; }
    fs::path ChooseExportFile(QWidget*) override { return exportPath; }
    fs::path importPath;
    fs::path exportPath;
};

// A window that hands its notifications to the bar's routes, as the main window will.
class BarWindow : public test::RecordingWindow {
public:
    using RecordingWindow::RecordingWindow;
    void Notify(TNotifyUI& msg) override {
        RecordingWindow::Notify(msg);
        if (routes != nullptr) {
            routes->Dispatch(msg);
        }
    }
    ProfileBarRoutes* routes = nullptr;
};

struct Shown {
    std::string id;
    std::optional<int> number;
};

class ProfileBar : public ::testing::Test {
protected:
    ProfileBar() {
        WriteFileBytes(m_dir / "w.xml",
                       "<Window size=\"1200,200\"><VerticalLayout name=\"root\">"
                       "<HorizontalLayout name=\"page\"/></VerticalLayout></Window>");
        m_resources.SetResourcePath(test::SourceSkinPath());
        m_resources.LoadLanguage(QStringLiteral("lan_en.xml"));
        m_window.Create(QStringLiteral("t"), Qt::Window | Qt::FramelessWindowHint);
        m_page.folder = m_dir / "user" / "kb";
        fs::create_directories(m_page.folder);
        m_page.defaultProfile = m_dir / "default.Json";
        WriteFileBytes(m_page.defaultProfile,
                       R"({"Device":[{"LightMode":3}],"profilename":"x","profileUUID":"y"})");
        CDialogBuilder builder;
        CControlUI* built = builder.Create(QStringLiteral("XML/CustomControlXML/DeviceProfile.xml"),
                                           m_resources, &m_controls);
        m_problems = builder.Problems();
        m_bar = dynamic_cast<CDeviceProfileUI*>(built);
        if (m_bar == nullptr) {
            delete built;
            return;
        }
        m_window.FindControlAs<CContainerUI>(QStringLiteral("page"))->Add(m_bar);
        InitControls(m_bar);
        m_routes.emplace(*m_bar, m_page, m_files, [this](const char* id, std::optional<int> n) {
            m_shown.push_back({id, n});
        });
        m_window.routes = &*m_routes;
    }

    void SetUpBar() {
        ASSERT_NE(m_bar, nullptr);
        m_routes->SetUp();
    }

    void Click(const char* name) {
        auto* button = m_window.FindControlAs<CButtonUI>(QLatin1String(name));
        ASSERT_NE(button, nullptr) << name;
        button->click();
    }
    void TypeName(const QString& name) {
        auto* edit = m_window.FindControlAs<CEditUI>(QStringLiteral("device_profile_name_edit"));
        ASSERT_NE(edit, nullptr);
        edit->setText(name);
    }
    CComboUI* Combo() {
        return m_window.FindControlAs<CComboUI>(QStringLiteral("device_profile_combo"));
    }
    std::vector<std::string> ComboTexts() {
        std::vector<std::string> texts;
        for (int i = 0; i < Combo()->GetCount(); ++i) {
            texts.push_back(Combo()->itemText(i).toStdString());
        }
        return texts;
    }
    fs::path ListPath() const { return m_page.folder / "ProfileList.ini"; }
    Json::Value List() const { return JsonFileStore().ReadJson(ListPath()); }
    std::vector<std::string> ListNames() const {
        std::vector<std::string> names;
        const Json::Value list = List();
        for (const Json::Value& entry : list["profilelist"]) {
            names.push_back(entry["profilename"].asString());
        }
        return names;
    }
    fs::path DocumentOf(int index) const {
        return m_page.folder / (List()["profilelist"][index]["profileUUID"].asString() + ".Json");
    }
    int ProfileDocumentCount() const {
        int count = 0;
        for (const auto& entry : fs::directory_iterator(m_page.folder)) {
            count += entry.path().extension() == ".Json" ? 1 : 0;
        }
        return count;
    }
    std::vector<std::string> ShownIds() const {
        std::vector<std::string> ids;
        for (const Shown& shown : m_shown) {
            ids.push_back(shown.id);
        }
        return ids;
    }
    bool TabSelected(const char* name) {
        auto* tab = m_window.FindControlAs<COptionUI>(QLatin1String(name));
        return tab != nullptr && tab->IsSelected();
    }
    bool TabShown(const char* name) {
        auto* tab = m_window.FindControlAs<COptionUI>(QLatin1String(name));
        return tab != nullptr && tab->IsVisible();
    }

    test::TempDir m_dir;
    CResourceManager m_resources;
    BarControls m_controls;
    BarWindow m_window{m_resources, QString::fromStdString((m_dir / "w.xml").string())};
    FakeProfilePage m_page;
    ChosenFiles m_files;
    QStringList m_problems;
    CDeviceProfileUI* m_bar = nullptr;
    std::optional<ProfileBarRoutes> m_routes;
    std::vector<Shown> m_shown;
};

TEST_F(ProfileBar, FragmentBuildsCleanlyWithEveryControlTheBarDrives) {
    ASSERT_NE(m_bar, nullptr);
    EXPECT_THAT(m_problems, IsEmpty());
    EXPECT_EQ(m_bar->GetName(), u"DeviceProfileItem");
    EXPECT_NE(Combo(), nullptr);
    for (const char* name :
         {"device_add_btn", "device_sub_btn", "device_copy_btn", "device_import_btn",
          "device_export_btn", "device_reset_btn", "device_profile_edit_save_btn",
          "profile_fun_spread_btn", "device_profile_name_edit", "profile_menu_layout"}) {
        EXPECT_NE(m_window.FindControl(QLatin1String(name)), nullptr) << name;
    }
    for (std::string_view tab : kOptionTabNames) {
        EXPECT_NE(m_window.FindControlAs<COptionUI>(QString::fromLatin1(tab)), nullptr) << tab;
    }
}

TEST_F(ProfileBar, FirstStartMakesProfile1FromTheDefaultAndOpensTabOne) {
    SetUpBar();
    EXPECT_THAT(ListNames(), ElementsAre("profile1"));
    EXPECT_THAT(ComboTexts(), ElementsAre("profile1"));
    EXPECT_EQ(Combo()->GetCurSel(), 0);
    EXPECT_EQ(m_bar->GetEditedName(), u"profile1");
    const Json::Value document = JsonFileStore().ReadJson(DocumentOf(0));
    EXPECT_EQ(document["Device"][0]["LightMode"].asInt(), 3);
    EXPECT_EQ(document["profileUUID"].asString(), m_bar->GetCurrentProfileId());
    EXPECT_EQ(m_bar->GetCurrentProfilePath(), DocumentOf(0));
    EXPECT_TRUE(TabSelected("deng_Op_tab"));
    EXPECT_FALSE(TabSelected("key_Op_tab"));
}

TEST_F(ProfileBar, EachKindShowsItsOptionTabs) {
    ASSERT_NE(m_bar, nullptr);
    // Kind, then the tabs shown in the order deng, key, macro, system, cursor, voice, magic;
    // the layout shows the first five and hides the headset's two.
    const std::pair<int, std::string> kRows[] = {
        {1, "11110--"}, {2, "11111--"}, {3, "10000--"}, {7, "1000011"}};
    for (const auto& [kind, shown] : kRows) {
        for (std::size_t i = 0; i < kOptionTabNames.size(); ++i) {
            m_window.FindControlAs<COptionUI>(QString::fromLatin1(kOptionTabNames[i]))
                ->SetVisible(i < 5);
        }
        m_page.kind = kind;
        m_routes->SetUp();
        for (std::size_t i = 0; i < kOptionTabNames.size(); ++i) {
            const std::string name(kOptionTabNames[i]);
            EXPECT_EQ(TabShown(name.c_str()), shown[i] == '1') << "kind " << kind << " " << name;
        }
    }
}

TEST_F(ProfileBar, ClickOnAddWritesProfile2AndKeepsTheCurrentProfile) {
    SetUpBar();
    Click("device_add_btn");
    EXPECT_THAT(ListNames(), ElementsAre("profile1", "profile2"));
    EXPECT_THAT(ComboTexts(), ElementsAre("profile1", "profile2"));
    EXPECT_EQ(Combo()->GetCurSel(), 0);
    EXPECT_EQ(JsonFileStore().ReadJson(DocumentOf(1))["profilename"].asString(), "profile2");
    EXPECT_THAT(m_page.loaded, IsEmpty());
    EXPECT_THAT(m_shown, IsEmpty());
}

TEST_F(ProfileBar, ChoosingAProfileStoresItAndHandsItToThePage) {
    SetUpBar();
    Click("device_add_btn");
    ASSERT_TRUE(Combo()->SelectItem(1, false, true));
    EXPECT_EQ(List()["profileselect"].asInt(), 1);
    EXPECT_EQ(m_bar->GetEditedName(), u"profile2");
    EXPECT_THAT(m_page.loaded, ElementsAre(DocumentOf(1)));
}

TEST_F(ProfileBar, RenameRefusesAnEmptyOrTakenNameAndAcceptsItsOwn) {
    SetUpBar();
    Click("device_add_btn");
    const std::string before = ReadFileBytes(ListPath());

    TypeName(QString());
    Click("device_profile_edit_save_btn");
    EXPECT_THAT(m_shown, IsEmpty());  // nothing typed, nothing to refuse
    TypeName(QStringLiteral("PROFILE2"));
    Click("device_profile_edit_save_btn");
    EXPECT_THAT(ShownIds(), ElementsAre(msgtext::kNameRefused));
    EXPECT_EQ(ReadFileBytes(ListPath()), before);
    EXPECT_THAT(ComboTexts(), ElementsAre("profile1", "profile2"));

    m_shown.clear();
    TypeName(QStringLiteral("Profile1"));  // its own name in other letters
    Click("device_profile_edit_save_btn");
    TypeName(QStringLiteral("game"));
    Click("device_profile_edit_save_btn");
    EXPECT_THAT(m_shown, IsEmpty());
    EXPECT_THAT(ListNames(), ElementsAre("game", "profile2"));
    EXPECT_THAT(ComboTexts(), ElementsAre("game", "profile2"));
    EXPECT_EQ(Combo()->GetCurSel(), 0);
    EXPECT_EQ(JsonFileStore().ReadJson(DocumentOf(0))["profilename"].asString(), "game");
}

TEST_F(ProfileBar, CopyDuplicatesTheSelectedProfilesDocument) {
    SetUpBar();
    Json::Value changed = JsonFileStore().ReadJson(DocumentOf(0));
    changed["Device"][0]["LightMode"] = 9;
    ASSERT_EQ(JsonFileStore().WriteJson(DocumentOf(0), changed), 0);
    Click("device_copy_btn");
    Click("device_copy_btn");
    EXPECT_THAT(ComboTexts(), ElementsAre("profile1", "profile1 copy", "profile1 copy copy"));
    const Json::Value copy = JsonFileStore().ReadJson(DocumentOf(1));
    EXPECT_EQ(copy["Device"][0]["LightMode"].asInt(), 9);
    EXPECT_EQ(copy["profilename"].asString(), "profile1 copy");
    EXPECT_NE(copy["profileUUID"].asString(), changed["profileUUID"].asString());
    EXPECT_EQ(List()["profileselect"].asInt(), 0);
}

TEST_F(ProfileBar, TheLastProfileStaysAndADeletionMovesThePageToTheNewCurrentProfile) {
    SetUpBar();
    Click("device_sub_btn");
    EXPECT_THAT(ListNames(), ElementsAre("profile1"));
    EXPECT_THAT(m_page.loaded, IsEmpty());
    EXPECT_THAT(m_shown, IsEmpty());

    Click("device_add_btn");
    Click("device_add_btn");
    ASSERT_TRUE(Combo()->SelectItem(2, false, true));
    const fs::path deleted = DocumentOf(2);
    const fs::path next = DocumentOf(1);
    m_page.loaded.clear();
    Click("device_sub_btn");
    EXPECT_THAT(ListNames(), ElementsAre("profile1", "profile2"));
    EXPECT_THAT(ComboTexts(), ElementsAre("profile1", "profile2"));
    EXPECT_EQ(Combo()->GetCurSel(), 1);
    EXPECT_EQ(List()["profileselect"].asInt(), 1);
    EXPECT_FALSE(fs::exists(deleted));
    // The page must leave the deleted document, or its next store would write it back.
    EXPECT_THAT(m_page.loaded, ElementsAre(next));
}

TEST_F(ProfileBar, ExportedProfileImportsBackUnderAFreshIdentifier) {
    SetUpBar();
    m_files.exportPath = m_dir / "out.json";
    Click("device_export_btn");
    ASSERT_TRUE(fs::exists(m_files.exportPath));
    EXPECT_EQ(JsonFileStore().ReadJson(m_files.exportPath),
              JsonFileStore().ReadJson(DocumentOf(0)));

    m_files.importPath = m_files.exportPath;
    Click("device_import_btn");
    EXPECT_THAT(ComboTexts(), ElementsAre("profile1", "profile1(1)"));
    const Json::Value imported = JsonFileStore().ReadJson(DocumentOf(1));
    EXPECT_EQ(imported["Device"], JsonFileStore().ReadJson(DocumentOf(0))["Device"]);
    EXPECT_NE(imported["profileUUID"].asString(), m_bar->GetCurrentProfileId());
    EXPECT_EQ(Combo()->GetCurSel(), 0);
    EXPECT_THAT(m_shown, IsEmpty());
}

TEST_F(ProfileBar, ImportIgnoresCancelAndFilesThatAreNoProfile) {
    SetUpBar();
    const std::string before = ReadFileBytes(ListPath());
    Click("device_import_btn");  // the dialog was cancelled
    for (const char* text :
         {"not json", R"({"profilename":"a"})", R"({"profileUUID":"b"})", R"([1,2])"}) {
        m_files.importPath = m_dir / "in.json";
        WriteFileBytes(m_files.importPath, text);
        Click("device_import_btn");
    }
    EXPECT_EQ(ReadFileBytes(ListPath()), before);
    EXPECT_EQ(ProfileDocumentCount(), 1);
    EXPECT_THAT(m_shown, IsEmpty());
}

TEST_F(ProfileBar, ResetRestoresTheDefaultAndAsksThePageToApplyIt) {
    SetUpBar();
    TypeName(QStringLiteral("mine"));
    Click("device_profile_edit_save_btn");
    Json::Value changed = JsonFileStore().ReadJson(DocumentOf(0));
    changed["Device"][0]["LightMode"] = 9;
    ASSERT_EQ(JsonFileStore().WriteJson(DocumentOf(0), changed), 0);
    Click("device_reset_btn");
    const Json::Value reset = JsonFileStore().ReadJson(DocumentOf(0));
    EXPECT_EQ(reset["Device"][0]["LightMode"].asInt(), 3);
    EXPECT_EQ(reset["profilename"].asString(), "mine");
    EXPECT_EQ(reset["profileUUID"].asString(), m_bar->GetCurrentProfileId());
    EXPECT_EQ(m_page.reapplied, 1);

    // What the page reports of the macros it wrote afterwards.
    m_routes->ReportResetMacroWrite(0);
    m_routes->ReportResetMacroWrite(-1);
    m_routes->ReportResetMacroWrite(12);
    ASSERT_EQ(m_shown.size(), 2u);
    EXPECT_EQ(m_shown[0].id, msgtext::kMacroWriteFailed);
    EXPECT_EQ(m_shown[0].number, std::nullopt);
    EXPECT_EQ(m_shown[1].id, msgtext::kMacrosDoNotFit);
    EXPECT_EQ(m_shown[1].number, 12);
}

TEST_F(ProfileBar, OptionTabsTellThePageAndSelectExactlyOne) {
    SetUpBar();
    m_window.FindControlAs<COptionUI>(QStringLiteral("macro_Op_tab"))->Selected(true);
    EXPECT_THAT(m_page.tabs, ElementsAre(3));  // the tab losing the selection is no choice
    EXPECT_TRUE(TabSelected("macro_Op_tab"));
    EXPECT_FALSE(TabSelected("deng_Op_tab"));
    m_bar->SelectOptionTab(9);
    for (std::string_view tab : kOptionTabNames) {
        EXPECT_FALSE(TabSelected(std::string(tab).c_str())) << tab;
    }
    EXPECT_THAT(m_page.tabs, ElementsAre(3));  // the bar following the page is silent
}

TEST_F(ProfileBar, SpreadButtonOpensAndClosesTheProfileActions) {
    SetUpBar();
    EXPECT_FALSE(m_bar->IsSpread());
    Click("profile_fun_spread_btn");
    EXPECT_TRUE(m_bar->IsSpread());
    Click("profile_fun_spread_btn");
    EXPECT_FALSE(m_bar->IsSpread());
}

// A list the application may not write: every change is refused by the disk.
class ProfileBarWriteFailure : public ProfileBar {
protected:
    void SetUp() override {
        SetUpBar();
        Click("device_add_btn");
        m_page.loaded.clear();
        m_before = ReadFileBytes(ListPath());
        m_documents = ProfileDocumentCount();
        fs::permissions(ListPath(), fs::perms::owner_read | fs::perms::group_read);
    }
    void TearDown() override {
        fs::permissions(ListPath(), fs::perms::owner_read | fs::perms::owner_write);
    }
    void ExpectNothingChanged() {
        EXPECT_EQ(ReadFileBytes(ListPath()), m_before);
        EXPECT_EQ(ProfileDocumentCount(), m_documents);
        EXPECT_THAT(ComboTexts(), ElementsAre("profile1", "profile2"));
        EXPECT_EQ(Combo()->GetCurSel(), 0);
        EXPECT_EQ(m_bar->GetEditedName(), u"profile1");
        EXPECT_THAT(m_page.loaded, IsEmpty());
    }

    std::string m_before;
    int m_documents = 0;
};

TEST_F(ProfileBarWriteFailure, AddCopyAndImportShowTheFailureAndChangeNothing) {
    m_files.importPath = m_dir / "in.json";
    WriteFileBytes(m_files.importPath, R"({"profilename":"game","profileUUID":"x"})");
    Click("device_add_btn");
    Click("device_copy_btn");
    Click("device_import_btn");
    EXPECT_THAT(ShownIds(), ElementsAre(msgtext::kProfileNotSaved, msgtext::kProfileNotSaved,
                                        msgtext::kProfileNotSaved));
    ExpectNothingChanged();
}

TEST_F(ProfileBarWriteFailure, RenameAndDeleteShowTheFailureAndChangeNothing) {
    TypeName(QStringLiteral("game"));
    Click("device_profile_edit_save_btn");
    Click("device_sub_btn");
    EXPECT_THAT(ShownIds(), ElementsAre(msgtext::kProfileNotSaved, msgtext::kProfileNotSaved));
    TypeName(QStringLiteral("profile1"));
    ExpectNothingChanged();
}

TEST_F(ProfileBarWriteFailure, AChoiceThatCannotBeStoredLeavesThePageOnItsProfile) {
    ASSERT_TRUE(Combo()->SelectItem(1, false, true));
    EXPECT_THAT(ShownIds(), ElementsAre(msgtext::kProfileNotSaved));
    ExpectNothingChanged();
}

TEST_F(ProfileBar, AFailedExportIsShownAndAFailedResetIsNotApplied) {
    SetUpBar();
    m_files.exportPath = m_dir / "missing-folder" / "out.json";
    Click("device_export_btn");
    fs::permissions(DocumentOf(0), fs::perms::owner_read);
    Click("device_reset_btn");
    fs::permissions(DocumentOf(0), fs::perms::owner_read | fs::perms::owner_write);
    EXPECT_THAT(ShownIds(), ElementsAre(msgtext::kProfileExportFailed, msgtext::kProfileNotSaved));
    EXPECT_EQ(m_page.reapplied, 0);
}

TEST_F(ProfileBar, TheSkinsMessageBoxShowsTheFailure) {
    SetUpBar();
    m_resources.LoadResource(QStringLiteral("res.xml"));
    m_routes.emplace(*m_bar, m_page, m_files, ProfileBarRoutes::MessageBoxes(m_resources, *m_bar));
    m_window.routes = &*m_routes;
    fs::permissions(ListPath(), fs::perms::owner_read);
    QString shownText;
    QTimer::singleShot(30, [&shownText] {
        for (QWidget* top : QApplication::topLevelWidgets()) {
            if (auto* box = dynamic_cast<CMsgWnd*>(top); box != nullptr && box->isVisible()) {
                if (CControlUI* text = box->FindControl(QStringLiteral("MessageText"))) {
                    shownText = text->GetText();
                }
                if (auto* ok = box->FindControlAs<CButtonUI>(QStringLiteral("confirm_btn"))) {
                    ok->click();
                }
            }
        }
    });
    Click("device_add_btn");
    fs::permissions(ListPath(), fs::perms::owner_read | fs::perms::owner_write);
    EXPECT_EQ(shownText, QLatin1String(msgtext::kProfileNotSaved));
    EXPECT_THAT(ComboTexts(), ElementsAre("profile1"));
}

}  // namespace
}  // namespace quaro
