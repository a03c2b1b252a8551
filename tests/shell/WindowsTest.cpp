// The application's windows: the message box, the skin picker, the language choice and the
// main window's messages, routes and states.

#include "RegisteredControls.h"
#include "TempDir.h"
#include "TraceCapture.h"
#include "pages/CKestrovaUSBDevice.h"
#include "panels/devicetab/CDeviceOptionUI.h"
#include "shell/CMainWnd.h"
#include "shell/CSkinFrame.h"
#include "support/QtTestApp.h"
#include "ui/CMsgWnd.h"
#include "ui/Language.h"
#include "ui/MainMessages.h"
#include "ui/RegisteredMessages.h"
#include "ui/toolkit/CButtonUI.h"
#include "ui/toolkit/CContainerUI.h"
#include "ui/toolkit/CLabelUI.h"
#include "ui/toolkit/CMenuWnd.h"
#include "ui/toolkit/CResourceManager.h"
#include "ui/toolkit/CTabLayoutUI.h"

#include <QSettings>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

namespace quaro {
namespace {

// Clicks a named control of the first visible top-level window of class T once it shows up.
template <class T>
void ClickLater(const char* control) {
    QTimer::singleShot(30, [control] {
        for (QWidget* top : QApplication::topLevelWidgets()) {
            if (auto* window = dynamic_cast<T*>(top); window != nullptr && window->isVisible()) {
                if (auto* button =
                        window->template FindControlAs<CButtonUI>(QLatin1String(control))) {
                    button->click();
                    return;
                }
            }
        }
    });
}

class SkinWindows : public ::testing::Test {
protected:
    SkinWindows() {
        test::RegisterApplicationControls();
        m_resources.SetResourcePath(test::SourceSkinPath());
        m_resources.LoadResource(QStringLiteral("res.xml"));
        m_resources.LoadLanguage(QStringLiteral("lan_en.xml"));
    }

    test::TempDir m_dir;
    CResourceManager m_resources;
};

using MessageBox = SkinWindows;

TEST_F(MessageBox, ReturnsOneOnlyForConfirm) {
    ClickLater<CMsgWnd>("confirm_btn");
    EXPECT_EQ(CMsgWnd::ShowMessage(m_resources, nullptr, {}, QStringLiteral("message_text_5")), 1);
    ClickLater<CMsgWnd>("cancel_btn");
    EXPECT_EQ(CMsgWnd::ShowMessage(m_resources, nullptr, {}, QStringLiteral("message_text_5"), 96,
                                   true, 1),
              0);
    ClickLater<CMsgWnd>("closebtn");
    EXPECT_EQ(CMsgWnd::ShowMessage(m_resources, nullptr, {}, QStringLiteral("message_text_5")), 0);
}

TEST_F(MessageBox, FillsTitleTextAndButtons) {
    auto* box = new CMsgWnd(m_resources);
    box->Create(QStringLiteral("msgwnd"), Qt::Tool);
    const QString layoutTitle = box->FindControl(QStringLiteral("MessageTitle"))->GetShownText();
    box->Prepare({}, QStringLiteral("message_text_5"), 96, true, 0);
    EXPECT_EQ(box->FindControl(QStringLiteral("MessageTitle"))->GetShownText(), layoutTitle);
    EXPECT_EQ(box->FindControl(QStringLiteral("MessageText"))->GetShownText(),
              m_resources.GetText(QStringLiteral("message_text_5")));
    EXPECT_FALSE(box->FindControl(QStringLiteral("cancel_btn"))->IsVisible());
    EXPECT_TRUE(box->FindControl(QStringLiteral("confirm_btn"))->IsVisible());

    box->Prepare(QStringLiteral("Title"), QStringLiteral("plain words"), 96, false, 1);
    EXPECT_EQ(box->FindControl(QStringLiteral("MessageTitle"))->GetShownText(), u"Title");
    EXPECT_EQ(box->FindControl(QStringLiteral("MessageText"))->GetShownText(), u"plain words");
    EXPECT_TRUE(box->FindControl(QStringLiteral("cancel_btn"))->IsVisible());
    delete box;
}

// Presses keys, one after the other, where the first visible message box has its focus.
void PressLater(std::vector<Qt::Key> keys) {
    QTimer::singleShot(30, [keys] {
        for (QWidget* top : QApplication::topLevelWidgets()) {
            if (auto* box = dynamic_cast<CMsgWnd*>(top); box != nullptr && box->isVisible()) {
                for (Qt::Key key : keys) {
                    QWidget* target = box->focusWidget() != nullptr ? box->focusWidget() : box;
                    QTest::keyClick(target, key);
                }
                return;
            }
        }
    });
}

TEST_F(MessageBox, EnterAnswersWithTheFocusedButtonAndEscapeCancels) {
    const QString text = QStringLiteral("message_text_4");
    PressLater({Qt::Key_Return});
    EXPECT_EQ(CMsgWnd::ShowMessage(m_resources, nullptr, {}, text, 96, true, 1), 1);
    PressLater({Qt::Key_Enter});
    EXPECT_EQ(CMsgWnd::ShowMessage(m_resources, nullptr, {}, text, 96, true, 0), 1);
    PressLater({Qt::Key_Escape});
    EXPECT_EQ(CMsgWnd::ShowMessage(m_resources, nullptr, {}, text, 96, true, 1), 0);
    PressLater({Qt::Key_Escape});
    EXPECT_EQ(CMsgWnd::ShowMessage(m_resources, nullptr, {}, text, 96, true, 0), 0);
    // Tab moves the focus from OK to Cancel; Enter then cancels.
    PressLater({Qt::Key_Tab, Qt::Key_Return});
    EXPECT_EQ(CMsgWnd::ShowMessage(m_resources, nullptr, {}, text, 96, true, 1), 0);
}

TEST_F(MessageBox, AnswerButtonsTakeTheFocusOkFirst) {
    auto* box = new CMsgWnd(m_resources);
    box->Create(QStringLiteral("msgwnd"), Qt::Tool);
    box->Prepare({}, QStringLiteral("message_text_4"), 96, true, 1);
    box->show();
    QWidget* confirm = box->FindControl(QStringLiteral("confirm_btn"))->GetWidget();
    QWidget* cancel = box->FindControl(QStringLiteral("cancel_btn"))->GetWidget();
    EXPECT_EQ(confirm->focusPolicy(), Qt::StrongFocus);
    EXPECT_EQ(cancel->focusPolicy(), Qt::StrongFocus);
    EXPECT_EQ(box->focusWidget(), confirm);
    delete box;
}

TEST(WindowPlacement, FitsTheWantedSizeIntoTheAvailableArea) {
    // Room enough: the wanted size, centred.
    EXPECT_EQ(CWindowWnd::FitIntoArea({1350, 810}, {0, 0, 1920, 1050}), QRect(285, 120, 1350, 810));
    // A 1366 x 768 screen: scaled down keeping the proportions, whole and inside.
    const QRect small = CWindowWnd::FitIntoArea({1350, 810}, {0, 0, 1366, 768});
    EXPECT_EQ(small.size(), QSize(1280, 768));
    EXPECT_TRUE(QRect(0, 0, 1366, 768).contains(small));
    // A panel at the top and a second screen to the right: inside that screen's free area.
    const QRect area(1920, 32, 1366, 736);
    const QRect placed = CWindowWnd::FitIntoArea({1350, 810}, area);
    EXPECT_TRUE(area.contains(placed));
    EXPECT_EQ(placed.height(), 736);
    EXPECT_EQ(placed.width(), 1350 * 736 / 810);
    // Nothing known about the screen: the wanted size stays.
    EXPECT_EQ(CWindowWnd::FitIntoArea({1350, 810}, {}).size(), QSize(1350, 810));
}

TEST_F(MessageBox, ScaleOutsideTheSetFallsBackTo96) {
    test::TraceCapture trace;
    EXPECT_EQ(CMsgWnd::AcceptedScale(144), 144);
    EXPECT_FALSE(trace.Contains("MSG_WND DPI SET ERROR"));
    EXPECT_EQ(CMsgWnd::AcceptedScale(100), 96);
    EXPECT_TRUE(trace.Contains("MSG_WND DPI SET ERROR"));
}

// Records what the skin picker announces.
class SkinRecorder : public SkinChangeReceiver {
public:
    SkinRecorder(std::vector<int>& order, int id) : m_order(order), m_id(id) {}
    int Receive(SkinChangedParam param) override {
        m_order.push_back(m_id);
        m_last = param;
        return 1;
    }
    SkinChangedParam m_last;

private:
    std::vector<int>& m_order;
    int m_id;
};

class SkinPicker : public SkinWindows {
protected:
    SkinPicker() : m_first(m_order, 1), m_second(m_order, 2) {
        GetSkinChangeObserver().AddReceiver(&m_first);
        GetSkinChangeObserver().AddReceiver(&m_second);
        m_frame = new CSkinFrame(m_resources, nullptr, nullptr, m_dir.Path());
        m_frame->Create(QStringLiteral("skinframe"), Qt::Tool);
    }
    ~SkinPicker() override { delete m_frame; }

    CButtonUI* First(const char* name) {
        return m_frame->FindControlAs<CButtonUI>(QLatin1String(name));
    }
    QString IniText() const { return QString::fromUtf8(test::ReadFileBytes(m_dir / "main.ini")); }

    std::vector<int> m_order;
    SkinRecorder m_first;
    SkinRecorder m_second;
    CSkinFrame* m_frame;
};

TEST_F(SkinPicker, PresetPictureIsBroadcastInOrderAndStored) {
    CButtonUI* preset = First("skin_image_btn");
    ASSERT_NE(preset, nullptr);
    preset->click();
    EXPECT_EQ(m_order, (std::vector<int>{1, 2}));
    EXPECT_FALSE(m_first.m_last.bColor);
    EXPECT_EQ(m_first.m_last.bgimage, preset->GetUserData());
    EXPECT_TRUE(IniText().contains(u"[SKINIMAGE]"));
    EXPECT_TRUE(IniText().contains(u"FLAGS=1"));
    EXPECT_TRUE(IniText().contains(QStringLiteral("IMAGE=") + preset->GetUserData()));
}

TEST_F(SkinPicker, ColourSwatchIsBroadcastButNotStored) {
    CButtonUI* swatch = First("skin_color_btn");
    ASSERT_NE(swatch, nullptr);
    swatch->click();
    EXPECT_TRUE(m_first.m_last.bColor);
    EXPECT_EQ(m_first.m_last.bkcolor, swatch->GetBkColor());
    EXPECT_FALSE(std::filesystem::exists(m_dir / "main.ini"));
}

TEST_F(SkinPicker, ResetRestoresTheDefaultPicture) {
    First("skin_reset")->click();
    EXPECT_EQ(m_first.m_last.bgimage, u"common/background.png");
    EXPECT_TRUE(IniText().contains(u"FLAGS=0"));
    EXPECT_TRUE(IniText().contains(u"IMAGE=common/background.png"));
}

TEST_F(SkinPicker, TabsSwitchBetweenPicturesAndColours) {
    auto* tabs = m_frame->FindControlAs<CTabLayoutUI>(QStringLiteral("skin_tab"));
    First("skin_color")->click();
    EXPECT_EQ(tabs->GetCurSel(), 1);
    First("skin_image")->click();
    EXPECT_EQ(tabs->GetCurSel(), 0);
}

TEST_F(SkinPicker, CustomPictureAppliesWithoutStoringAndCancelChangesNothing) {
    m_frame->SetFileChooser([] { return QString(); });
    First("skin_Custom")->click();
    EXPECT_TRUE(m_order.empty());
    m_frame = new CSkinFrame(m_resources, nullptr, nullptr, m_dir.Path());
    m_frame->Create(QStringLiteral("skinframe"), Qt::Tool);
    m_frame->SetFileChooser([] { return QStringLiteral("/pictures/mine.png"); });
    First("skin_Custom")->click();
    EXPECT_EQ(m_first.m_last.bgimage, u"/pictures/mine.png");
    EXPECT_FALSE(std::filesystem::exists(m_dir / "main.ini"));
}

TEST_F(SkinPicker, HangsBelowItsAnchorRightAligned) {
    QWidget owner;
    owner.resize(400, 200);
    auto* anchor = new CButtonUI(&owner);
    anchor->setGeometry(300, 10, 40, 40);
    owner.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&owner));
    CSkinFrame* frame = CSkinFrame::Open(m_resources, nullptr, anchor, m_dir.Path());
    const QPoint anchorCorner = anchor->mapToGlobal(QPoint(anchor->width(), anchor->height()));
    EXPECT_EQ(frame->pos(), QPoint(anchorCorner.x() - frame->width(), anchorCorner.y()));
    frame->Close(0);
    EXPECT_TRUE(test::WaitFor([&] { return frame->isHidden(); }));
}

TEST(LanguageFonts, FacesFollowTheLanguagesThatHaveTheirOwn) {
    EXPECT_EQ(LanguageCatalogue::FontFaceForSwitch(-1, 0), u"汉仪菱心体简");
    EXPECT_EQ(LanguageCatalogue::FontFaceForSwitch(3, 2), u"Noto Sans CJK TC Regular");
    EXPECT_EQ(LanguageCatalogue::FontFaceForSwitch(3, 15), u"Noto Sans Thai");
    EXPECT_EQ(LanguageCatalogue::FontFaceForSwitch(0, 3), u"Verdana Unicode MS");
    EXPECT_EQ(LanguageCatalogue::FontFaceForSwitch(-1, 3), u"Verdana Unicode MS");
    EXPECT_EQ(LanguageCatalogue::FontFaceForSwitch(3, 4), QString());
    EXPECT_EQ(LanguageCatalogue::FontFaceForSwitch(1, 4), QString());
}

TEST(LanguageFonts, FontSetHasTheSystemSizes) {
    CResourceManager resources;
    LanguageCatalogue::ApplyFontSet(resources, QStringLiteral("Some Face"));
    EXPECT_EQ(resources.GetDefaultFont().pixelSize(), 15);
    EXPECT_EQ(resources.GetFont(3).pixelSize(), 30);
    EXPECT_TRUE(resources.GetFont(1).underline());
    EXPECT_TRUE(resources.GetFont(50).bold());
    EXPECT_EQ(resources.GetFont(50).pixelSize(), 18);
    EXPECT_EQ(resources.GetFont(10).family(), u"Some Face");
}

class LanguageStore : public ::testing::Test {
protected:
    void WriteConfig(const std::string& json) {
        test::WriteFileBytes(m_data / "Language.config", json);
    }
    test::TempDir m_data;
    test::TempDir m_settings;
    LanguageCatalogue m_catalogue{m_data.Path(), m_settings.Path()};
};

TEST_F(LanguageStore, StoredIdentifierFindsItsEntryWhereverItMoved) {
    WriteConfig(R"({"Language":[{"Language_ID":7,"Language_file":"a.xml"},
                               {"Language_ID":9,"Language_file":"b.xml"},
                               {"Language_ID":9,"Language_file":"c.xml"}]})");
    EXPECT_EQ(m_catalogue.ReadStoredLanguage(), 0);  // nothing stored yet
    EXPECT_FALSE(std::filesystem::exists(m_settings / LanguageCatalogue::kLanguageStoreFile));
    ASSERT_TRUE(m_catalogue.StoreLanguage(9));
    EXPECT_EQ(m_catalogue.ReadStoredLanguage(), 1);  // the first of two equal identifiers
    WriteConfig(R"({"Language":[{"Language_ID":9},{"Language_ID":7}]})");
    EXPECT_EQ(m_catalogue.ReadStoredLanguage(), 0);
    m_catalogue.StoreLanguage(12345);
    EXPECT_EQ(m_catalogue.ReadStoredLanguage(), 0);
}

TEST_F(LanguageStore, MissingOrBrokenConfigGivesTheEmptyEntry) {
    EXPECT_TRUE(m_catalogue.ReadEntries().empty());
    WriteConfig("{ not json");
    EXPECT_EQ(m_catalogue.EntryAt(0).id, 0);
    EXPECT_TRUE(m_catalogue.EntryAt(0).file.empty());
}

class MainWindow : public SkinWindows {
protected:
    void Make(bool tray, std::string locale = {}, bool show = true) {
        CMainWnd::Services services;
        services.sessionLocale = std::move(locale);
        services.settingsFolder = m_dir.Path();
        services.defaultDataFolder = test::SourceDefaultDataFolder();
        services.broadcast = [this](const QString& name, WPARAM w, LPARAM l) {
            m_broadcasts.emplace_back(name, w, l);
        };
        services.trayAvailable = tray;
        services.dataHome = m_dir / "data";
        m_window = std::make_unique<CMainWnd>(m_resources, services);
        m_window->Create(QStringLiteral("main"), Qt::Window | Qt::FramelessWindowHint);
        if (!show) {
            return;
        }
        m_window->show();
        ASSERT_TRUE(test::WaitFor([&] { return m_window->IsInitialised(); }));
    }
    LRESULT Send(unsigned message, WPARAM w, LPARAM l) {
        return m_window->SendMessage(message, w, l);
    }
    CControlUI* Control(const char* name) { return m_window->FindControl(QLatin1String(name)); }
    // The main window stands where it belongs on the test's screen: scaled to the screen where
    // it is smaller (never below what the content needs), its top-left corner on screen, and
    // whole wherever the content allows.
    void ExpectPlaced() const {
        const QRect area = m_window->AvailableArea();
        const QSize fitted = CWindowWnd::FitIntoArea(QSize(1350, 810), area).size();
        EXPECT_EQ(m_window->size(), fitted.expandedTo(m_window->minimumSize()));
        EXPECT_TRUE(area.contains(m_window->geometry().topLeft()));
        if (m_window->minimumWidth() <= area.width() &&
            m_window->minimumHeight() <= area.height()) {
            EXPECT_TRUE(area.contains(m_window->geometry()));
        }
    }

    std::vector<std::tuple<QString, WPARAM, LPARAM>> m_broadcasts;
    std::unique_ptr<CMainWnd> m_window;
};

TEST_F(MainWindow, AnnouncesLightControlAndAppliesTheStoredLanguageAtStart) {
    Make(true);
    ASSERT_FALSE(m_broadcasts.empty());
    EXPECT_EQ(m_broadcasts[0], std::make_tuple(registered::kLightAnnounce, WPARAM{1}, LPARAM{1}));
    EXPECT_EQ(m_window->GetLanguageIndex(), 0);
    EXPECT_TRUE(std::filesystem::exists(m_dir / LanguageCatalogue::kLanguageStoreFile));
    // It lives in the tray.
    EXPECT_FALSE(m_window->isVisible());
}

TEST_F(MainWindow, FirstStartSpeaksTheSessionLanguageUntilAChoiceIsStored) {
    Make(true, "en_US.UTF-8");
    EXPECT_EQ(m_window->GetLanguageIndex(), 1);
    EXPECT_EQ(Control("app_title")->GetShownText(), u"MV5521LUX GAMING SUITE");
    m_window.reset();
    // English is now the stored choice, and it wins over the session's locale.
    Make(true, "zh_TW.UTF-8");
    EXPECT_EQ(m_window->GetLanguageIndex(), 1);
    m_window.reset();
    std::filesystem::remove(m_dir / LanguageCatalogue::kLanguageStoreFile);
    Make(true, "zh_TW.UTF-8");
    EXPECT_EQ(m_window->GetLanguageIndex(), 2);
    EXPECT_EQ(Control("app_title")->GetShownText(), QStringLiteral("MV5521LUX 遊戲周邊中心"));
}

TEST_F(MainWindow, FirstLayoutIsAlreadyInTheChosenLanguage) {
    // Before the window is first shown and laid out, its texts already read in the language
    // the window then applies: a window in English never measures Chinese texts, and so never
    // loads a face for them.
    Make(true, "en_US.UTF-8", false);
    EXPECT_EQ(Control("app_title")->GetShownText(), u"MV5521LUX GAMING SUITE");
    EXPECT_EQ(Control("control_light_status")->GetWidget()->property("text").toString(),
              u"Lighting · App");
    EXPECT_EQ(m_window->GetLanguageIndex(), -1);
    EXPECT_FALSE(std::filesystem::exists(m_dir / LanguageCatalogue::kLanguageStoreFile));
    m_window->show();
    ASSERT_TRUE(test::WaitFor([&] { return m_window->IsInitialised(); }));
    EXPECT_EQ(m_window->GetLanguageIndex(), 1);
    EXPECT_TRUE(std::filesystem::exists(m_dir / LanguageCatalogue::kLanguageStoreFile));
}

TEST_F(MainWindow, LanguageMessageReloadsTextsAndStoresTheIdentifier) {
    Make(true);
    const QString english = Control("app_title")->GetShownText();
    Send(mainmsg::kApplyLanguage, 1, 0);
    EXPECT_EQ(m_window->GetLanguageIndex(), 1);
    EXPECT_NE(Control("app_title")->GetShownText(), english);
    EXPECT_EQ(LanguageCatalogue(test::SourceDefaultDataFolder(), m_dir.Path()).ReadStoredLanguage(),
              1);
    // The same index again changes nothing, not even the stored file.
    std::filesystem::remove(m_dir / LanguageCatalogue::kLanguageStoreFile);
    Send(mainmsg::kApplyLanguage, 1, 0);
    EXPECT_FALSE(std::filesystem::exists(m_dir / LanguageCatalogue::kLanguageStoreFile));
}

TEST_F(MainWindow, LightRequestFromOutsideSetsTheFlagAndStatus) {
    Make(true);
    const unsigned request = RegisterWindowMessage(registered::kLightRequest);
    Send(request, 0, 0);
    EXPECT_EQ(m_window->GetLightControl(), 1);
    Send(request, 1, 0);
    EXPECT_EQ(m_window->GetLightControl(), 0);
    EXPECT_EQ(Control("control_light_status")->GetText(), u"不控制灯光");
    Send(request, 1, 1);
    EXPECT_EQ(m_window->GetLightControl(), 1);
    EXPECT_EQ(Control("control_light_status")->GetText(), u"控制灯光");
}

TEST_F(MainWindow, FlagsAreCopiedIntoThePagesThatUseThem) {
    Make(true);
    CKestrovaUSBDevice* keyboard = m_window->Devices().EnsurePage(kKindKeyboard);
    CKestrovaUSBDevice* headset = m_window->Devices().EnsurePage(kKindHeadset);
    ASSERT_NE(keyboard, nullptr);
    ASSERT_NE(headset, nullptr);
    Send(RegisterWindowMessage(registered::kLightRequest), 1, 0);
    EXPECT_FALSE(keyboard->IsStreamEnabled());
    // A page built after the change takes the flag as the others were given it.
    CKestrovaUSBDevice* pad = m_window->Devices().EnsurePage(kKindMousePad);
    ASSERT_NE(pad, nullptr);
    EXPECT_FALSE(pad->IsStreamEnabled());
    EXPECT_TRUE(headset->IsStreamEnabled());  // the headset's light is not the window's to copy
    Send(msg::kWmActivate, 1, 0);
    EXPECT_TRUE(keyboard->IsForeground());
    Send(msg::kWmActivate, msg::kWaInactive, 0);
    Send(msg::kWmMouseHover, 0, 0);  // inactive: the pointer decides
    EXPECT_TRUE(keyboard->IsForeground());
    Send(msg::kWmMouseLeave, 0, 0);
    EXPECT_FALSE(keyboard->IsForeground());
    Send(RegisterWindowMessage(registered::kLightRequest), 1, 1);
    EXPECT_TRUE(keyboard->IsStreamEnabled());
    EXPECT_TRUE(pad->IsStreamEnabled());
    Send(msg::kWmPowerBroadcast, msg::kPbtApmSuspend, 0);
    EXPECT_FALSE(keyboard->IsStreamEnabled());
    // Built while the system sleeps (and the window is in front): it streams nothing either.
    Send(msg::kWmActivate, 1, 0);
    CKestrovaUSBDevice* mouse = m_window->Devices().EnsurePage(kKindMouse);
    ASSERT_NE(mouse, nullptr);
    EXPECT_FALSE(mouse->IsStreamEnabled());
    EXPECT_TRUE(mouse->IsForeground());
    Send(msg::kWmPowerBroadcast, msg::kPbtApmResumeAutomatic, 0);
    EXPECT_TRUE(keyboard->IsStreamEnabled());
    EXPECT_TRUE(mouse->IsStreamEnabled());
}

TEST_F(MainWindow, LightStatusClickTogglesAndAnnounces) {
    Make(true);
    m_broadcasts.clear();
    dynamic_cast<CButtonUI*>(Control("control_light_status"))->click();
    EXPECT_EQ(m_window->GetLightControl(), 0);
    ASSERT_EQ(m_broadcasts.size(), 1u);
    EXPECT_EQ(m_broadcasts[0], std::make_tuple(registered::kLightAnnounce, WPARAM{1}, LPARAM{0}));
}

TEST_F(MainWindow, InstanceMessageBringsTheWindowBackAndShowsTheOverlayOnlyWithoutDevices) {
    Make(true);
    ASSERT_FALSE(m_window->isVisible());
    Send(RegisterWindowMessage(registered::kInstanceMessage), 0, 1);
    EXPECT_TRUE(m_window->isVisible());
    EXPECT_TRUE(Control("No_device_Link")->IsVisible());

    // A device tab shows as an arrival shows it, without the window being raised. Tabs keep the
    // device types' order whatever order their pages were built in.
    CDeviceOptionUI* tab = m_window->Devices().EnsurePage(kKindMousePad)->GetDeviceTab();
    ASSERT_NE(m_window->Devices().EnsurePage(kKindKeyboard), nullptr);
    ASSERT_NE(m_window->Devices().EnsurePage(kKindMouse), nullptr);
    tab->SetVisible(true);
    int first = -1;
    EXPECT_EQ(m_window->DeviceTabCount(&first), 1);
    EXPECT_EQ(first, 2);  // mouse, keyboard, then the pad
    Send(RegisterWindowMessage(registered::kInstanceMessage), 0, 0);
    EXPECT_FALSE(Control("No_device_Link")->IsVisible());
}

TEST_F(MainWindow, TrayClickTogglesTheWindowExceptWhileSuspended) {
    Make(true);
    Send(mainmsg::kTrayCallback, 0, msg::kWmLButtonUp);
    EXPECT_TRUE(m_window->isVisible());
    ExpectPlaced();
    Send(msg::kWmPowerBroadcast, msg::kPbtApmSuspend, 0);
    Send(mainmsg::kTrayCallback, 0, msg::kWmLButtonUp);
    EXPECT_TRUE(m_window->isVisible());
    Send(msg::kWmPowerBroadcast, msg::kPbtApmResumeAutomatic, 0);
    Send(mainmsg::kTrayCallback, 0, msg::kWmLButtonUp);
    EXPECT_FALSE(m_window->isVisible());
}

TEST_F(MainWindow, OnlyTheKnownTimersAct) {
    Make(true);
    Send(mainmsg::kTrayCallback, 0, msg::kWmLButtonUp);
    m_window->resize(1000, 700);
    Send(msg::kWmTimer, 1021, 0);
    EXPECT_EQ(m_window->size(), QSize(1000, 700));
    Send(msg::kWmTimer, mainmsg::kTimerRelayout, 0);
    ExpectPlaced();
}

TEST_F(MainWindow, CloseButtonHidesIntoTheTrayAndExitEndsTheApplication) {
    Make(true);
    Send(mainmsg::kTrayCallback, 0, msg::kWmLButtonUp);
    dynamic_cast<CButtonUI*>(Control("closebtn"))->click();
    EXPECT_FALSE(m_window->isVisible());
    EXPECT_TRUE(m_window->GetHWND()->IsWindow());

    test::TraceCapture trace;
    MenuCmd exit{QStringLiteral("exit"), {}, {}, false};
    Send(kMenuCommandMessage, reinterpret_cast<WPARAM>(&exit), 0);
    EXPECT_FALSE(m_window->GetHWND()->IsWindow());
    EXPECT_TRUE(trace.Contains("退出测试"));
}

TEST_F(MainWindow, TrayMenuShowBringsTheWindowBackAndOtherItemsLeaveItAlone) {
    Make(true);
    MenuCmd other{QStringLiteral("left_click"), {}, {}, false};
    Send(kMenuCommandMessage, reinterpret_cast<WPARAM>(&other), 0);
    EXPECT_FALSE(m_window->isVisible());
    MenuCmd show{QStringLiteral("show"), {}, {}, false};
    Send(kMenuCommandMessage, reinterpret_cast<WPARAM>(&show), 0);
    EXPECT_TRUE(m_window->isVisible());
    EXPECT_TRUE(m_window->GetHWND()->IsWindow());
}

TEST_F(MainWindow, DisplayChangeRelayoutsWithoutShowingAHiddenWindow) {
    Make(true);
    m_window->resize(1000, 700);
    Send(msg::kWmDisplayChange, 0, 0);
    EXPECT_FALSE(m_window->isVisible());
    ExpectPlaced();
}

TEST_F(MainWindow, WithoutATrayTheWindowStaysReachable) {
    Make(false);
    EXPECT_TRUE(m_window->isVisible());
    dynamic_cast<CButtonUI*>(Control("closebtn"))->click();
    EXPECT_TRUE(m_window->isMinimized() || m_window->isVisible());
    EXPECT_TRUE(m_window->GetHWND()->IsWindow());
    // The window system's close ends the application, as nothing else could.
    m_window->close();
    EXPECT_FALSE(m_window->GetHWND()->IsWindow());
}

TEST_F(MainWindow, ATrayThatAppearsLaterGetsTheIconWithItsOwnMenu) {
    Make(false);
    EXPECT_FALSE(m_window->HasTrayIcon());
    m_window->TrayBecameAvailable();
    ASSERT_TRUE(m_window->HasTrayIcon());
    QMenu* menu = m_window->GetTrayMenu();
    ASSERT_NE(menu, nullptr);
    ASSERT_NE(menu->findChild<QAction*>(QStringLiteral("show")), nullptr);
    // From now on the window hides into the tray instead of minimising.
    dynamic_cast<CButtonUI*>(Control("closebtn"))->click();
    EXPECT_FALSE(m_window->isVisible());
    EXPECT_FALSE(m_window->isMinimized());
    menu->findChild<QAction*>(QStringLiteral("show"))->trigger();
    EXPECT_TRUE(m_window->isVisible());
    // The menu follows the language.
    Send(mainmsg::kApplyLanguage, 2, 0);
    QAction* exit = m_window->GetTrayMenu()->findChild<QAction*>(QStringLiteral("exit"));
    ASSERT_NE(exit, nullptr);
    EXPECT_EQ(exit->text(), m_resources.GetText(QStringLiteral("menu_exit")));
    exit->trigger();
    EXPECT_FALSE(m_window->GetHWND()->IsWindow());
}

TEST_F(MainWindow, SkinChangesRepaintTheRoot) {
    Make(true);
    CControlUI* root = Control("root");
    GetSkinChangeObserver().Broadcast({true, 0xFF112233, {}});
    EXPECT_EQ(root->GetBkColor(), 0xFF112233u);
    EXPECT_TRUE(root->GetBkImage().isEmpty());
    GetSkinChangeObserver().Broadcast({false, 0, QStringLiteral("skins/preset_neon.png")});
    EXPECT_EQ(root->GetBkColor(), 0u);
    EXPECT_EQ(root->GetBkImage(), u"skins/preset_neon.png");
}

TEST_F(MainWindow, ProgressAndUpdateIndicatorMessages) {
    Make(true);
    Send(mainmsg::kTrayCallback, 0, msg::kWmLButtonUp);
    EXPECT_FALSE(Control("setting_progress")->IsVisible());
    Send(mainmsg::kShowSettingProgress, 0, 0);
    EXPECT_TRUE(Control("setting_progress")->IsVisible());
    Control("setbtn")->SetForeImage(QStringLiteral("sysbtn/haveNewInfo.png"));
    Send(mainmsg::kClearUpdateIndicator, 0, 0);
    EXPECT_TRUE(Control("setbtn")->GetForeImage().isEmpty());
}

TEST_F(MainWindow, EditStateLocksTabsAndOpensTheSaveButtons) {
    Make(true);
    m_window->SetEditState(true, false);
    EXPECT_FALSE(Control("device_select_layout")->IsEnabled());
    EXPECT_FALSE(m_window->IsIdle());
    m_window->SetEditState(true, true);
    EXPECT_TRUE(Control("device_select_layout")->IsEnabled());
    m_window->SetEditState(false, false);
    EXPECT_TRUE(Control("device_select_layout")->IsEnabled());
}

TEST_F(MainWindow, SettingsWindowOpensOnceAndIsForgottenWhenClosed) {
    Make(true);
    int opened = 0;
    m_window->SetSettingsWindowFactory([&](CMainWnd& owner) -> WindowImplBase* {
        ++opened;
        auto* box = new CMsgWnd(m_resources, &owner);
        box->Create(QStringLiteral("settings"), Qt::Tool);
        // While it runs, a second request must not open another.
        QTimer::singleShot(20, &owner, [&owner, box]() {
            owner.SendMessage(mainmsg::kOpenSettings, 0, 0);
            box->Close(0);
        });
        return box;
    });
    Send(mainmsg::kOpenSettings, 0, 0);
    EXPECT_EQ(opened, 1);
    EXPECT_EQ(m_window->GetSettingsWindow(), nullptr);
}

}  // namespace
}  // namespace quaro
