// The device tab: its kind icons, its options, its binding to the page switch, and the timers
// that drive its page while the device is connected.

#include "DeviceTabFixture.h"
#include "panels/devicetab/DeviceKindIcons.h"
#include "ui/toolkit/CTabLayoutUI.h"

#include <QFile>
#include <QMouseEvent>
#include <QTest>

namespace quaro {
namespace {

using test::DeviceTabWindow;
using test::FakeTabPage;

struct IconRow {
    int kind;
    int role;
    const char* prefix;
};

class KindIcons : public ::testing::TestWithParam<IconRow> {};

TEST_P(KindIcons, NameTheKindsPicturesAndToolTip) {
    const IconRow row = GetParam();
    const std::optional<DeviceKindIcons> icons = DeviceKindIconsFor(row.kind, row.role);
    ASSERT_TRUE(icons);
    const QString base = QStringLiteral("common/device_ico/") + QLatin1String(row.prefix);
    EXPECT_EQ(icons->normal, base + QStringLiteral("_device_normal.png"));
    EXPECT_EQ(icons->selected, base + QStringLiteral("_device_selected.png"));
    EXPECT_EQ(icons->synchroNormal, base + QStringLiteral("_device_synchro_normal.png"));
    EXPECT_EQ(icons->synchroSelected, base + QStringLiteral("_device_synchro_selected.png"));
    EXPECT_EQ(icons->toolTip, QLatin1String(row.prefix) + QStringLiteral("_device_name_text"));
    // The skin ships every picture the table names.
    for (const QString& file :
         {icons->normal, icons->selected, icons->synchroNormal, icons->synchroSelected}) {
        EXPECT_FALSE(QPixmap(test::SourceSkinPath() + u'/' + file).isNull()) << file.toStdString();
    }
}

INSTANTIATE_TEST_SUITE_P(
    EveryKind, KindIcons,
    ::testing::Values(IconRow{1, 0, "kb"}, IconRow{1, 255, "kb"}, IconRow{2, 0, "ms"},
                      IconRow{3, 0, "hard_mp"}, IconRow{3, 1, "soft_mp"}, IconRow{4, 0, "hd"},
                      IconRow{7, 0, "hd"}, IconRow{5, 0, "hub"}, IconRow{6, 0, "unknow"},
                      IconRow{0, 0, "unknow"}, IconRow{-1, 0, "unknow"}),
    [](const ::testing::TestParamInfo<IconRow>& info) {
        const IconRow& row = info.param;
        const std::string kind =
            row.kind < 0 ? "Minus" + std::to_string(-row.kind) : std::to_string(row.kind);
        return std::string(row.prefix) + "_kind" + kind + "_role" + std::to_string(row.role);
    });

TEST(KindIconsTable, APadRoleThatNamesNoSurfaceHasNoSet) {
    EXPECT_FALSE(DeviceKindIconsFor(3, 2));
    EXPECT_FALSE(DeviceKindIconsFor(3, 255));
}

class DeviceTab : public DeviceTabWindow {
protected:
    DeviceTab() {
        m_tab = BuildInto<CDeviceOptionUI>("XML/CustomControlXML/DeviceOption.xml",
                                           "device_select_layout");
    }

    COptionUI* Option(const char* name) {
        return m_window.FindControlAs<COptionUI>(QLatin1String(name));
    }

    CDeviceOptionUI* m_tab = nullptr;
    FakeTabPage m_page;
};

TEST_F(DeviceTab, FragmentHoldsTheControlsTheTabDrives) {
    ASSERT_NE(m_tab, nullptr);
    EXPECT_EQ(m_tab->GetClass(), u"DeviceOption");
    EXPECT_NE(Option("device_select"), nullptr);
    EXPECT_NE(Option("synchro_device_select"), nullptr);
    EXPECT_NE(m_window.FindControl(QStringLiteral("device_select_name")), nullptr);
    // Until told otherwise a tab shows the unknown device.
    EXPECT_EQ(m_tab->GetShownNormalImage(), u"common/device_ico/unknow_device_normal.png");
    EXPECT_FALSE(Option("device_select")->icon().isNull());
    EXPECT_TRUE(m_tab->IsShown());
    EXPECT_EQ(m_tab->GetPowerIndex(), -1);
}

TEST_F(DeviceTab, KindIconsGoOntoTheOptionAndAnUnknownPadRoleKeepsThem) {
    ASSERT_NE(m_tab, nullptr);
    m_tab->SetKindIcons(3, 1);
    EXPECT_EQ(m_tab->GetKind(), 3);
    EXPECT_EQ(m_tab->GetRole(), 1);
    EXPECT_EQ(Option("device_select")->GetToolTip(), u"soft_mp_device_name_text");
    EXPECT_EQ(m_tab->GetShownNormalImage(), u"common/device_ico/soft_mp_device_normal.png");
    EXPECT_EQ(m_tab->GetShownSelectedImage(), u"common/device_ico/soft_mp_device_selected.png");
    EXPECT_FALSE(Option("device_select")->icon().isNull());

    m_tab->SetKindIcons(3, 7);
    EXPECT_EQ(m_tab->GetRole(), 7);
    EXPECT_EQ(Option("device_select")->GetToolTip(), u"soft_mp_device_name_text");
    EXPECT_EQ(m_tab->GetShownNormalImage(), u"common/device_ico/soft_mp_device_normal.png");
}

TEST_F(DeviceTab, OptionIconFollowsSelectionAndSynchronisation) {
    ASSERT_NE(m_tab, nullptr);
    m_tab->SetKindIcons(1, 0);
    COptionUI* option = Option("device_select");
    auto shown = [&](QIcon::Mode mode, QIcon::State state) {
        return option->icon()
            .pixmap(QSize(136, 136), mode, state)
            .toImage()
            .convertToFormat(QImage::Format_ARGB32);
    };
    auto picture = [](const QString& file) {
        return QImage(test::SourceSkinPath() + u'/' + file).convertToFormat(QImage::Format_ARGB32);
    };
    EXPECT_EQ(shown(QIcon::Normal, QIcon::Off),
              picture(QStringLiteral("common/device_ico/kb_device_normal.png")));
    EXPECT_EQ(shown(QIcon::Normal, QIcon::On),
              picture(QStringLiteral("common/device_ico/kb_device_selected.png")));
    EXPECT_EQ(shown(QIcon::Disabled, QIcon::Off),
              picture(QStringLiteral("common/device_ico/kb_device_normal.png")));

    m_tab->ShowSynchroOption(true);
    EXPECT_TRUE(Option("synchro_device_select")->IsVisible());
    m_window.ClearNotes();
    m_tab->SetSynchroSelected(true);
    EXPECT_TRUE(m_tab->IsSynchroSelected());
    EXPECT_EQ(m_window.NotesOf(notify::kSelectChanged).size(), 1u);
    EXPECT_EQ(shown(QIcon::Normal, QIcon::On),
              picture(QStringLiteral("common/device_ico/kb_device_synchro_selected.png")));
    EXPECT_EQ(m_tab->GetShownNormalImage(), u"common/device_ico/kb_device_synchro_normal.png");

    // The user clearing the check brings the plain pictures back too.
    Option("synchro_device_select")->Activate();
    EXPECT_FALSE(m_tab->IsSynchroSelected());
    EXPECT_EQ(shown(QIcon::Normal, QIcon::Off),
              picture(QStringLiteral("common/device_ico/kb_device_normal.png")));

    // Selecting again without a change raises nothing.
    m_window.ClearNotes();
    m_tab->SetSynchroSelected(false);
    EXPECT_TRUE(m_window.NotesOf(notify::kSelectChanged).empty());
    m_tab->ShowSynchroOption(false);
    EXPECT_FALSE(Option("synchro_device_select")->IsVisible());
}

TEST_F(DeviceTab, SelectingTheOptionSelectsTheBoundPageAndOneTabOfTheGroup) {
    ASSERT_NE(m_tab, nullptr);
    auto* second =
        BuildInto<CDeviceOptionUI>("XML/CustomControlXML/DeviceOption.xml", "device_select_layout");
    ASSERT_NE(second, nullptr);
    auto* pages = m_window.FindControlAs<CTabLayoutUI>(QStringLiteral("device_switch"));
    m_tab->SetGroup(QStringLiteral("tab_header_device"));
    second->SetGroup(QStringLiteral("tab_header_device"));
    m_tab->BindTab(QStringLiteral("device_switch"), 2);
    second->BindTab(QStringLiteral("device_switch"), 1);
    EXPECT_EQ(m_tab->GetBoundTabName(), u"device_switch");
    EXPECT_EQ(m_tab->GetBoundTabIndex(), 2);

    m_tab->SetDeviceSelected(true);
    EXPECT_TRUE(m_tab->IsDeviceSelected());
    EXPECT_EQ(pages->GetCurSel(), 2);
    second->SetDeviceSelected(true);
    EXPECT_EQ(pages->GetCurSel(), 1);
    EXPECT_FALSE(m_tab->IsDeviceSelected());
    EXPECT_TRUE(m_tab->property("tabselected").isValid());
    EXPECT_FALSE(m_tab->property("tabselected").toBool());
    EXPECT_TRUE(second->property("tabselected").toBool());
}

TEST_F(DeviceTab, StoredStateOfTheWindowsSelectionRules) {
    ASSERT_NE(m_tab, nullptr);
    m_tab->SetPowerContainer(QStringLiteral("device_power_switch"), 3);
    m_tab->SetPowerContainer(QStringLiteral("device_power_switch"), -1);
    EXPECT_EQ(m_tab->GetPowerContainer(), u"device_power_switch");
    EXPECT_EQ(m_tab->GetPowerIndex(), 3);

    m_tab->SetVisible(false);
    EXPECT_FALSE(m_tab->IsShown());
    EXPECT_TRUE(m_tab->isHidden());
    m_tab->SetVisible(true);
    EXPECT_TRUE(m_tab->IsShown());

    m_tab->SetDeviceName(QStringLiteral("keyboard"));
    EXPECT_EQ(m_window.FindControl(QStringLiteral("device_select_name"))->GetText(), u"keyboard");

    m_tab->AttachPage(&m_page);
    EXPECT_EQ(m_tab->GetPage(), &m_page);
    EXPECT_EQ(m_page.attachedTab, m_tab);
}

TEST_F(DeviceTab, AClickOnTheCardRaisesSelectChangedFromTheTab) {
    ASSERT_NE(m_tab, nullptr);
    m_window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&m_window));
    m_window.ClearNotes();
    // Beside the icon, on the card itself.
    QTest::mouseClick(m_tab, Qt::LeftButton, {}, QPoint(m_tab->width() - 4, 4));
    const auto notes = m_window.NotesOf(notify::kSelectChanged);
    ASSERT_EQ(notes.size(), 1u);
    EXPECT_EQ(notes[0].sender, u"device_option");

    m_tab->SetEnabled(false);
    EXPECT_FALSE(m_tab->Activate());
}

TEST_F(DeviceTab, StartRunsOnStartThenFramesAndNoStatusWithoutPowerMode) {
    ASSERT_NE(m_tab, nullptr);
    m_tab->AttachPage(&m_page);
    m_tab->StartPageTimers();
    EXPECT_TRUE(m_tab->HasTimer(CDeviceOptionUI::kTimerStart));

    m_tab->OnTimer(CDeviceOptionUI::kTimerStart);
    EXPECT_EQ(m_page.Count(1001), 1);
    EXPECT_FALSE(m_tab->HasTimer(CDeviceOptionUI::kTimerStart));
    EXPECT_TRUE(m_tab->HasTimer(CDeviceOptionUI::kTimerFrame));
    EXPECT_FALSE(m_tab->HasTimer(CDeviceOptionUI::kTimerStatus));

    m_tab->OnTimer(CDeviceOptionUI::kTimerFrame);
    EXPECT_EQ(m_page.frames, 1);
    EXPECT_TRUE(m_tab->HasTimer(CDeviceOptionUI::kTimerFrame));
}

TEST_F(DeviceTab, StartNowRunsTheArmedStartOnceAndNothingBeforeAnArrival) {
    ASSERT_NE(m_tab, nullptr);
    m_tab->AttachPage(&m_page);
    EXPECT_FALSE(m_tab->StartNow());
    EXPECT_EQ(m_page.Count(1001), 0);

    m_tab->StartPageTimers();
    EXPECT_TRUE(m_tab->StartNow());
    EXPECT_TRUE(m_tab->StartNow());
    EXPECT_EQ(m_page.Count(1001), 1);
    EXPECT_FALSE(m_tab->HasTimer(CDeviceOptionUI::kTimerStart));
    EXPECT_TRUE(m_tab->HasTimer(CDeviceOptionUI::kTimerFrame));

    // The next arrival starts the page again.
    m_tab->StartPageTimers();
    EXPECT_TRUE(m_tab->StartNow());
    EXPECT_EQ(m_page.Count(1001), 2);
}

TEST_F(DeviceTab, StatusPollsRepeatOnlyWithPowerModeWhileConnected) {
    ASSERT_NE(m_tab, nullptr);
    m_tab->AttachPage(&m_page);
    m_page.powerMode = 1;
    m_tab->OnTimer(CDeviceOptionUI::kTimerStart);
    EXPECT_TRUE(m_tab->HasTimer(CDeviceOptionUI::kTimerStatus));
    m_tab->OnTimer(CDeviceOptionUI::kTimerStatus);
    EXPECT_EQ(m_page.Count(1005), 1);
    EXPECT_TRUE(m_tab->HasTimer(CDeviceOptionUI::kTimerStatus));

    m_page.connected = false;
    m_tab->OnTimer(CDeviceOptionUI::kTimerStatus);
    EXPECT_EQ(m_page.Count(1005), 2);
    EXPECT_FALSE(m_tab->HasTimer(CDeviceOptionUI::kTimerStatus));

    // An arrival whose open failed starts no status chain at all.
    m_tab->OnTimer(CDeviceOptionUI::kTimerStart);
    EXPECT_FALSE(m_tab->HasTimer(CDeviceOptionUI::kTimerStatus));
}

TEST_F(DeviceTab, PageTimersRunOnceEach) {
    ASSERT_NE(m_tab, nullptr);
    m_tab->AttachPage(&m_page);
    for (int id : {CDeviceOptionUI::kTimerPage1003, CDeviceOptionUI::kTimerPage1002,
                   CDeviceOptionUI::kTimerPage1004}) {
        m_tab->SetTimer(id, 60000);
        m_tab->OnTimer(id);
        EXPECT_FALSE(m_tab->HasTimer(id)) << id;
    }
    EXPECT_EQ(m_page.calls, (std::vector<int>{1003, 1002, 1004}));
}

TEST_F(DeviceTab, FramesFlowEveryFewMillisecondsAndStopWithinOneFrameOfRemoval) {
    ASSERT_NE(m_tab, nullptr);
    m_tab->AttachPage(&m_page);
    m_tab->StartPageTimers();
    ASSERT_TRUE(test::WaitFor([&] { return m_page.frames >= 10; }, 5000));
    EXPECT_EQ(m_page.Count(1001), 1);
    EXPECT_EQ(m_page.Count(1005), 0);

    m_page.connected = false;
    const int atRemoval = m_page.frames;
    QTest::qWait(100);
    EXPECT_LE(m_page.frames, atRemoval + 1);
    EXPECT_FALSE(m_tab->HasTimer(CDeviceOptionUI::kTimerFrame));

    // The next arrival starts the chain again.
    m_page.connected = true;
    m_tab->StartPageTimers();
    ASSERT_TRUE(test::WaitFor([&] { return m_page.frames >= atRemoval + 5; }, 5000));
    EXPECT_EQ(m_page.Count(1001), 2);
}

TEST_F(DeviceTab, FramesRestWhileThePageSaysSoAndResumeOnceOnlyWhereTheyMayRun) {
    ASSERT_NE(m_tab, nullptr);
    m_tab->AttachPage(&m_page);
    m_tab->StartPageTimers();
    // Before the start the start timer begins the chain: a resume adds no second one.
    m_tab->ResumeFrames();
    EXPECT_FALSE(m_tab->HasTimer(CDeviceOptionUI::kTimerFrame));
    m_tab->OnTimer(CDeviceOptionUI::kTimerStart);
    ASSERT_TRUE(m_tab->HasTimer(CDeviceOptionUI::kTimerFrame));

    m_page.restFrames = true;
    m_tab->OnTimer(CDeviceOptionUI::kTimerFrame);
    EXPECT_EQ(m_page.frames, 1);
    EXPECT_FALSE(m_tab->HasTimer(CDeviceOptionUI::kTimerFrame));
    QTest::qWait(30);
    EXPECT_EQ(m_page.frames, 1);

    m_page.restFrames = false;
    m_tab->ResumeFrames();
    EXPECT_TRUE(m_tab->HasTimer(CDeviceOptionUI::kTimerFrame));
    ASSERT_TRUE(test::WaitFor([&] { return m_page.frames >= 3; }, 5000));

    // A device that went away gets no frames from a late resume.
    m_page.connected = false;
    m_tab->KillTimer(CDeviceOptionUI::kTimerFrame);
    m_tab->ResumeFrames();
    EXPECT_FALSE(m_tab->HasTimer(CDeviceOptionUI::kTimerFrame));
}

// Counts its own paintings.
class PreviewCounter : public CControlOn<QWidget> {
public:
    int paints = 0;

protected:
    void paintEvent(QPaintEvent* event) override {
        ++paints;
        CControlOn<QWidget>::paintEvent(event);
    }
};

TEST_F(DeviceTab, PreviewRepaintsOnlyForTheSelectedTabWithPreviewEnabled) {
    ASSERT_NE(m_tab, nullptr);
    auto* preview = new PreviewCounter;
    preview->setFixedSize(40, 40);
    m_window.FindControlAs<CContainerUI>(QStringLiteral("root"))->Add(preview);
    m_window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&m_window));
    m_tab->AttachPage(&m_page);
    m_tab->SetPreviewControl(preview);
    auto paintsAfterFrame = [&] {
        QCoreApplication::processEvents();
        const int before = preview->paints;
        m_page.previewChanged = true;
        m_tab->OnTimer(CDeviceOptionUI::kTimerFrame);
        QCoreApplication::processEvents();
        QCoreApplication::processEvents();
        return preview->paints - before;
    };
    EXPECT_EQ(paintsAfterFrame(), 0);  // not selected
    m_tab->SetDeviceSelected(true);
    EXPECT_GT(paintsAfterFrame(), 0);
    m_page.previewEnabled = false;
    EXPECT_EQ(paintsAfterFrame(), 0);
    EXPECT_EQ(m_page.frames, 3);
}

TEST_F(DeviceTab, PreviewRepaintsOnlyFramesThatChangedThePicture) {
    ASSERT_NE(m_tab, nullptr);
    auto* preview = new PreviewCounter;
    preview->setFixedSize(40, 40);
    m_window.FindControlAs<CContainerUI>(QStringLiteral("root"))->Add(preview);
    m_window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&m_window));
    m_tab->AttachPage(&m_page);
    m_tab->SetPreviewControl(preview);
    auto paintsAfterFrame = [&](bool changed) {
        // Paints still owed to exposure or selection land first, however late a loaded machine
        // delivers them; then the frame's own repaint, if it asks for one, is waited for.
        for (int settled = -1; settled != preview->paints;) {
            settled = preview->paints;
            QTest::qWait(50);
        }
        const int before = preview->paints;
        m_page.previewChanged = changed;
        m_tab->OnTimer(CDeviceOptionUI::kTimerFrame);
        // Only the frames asked for here: the chain the frame re-arms would add its own.
        m_tab->KillTimer(CDeviceOptionUI::kTimerFrame);
        static_cast<void>(QTest::qWaitFor([&] { return preview->paints > before; }, 500));
        return preview->paints - before;
    };
    // A change while the tab is not selected is taken with its frame, not kept for later.
    EXPECT_EQ(paintsAfterFrame(true), 0);
    m_tab->SetDeviceSelected(true);
    QCoreApplication::processEvents();
    EXPECT_EQ(paintsAfterFrame(false), 0);
    EXPECT_GT(paintsAfterFrame(true), 0);
    EXPECT_FALSE(m_page.previewChanged);
    EXPECT_EQ(paintsAfterFrame(false), 0);
    // The frame itself goes out either way: only the picture rests.
    EXPECT_EQ(m_page.frames, 4);
}

TEST(DeviceTabAlone, MissingInnerControlsAndPageAreTolerated) {
    CDeviceOptionUI tab;
    tab.SetKindIcons(2, 0);
    tab.ShowSynchroOption(true);
    tab.SetSynchroSelected(true);
    tab.SetDeviceSelected(true);
    tab.BindTab(QStringLiteral("device_switch"), 1);
    tab.SetGroup(QStringLiteral("tab_header_device"));
    tab.SetDeviceName(QStringLiteral("mouse"));
    EXPECT_FALSE(tab.IsSynchroSelected());
    EXPECT_FALSE(tab.IsDeviceSelected());
    EXPECT_EQ(tab.GetBoundTabIndex(), -1);
    EXPECT_EQ(tab.GetKind(), 2);

    // Without a page the timers stop and nothing else happens.
    tab.StartPageTimers();
    tab.OnTimer(CDeviceOptionUI::kTimerStart);
    EXPECT_FALSE(tab.HasTimer(CDeviceOptionUI::kTimerFrame));
    tab.OnTimer(CDeviceOptionUI::kTimerFrame);
    tab.OnTimer(CDeviceOptionUI::kTimerPage1002);
    tab.OnTimer(CDeviceOptionUI::kTimerStatus);

    // A page without a tab's controls still gets its frames.
    FakeTabPage page;
    tab.AttachPage(&page);
    tab.OnTimer(CDeviceOptionUI::kTimerStart);
    tab.OnTimer(CDeviceOptionUI::kTimerFrame);
    EXPECT_EQ(page.frames, 1);
    EXPECT_TRUE(tab.HasTimer(CDeviceOptionUI::kTimerFrame));
}

}  // namespace
}  // namespace quaro
