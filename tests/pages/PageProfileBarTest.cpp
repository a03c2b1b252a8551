// A device page with its profile bar, in a window that hands the page's notifications to the
// bar's routes as the main window does: what the bar finds of the page (kind, folders, factory
// document), and what the page is asked to do when the user changes the profile or the tab.

#include "TempDir.h"
#include "pages/CKestrovaUSBDevice.h"
#include "panels/profile/CDeviceProfileUI.h"
#include "panels/profile/ProfileBarRoutes.h"
#include "platform/Paths.h"
#include "profiles/JsonFileStore.h"
#include "support/QtTestApp.h"
#include "support/RecordingWindow.h"
#include "ui/CMsgWnd.h"
#include "ui/MessageTexts.h"
#include "ui/toolkit/CButtonUI.h"
#include "ui/toolkit/CComboUI.h"
#include "ui/toolkit/COptionUI.h"

#include <QApplication>
#include <QTimer>
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace quaro {
namespace {

namespace fs = std::filesystem;
using test::WriteFileBytes;
using ::testing::ElementsAre;
using ::testing::IsEmpty;

constexpr const char* kKindName = "MousePad";

// The base page with its profile operations recorded in the order they are asked for.
class RecordingPage : public CKestrovaUSBDevice {
public:
    QString GetClass() const override { return QStringLiteral("RecordingPage"); }

    int LoadProfile() override {
        ops.push_back("load " + CurrentProfilePath().filename().string());
        return 1;
    }
    void ValidateMacroAssignments() override { ops.push_back("validate"); }
    void RefreshPanels() override { ops.push_back("refresh"); }
    void ReapplyProfile() override { ops.push_back("factory"); }
    int WriteSettingsRecord(int32_t v1, int32_t v2, int32_t v3, int32_t, int32_t) override {
        ops.push_back("settings " + std::to_string(v1) + " " + std::to_string(v2) + " " +
                      std::to_string(v3));
        return 1;
    }
    int DownloadMacros() override {
        ops.push_back("macros");
        return macroResult;
    }
    int SaveKeyAssignments(int imageNumber) override {
        ops.push_back("keys " + std::to_string(imageNumber));
        return 1;
    }
    void SelectFunctionTab(int page) override {
        tabs.push_back(page);
        CKestrovaUSBDevice::SelectFunctionTab(page);
    }

    std::vector<std::string> ops;
    std::vector<int> tabs;
    int macroResult = 0;
};

// The main window reduced to what it does with a page's notifications.
class PageWindow : public test::RecordingWindow {
public:
    using RecordingWindow::RecordingWindow;
    CControlUI* CreateControl(const QString& className) override {
        if (className == u"RecordingPage") {
            return new RecordingPage;
        }
        return className == u"DeviceProfile" ? new CDeviceProfileUI : nullptr;
    }
    void Notify(TNotifyUI& msg) override {
        RecordingWindow::Notify(msg);
        auto* page = FindControlAs<RecordingPage>(QStringLiteral("page"));
        if (page != nullptr && page->ProfileRoutes() != nullptr) {
            page->ProfileRoutes()->Dispatch(msg);
        }
    }
};

std::string PageLayout(bool withBar) {
    return std::string(
               "<Window size=\"1200,200\"><VerticalLayout name=\"root\">"
               "<RecordingPage name=\"page\">") +
           (withBar ? "<Include source=\"XML/CustomControlXML/DeviceProfile.xml\"/>" : "") +
           "</RecordingPage></VerticalLayout></Window>";
}

class PageProfileBar : public ::testing::Test {
protected:
    PageProfileBar() { m_resources.SetResourcePath(test::SourceSkinPath()); }

    // Builds the window and configures its page as page creation does, up to InitPage.
    void CreatePage(bool withBar, int kind) {
        WriteFileBytes(m_dir / "w.xml", PageLayout(withBar));
        fs::create_directories(m_dir / "app" / "DefaultData");
        WriteFileBytes(m_dir / "app" / "DefaultData" / (std::string(kKindName) + ".Json"),
                       R"({"Device":[{"LightMode":5}],"profilename":"x","profileUUID":"y"})");
        m_window.Create(QStringLiteral("t"), Qt::Window | Qt::FramelessWindowHint);
        m_page = m_window.FindControlAs<RecordingPage>(QStringLiteral("page"));
        ASSERT_NE(m_page, nullptr);
        m_page->SetKindName(QLatin1String(kKindName));
        m_page->SetDataHome(m_dir / "data");
        m_page->SetApplicationFolder(m_dir / "app");
        m_page->SetResources(m_resources);
        DeviceInterfaceEntry record;
        record.kind = kind;
        m_page->SetDeviceRecord(record);
        m_page->InitPage();
    }

    fs::path Folder() const { return m_dir / "data" / kProductFolderName / kKindName; }
    Json::Value List() const { return JsonFileStore().ReadJson(Folder() / "ProfileList.ini"); }
    fs::path DocumentOf(int index) const {
        return Folder() / (List()["profilelist"][index]["profileUUID"].asString() + ".Json");
    }
    std::vector<std::string> ListNames() const {
        std::vector<std::string> names;
        const Json::Value list = List();
        for (const Json::Value& entry : list["profilelist"]) {
            names.push_back(entry["profilename"].asString());
        }
        return names;
    }
    void Click(const char* name) {
        auto* button = m_window.FindControlAs<CButtonUI>(QLatin1String(name));
        ASSERT_NE(button, nullptr) << name;
        button->click();
    }
    CComboUI* Combo() {
        return m_window.FindControlAs<CComboUI>(QStringLiteral("device_profile_combo"));
    }
    COptionUI* Tab(const char* name) {
        return m_window.FindControlAs<COptionUI>(QLatin1String(name));
    }

    test::TempDir m_dir;
    CResourceManager m_resources;
    PageWindow m_window{m_resources, QString::fromStdString((m_dir / "w.xml").string())};
    RecordingPage* m_page = nullptr;
};

TEST_F(PageProfileBar, SetUpGivesTheBarThePagesKindFoldersAndFactoryDocument) {
    CreatePage(true, 3);
    ASSERT_NE(m_page->ProfileRoutes(), nullptr);
    EXPECT_THAT(ListNames(), ElementsAre("profile1"));
    // The first profile is the page's factory document under its own name.
    const Json::Value first = JsonFileStore().ReadJson(DocumentOf(0));
    EXPECT_EQ(first["Device"][0]["LightMode"].asInt(), 5);
    EXPECT_EQ(first["profilename"].asString(), "profile1");
    // The page knows its document but reaches the device only when it starts on arrival.
    EXPECT_EQ(m_page->CurrentProfilePath(), DocumentOf(0));
    EXPECT_THAT(m_page->ops, IsEmpty());
    // A mouse pad has lights only.
    EXPECT_TRUE(Tab("deng_Op_tab")->IsSelected());
    for (const char* hidden : {"key_Op_tab", "macro_Op_tab", "system_Op_tab", "cursor_Op_tab"}) {
        EXPECT_FALSE(Tab(hidden)->IsVisible()) << hidden;
    }
}

TEST_F(PageProfileBar, AddThroughThePagesRoutesThenChoosingItSwitchesThePage) {
    CreatePage(true, 3);
    Click("device_add_btn");
    EXPECT_THAT(ListNames(), ElementsAre("profile1", "profile2"));
    EXPECT_EQ(List()["profileselect"].asInt(), 1);
    EXPECT_EQ(JsonFileStore().ReadJson(DocumentOf(1))["Device"][0]["LightMode"].asInt(), 5);
    // Adding leaves the combo and the page on the profile they show.
    EXPECT_THAT(m_page->ops, IsEmpty());

    ASSERT_TRUE(Combo()->SelectItem(1, false, true));
    EXPECT_EQ(m_page->CurrentProfilePath(), DocumentOf(1));
    const std::string loaded = "load " + DocumentOf(1).filename().string();
    EXPECT_THAT(m_page->ops,
                ElementsAre(loaded, "validate", "refresh", "settings 0 0 1", "macros", "keys 0"));

    // Deleting the current profile moves the page off the removed document.
    m_page->ops.clear();
    Click("device_sub_btn");
    EXPECT_THAT(ListNames(), ElementsAre("profile1"));
    EXPECT_EQ(m_page->CurrentProfilePath(), DocumentOf(0));
    ASSERT_FALSE(m_page->ops.empty());
    EXPECT_EQ(m_page->ops.front(), "load " + DocumentOf(0).filename().string());
}

TEST_F(PageProfileBar, ResetReloadsTheRewrittenDocumentInsteadOfTheFactoryOne) {
    CreatePage(true, 7);
    Json::Value changed = JsonFileStore().ReadJson(DocumentOf(0));
    changed["Device"][0]["LightMode"] = 9;
    ASSERT_EQ(JsonFileStore().WriteJson(DocumentOf(0), changed), 0);
    Click("device_reset_btn");
    EXPECT_EQ(JsonFileStore().ReadJson(DocumentOf(0))["Device"][0]["LightMode"].asInt(), 5);
    const std::string loaded = "load " + DocumentOf(0).filename().string();
    EXPECT_THAT(m_page->ops, ElementsAre(loaded, "refresh", "settings 0 0 1", "macros", "keys 0"));
}

TEST_F(PageProfileBar, AFailedMacroWriteAfterAResetIsShownInTheSkinsMessageBox) {
    m_resources.LoadResource(QStringLiteral("res.xml"));
    CreatePage(true, 1);
    m_page->macroResult = -1;
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
    Click("device_reset_btn");
    EXPECT_EQ(shownText, QLatin1String(msgtext::kMacroWriteFailed));
    // The key assignments are still written after the message.
    ASSERT_FALSE(m_page->ops.empty());
    EXPECT_EQ(m_page->ops.back(), "keys 0");
}

TEST_F(PageProfileBar, AnOptionTabSelectsThePagesFunctionAndTheBarFollows) {
    CreatePage(true, 2);
    Tab("cursor_Op_tab")->Selected(true);
    EXPECT_THAT(m_page->tabs, ElementsAre(5));
    EXPECT_EQ(m_page->GetFunctionTab(), 5);
    EXPECT_TRUE(Tab("cursor_Op_tab")->IsSelected());
    EXPECT_FALSE(Tab("deng_Op_tab")->IsSelected());
}

TEST_F(PageProfileBar, APageWithoutABarHasNoRoutesAndWritesNoList) {
    CreatePage(false, 1);
    EXPECT_EQ(m_page->ProfileRoutes(), nullptr);
    EXPECT_TRUE(m_page->CurrentProfilePath().empty());
    EXPECT_FALSE(fs::exists(Folder() / "ProfileList.ini"));
}

TEST_F(PageProfileBar, RoutesAreWithdrawnWhenTheBarGoes) {
    CreatePage(true, 1);
    ASSERT_NE(m_page->ProfileRoutes(), nullptr);
    delete m_window.FindControl(QStringLiteral("DeviceProfileItem"));
    EXPECT_EQ(m_page->ProfileRoutes(), nullptr);
    // Setting the page up again finds no bar and offers no routes.
    m_page->InitPage();
    EXPECT_EQ(m_page->ProfileRoutes(), nullptr);
}

}  // namespace
}  // namespace quaro
