// The firing pattern panel built from the shipped fragment over a private user folder and the
// shipped factory gun files: what a saved bullet writes, what a reset restores, how selection is
// kept in range, and what becomes of missing and damaged gun files.

#include "TempDir.h"
#include "panels/shoot/CShootControlUI.h"
#include "profiles/JsonFileStore.h"
#include "support/QtTestApp.h"
#include "support/RecordingWindow.h"
#include "ui/toolkit/CDialogBuilder.h"
#include "ui/toolkit/CEditUI.h"
#include "ui/toolkit/CLabelUI.h"
#include "ui/toolkit/COptionUI.h"
#include "ui/toolkit/CResourceManager.h"
#include "ui/toolkit/CTabLayoutUI.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

namespace quaro {
namespace {

class ShootControls : public IDialogBuilderCallback {
public:
    CControlUI* CreateControl(const QString& className) override {
        return className == u"ShootControl" ? new CShootControlUI : nullptr;
    }
};

class ShootPanel : public ::testing::Test {
protected:
    ShootPanel() {
        test::WriteFileBytes(m_dir / "w.xml",
                             "<Window size=\"1300,180\"><VerticalLayout name=\"root\">"
                             "<HorizontalLayout name=\"area\"/></VerticalLayout></Window>");
        std::filesystem::create_directories(m_user);
        m_resources.SetResourcePath(test::SourceSkinPath());
        m_resources.LoadLanguage(QStringLiteral("lan_en.xml"));
        m_window.Create(QStringLiteral("t"), Qt::Window | Qt::FramelessWindowHint);
        CDialogBuilder builder;
        CControlUI* built = builder.Create(QStringLiteral("XML/CustomControlXML/ShootControl.xml"),
                                           m_resources, &m_controls);
        m_problems = builder.Problems();
        m_panel = dynamic_cast<CShootControlUI*>(built);
        if (m_panel == nullptr) {
            delete built;
            return;
        }
        m_window.FindControlAs<CContainerUI>(QStringLiteral("area"))->Add(m_panel);
        InitControls(m_panel);
        m_panel->SetFolders(m_user, test::SourceDefaultDataFolder());
    }

    void SetUp() override {
        ASSERT_NE(m_panel, nullptr);
        EXPECT_TRUE(m_problems.isEmpty()) << m_problems.join(u' ').toStdString();
        ASSERT_TRUE(m_panel->FindControls());
        m_panel->SelectGun(0);
        m_panel->SelectBullet(0);
    }

    template <class T = CControlUI>
    T* Find(const char* name) {
        return m_window.FindControlAs<T>(QLatin1String(name));
    }
    void Edit(const char* name, const char* text) { Find<CEditUI>(name)->SetText(text); }
    QString EditText(const char* name) { return Find<CEditUI>(name)->GetEditText(); }
    void Check(const char* name, bool on) { Find<COptionUI>(name)->Selected(on, false); }
    bool Checked(const char* name) { return Find<COptionUI>(name)->IsSelected(); }
    std::filesystem::path UserFile(int gun) {
        return m_user / ("ShootData_" + std::to_string(gun) + ".Shoot");
    }
    std::filesystem::path FactoryFile(int gun) {
        return test::SourceDefaultDataFolder() / ("ShootData_" + std::to_string(gun) + ".Shoot");
    }
    static Json::Value Event(const char* action, int button, int delay, int type) {
        Json::Value event(Json::objectValue);
        event["Action"] = action;
        event["Button"] = button;
        event["Delay"] = delay;
        event["Type"] = type;
        return event;
    }

    test::TempDir m_dir;
    std::filesystem::path m_user = m_dir / "user";
    CResourceManager m_resources;
    test::RecordingWindow m_window{m_resources, QString::fromStdString((m_dir / "w.xml").string())};
    ShootControls m_controls;
    QStringList m_problems;
    CShootControlUI* m_panel = nullptr;
};

TEST_F(ShootPanel, SavedBulletWritesItsFourEventsAndResetRestoresTheFactoryFileByteForByte) {
    ASSERT_TRUE(m_panel->ResetGun());  // the user's gun file starts as the factory copy
    m_panel->SelectBullet(2);
    Edit("bullet_x_eidt", "3");
    Edit("bullet_y_eidt", "7");
    Edit("bullet_delay_eidt", "90");
    Check("bullet_x_check", false);
    Check("bullet_y_check", true);
    ASSERT_TRUE(m_panel->SaveBullet());

    const JsonFileStore store;
    const Json::Value saved = store.ReadJson(UserFile(0));
    const Json::Value factory = store.ReadJson(FactoryFile(0));
    const Json::Value& events = saved["Events"];
    ASSERT_EQ(events.size(), 120u);
    EXPECT_EQ(events[8], Event("down", 1, 10, 1));
    EXPECT_EQ(events[9], Event("up", 1, 0, 1));
    EXPECT_EQ(events[10], Event("up", 3, 5, 4));     // right by 3
    EXPECT_EQ(events[11], Event("down", 7, 90, 5));  // upwards by 7, then 90 ms
    // The other bullets are as they were.
    for (Json::ArrayIndex i = 0; i < events.size(); ++i) {
        if (i < 8 || i > 11) {
            EXPECT_EQ(events[i], factory["Events"][i]) << i;
        }
    }

    // Shown again as saved after moving away and back.
    m_panel->NextBullet();
    m_panel->PreviousBullet();
    EXPECT_EQ(EditText("bullet_x_eidt"), u"3");
    EXPECT_EQ(EditText("bullet_delay_eidt"), u"90");
    EXPECT_FALSE(Checked("bullet_x_check"));
    EXPECT_TRUE(Checked("bullet_y_check"));
    EXPECT_EQ(Find<COptionUI>("bullet_y_check")->GetText(), u"mouse_move_to_up_text");

    ASSERT_TRUE(m_panel->ResetGun());
    EXPECT_EQ(test::ReadFileBytes(UserFile(0)), test::ReadFileBytes(FactoryFile(0)));
    EXPECT_EQ(m_panel->GetBullet(), 2);
    EXPECT_EQ(EditText("bullet_delay_eidt").toInt(),
              factory["Events"][11]["Delay"].asInt());  // the factory bullet is shown
}

TEST_F(ShootPanel, SelectionStaysWithinTheGunsAndBullets) {
    m_panel->SelectBullet(30);
    EXPECT_EQ(m_panel->GetBullet(), 29);
    EXPECT_EQ(Find<CLabelUI>("bullet_select_index")->GetText(), u"30");
    EXPECT_TRUE(Checked("bullet_op_29"));
    m_panel->NextBullet();
    EXPECT_EQ(m_panel->GetBullet(), 29);
    m_panel->SelectBullet(-1);
    EXPECT_EQ(m_panel->GetBullet(), 0);
    EXPECT_TRUE(Checked("bullet_op_0"));
    EXPECT_FALSE(Checked("bullet_op_29"));

    m_panel->SelectGun(7);
    EXPECT_EQ(m_panel->GetGun(), 3);
    EXPECT_TRUE(Checked("shoot_gun_op_3"));
    EXPECT_FALSE(Checked("shoot_gun_op_0"));
    EXPECT_EQ(Find<CTabLayoutUI>("shoot_image_display_switch")->GetCurSel(), 3);
    EXPECT_EQ(m_panel->UserGunFile(), UserFile(3));
}

TEST_F(ShootPanel, MissingAndDamagedGunFilesLoseNothing) {
    // No user file: the bullet shows as zeros, and a save writes only that bullet.
    m_panel->SelectGun(1);
    m_panel->SelectBullet(1);
    EXPECT_EQ(EditText("bullet_x_eidt"), u"0");
    EXPECT_FALSE(Checked("bullet_x_check"));
    EXPECT_EQ(Find<COptionUI>("bullet_x_check")->GetText(), u"mouse_move_to_right_text");
    Edit("bullet_x_eidt", "not a number");
    Edit("bullet_y_eidt", "4");
    Check("bullet_x_check", true);
    ASSERT_TRUE(m_panel->SaveBullet());
    const Json::Value created = JsonFileStore().ReadJson(UserFile(1));
    ASSERT_EQ(created["Events"].size(), 8u);
    EXPECT_TRUE(created["Events"][0].isNull());
    EXPECT_TRUE(created["Events"][3].isNull());
    EXPECT_EQ(created["Events"][6], Event("down", 0, 5, 4));

    // A damaged user file is kept beside the new one, not written over.
    test::WriteFileBytes(UserFile(1), "{ \"Events\": [ broken");
    ASSERT_TRUE(m_panel->SaveBullet());
    int kept = 0;
    for (const auto& entry : std::filesystem::directory_iterator(m_user)) {
        if (entry.path().filename().string().starts_with("ShootData_1.Shoot.damaged")) {
            EXPECT_EQ(test::ReadFileBytes(entry.path()), "{ \"Events\": [ broken");
            ++kept;
        }
    }
    EXPECT_EQ(kept, 1);
    EXPECT_EQ(JsonFileStore().ReadJson(UserFile(1))["Events"][7]["Button"].asInt(), 4);

    // No factory copy: a reset copies nothing and leaves the user's file.
    m_panel->SetFolders(m_user, m_dir / "no-factory");
    const std::string before = test::ReadFileBytes(UserFile(1));
    EXPECT_FALSE(m_panel->ResetGun());
    EXPECT_EQ(test::ReadFileBytes(UserFile(1)), before);
}

}  // namespace
}  // namespace quaro
