// The settings and update window against a loopback update server: rows, their states and
// texts, the download and install order, closing rules, and the language choice.

#include "LoopbackHttpServer.h"
#include "RegisteredControls.h"
#include "TempDir.h"
#include "TraceCapture.h"
#include "shell/CMainWnd.h"
#include "shell/CSetWnd.h"
#include "shell/CUpdateInfoListItemUI.h"
#include "shell/MessageEndpoint.h"
#include "shell/UpdateLink.h"
#include "support/QtTestApp.h"
#include "support/RecordingWindow.h"
#include "ui/MainMessages.h"
#include "ui/RegisteredMessages.h"
#include "ui/toolkit/CButtonUI.h"
#include "ui/toolkit/CComboUI.h"
#include "ui/toolkit/CDialogBuilder.h"
#include "ui/toolkit/COptionUI.h"
#include "ui/toolkit/CProgressUI.h"
#include "ui/toolkit/CResourceManager.h"
#include "ui/toolkit/CTabLayoutUI.h"

#include <QContextMenuEvent>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QTimer>
#include <gtest/gtest.h>

#include <future>
#include <memory>
#include <mutex>
#include <string>
#include <sys/stat.h>
#include <vector>

namespace quaro {
namespace {

using test::LoopbackHttpServer;

constexpr size_t kInstallerSize = 2500;

struct ServerPlan {
    bool newer = true;
    bool cutShort = false;
    // The installers' bytes; filler when empty.
    std::string installer;
};

// The update API and the installer files of one test server. Addresses in its replies point
// back at the host the client asked for.
LoopbackHttpServer::Handler UpdateServer(ServerPlan plan) {
    return [plan](const LoopbackHttpServer::Request& request) {
        LoopbackHttpServer::Response response;
        std::string host;
        for (const auto& [name, value] : request.headers) {
            if (name == "Host") {
                host = value;
            }
        }
        const std::string base = "https://" + host + "/files/";
        if (request.target == "/api/updates") {
            if (request.body.find("PX20B31C") != std::string::npos) {
                response.body = R"({"name":"QN4","version":")" +
                                std::string(plan.newer ? "0105" : "0102") + R"(","path":")" + base +
                                "QN4" + R"("})";
            } else {
                response.body = R"({"name":"AP", /* the application */ "version":")" +
                                std::string(plan.newer ? "20" : "10") +
                                R"(","version_name":"V2.0","path":")" + base + "AP" + R"("})";
            }
        } else if (request.target.starts_with("/files/")) {
            response.body = plan.installer.empty()
                                ? std::string(plan.cutShort ? 1500 : kInstallerSize, 'i')
                                : plan.installer;
            if (plan.cutShort) {
                response.announcedLength = kInstallerSize;
            }
        } else {
            response.status = 404;
        }
        return response;
    };
}

// The keys that reach the object it watches.
class KeySpy : public QObject {
public:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::KeyPress) {
            m_keys.push_back(static_cast<QKeyEvent*>(event)->key());
        }
        return QObject::eventFilter(watched, event);
    }
    std::vector<int> m_keys;
};

// The notifications of a window, in order.
class NotifyRecorder : public INotifyUI {
public:
    void Notify(TNotifyUI& msg) override { m_seen.emplace_back(msg.sType, msg.pSender); }
    std::vector<std::pair<QString, CControlUI*>> m_seen;
};

class SettingsWindow : public ::testing::Test {
protected:
    SettingsWindow() {
        test::RegisterApplicationControls();
        m_resources.SetResourcePath(test::SourceSkinPath());
        m_resources.LoadResource(QStringLiteral("res.xml"));
        m_resources.LoadLanguage(QStringLiteral("lan_en.xml"));
        m_main = std::make_unique<test::RecordingWindow>(m_resources, QStringLiteral("skin.xml"));
        m_main->Create(QStringLiteral("main"), Qt::Tool);
    }
    ~SettingsWindow() override { delete m_window; }

    void Open(const std::string& baseUrl, uint32_t firmware = 0x0102) {
        CSetWnd::Services services;
        services.settingsFolder = m_dir / "settings";
        std::filesystem::create_directories(services.settingsFolder);
        services.defaultDataFolder = test::SourceDefaultDataFolder();
        services.downloadFolder = UpdateDownloadFolder(m_dir / "cache");
        services.server.baseUrl = baseUrl + "/api/";
        services.server.client.caFile = test::TestCertificateFolder() / "ca.pem";
        services.startInstaller = [this](const std::string& file, bool shown) {
            m_installers.push_back(file);
            m_rowsAtStart.push_back({State(0), State(1)});
            if (m_runInstallers) {
                return StartInstallerProcess(file, shown);
            }
            return m_installerStarts;
        };
        services.showStartFailure = [this](CSetWnd&) { ++m_startFailures; };
        m_window = new CSetWnd(m_resources, nullptr, services);
        m_window->Create(QStringLiteral("SetWnd"), Qt::Tool);
        m_window->SetMainWindow(m_main->GetHWND(), 0);
        std::vector<UpdateEntry> known;
        for (const UpdateEntry& entry : BuildUpdateEntries({firmware}, 10)) {
            if (entry.version != 0) {
                known.push_back(entry);
            }
        }
        m_window->SetUpdateEntries(known);
        m_window->show();
    }
    bool WaitForStatus(int status) {
        return test::WaitFor([&] { return m_window->Model().Status() == status; }, 10000);
    }
    void Click(const char* name) {
        auto* button = m_window->FindControlAs<CButtonUI>(QLatin1String(name));
        ASSERT_NE(button, nullptr) << name;
        button->click();
    }
    int State(size_t row) {
        CUpdateInfoListItemUI* view = m_window->Row(row);
        return view != nullptr ? view->GetState() : -1;
    }
    QString Shown(const char* name) {
        return m_window->FindControl(QLatin1String(name))->GetShownText();
    }
    bool Visible(const char* name) {
        return m_window->FindControl(QLatin1String(name))->IsVisible();
    }
    void Installer(WPARAM report) {
        m_window->SendMessage(RegisterWindowMessage(registered::kUpdateProgress), report, 0);
    }

    test::TempDir m_dir;
    CResourceManager m_resources;
    std::unique_ptr<test::RecordingWindow> m_main;
    CSetWnd* m_window = nullptr;
    std::vector<std::string> m_installers;
    bool m_installerStarts = true;
    bool m_runInstallers = false;
    std::vector<std::pair<int, int>> m_rowsAtStart;
    int m_startFailures = 0;
};

TEST_F(SettingsWindow, RowShowsEachStatesTextMarksAndColours) {
    Open("https://127.0.0.1:" + std::to_string(LoopbackHttpServer::ClosedPort()));
    CDialogBuilder builder;
    std::unique_ptr<CControlUI> owned(
        builder.Create(QLatin1String(CUpdateInfoListItemUI::kFragment), m_resources, m_window));
    auto* row = dynamic_cast<CUpdateInfoListItemUI*>(owned.get());
    ASSERT_NE(row, nullptr);
    ASSERT_NE(row->Option(), nullptr);
    struct Expected {
        int state;
        const char* text;
        bool busy;
        bool done;
        bool enabled;
        uint32_t textColour;
    };
    const Expected table[] = {
        {0, "LessUpdateText", false, false, false, 0xFFFFFFFF},
        {1, "NeedUpdateText", false, false, true, 0xFF0099FF},
        {2, "NeedUpdateText", false, false, true, 0xFF0099FF},
        {3, "DownloadWaitText", false, false, false, 0xFF0099FF},
        {4, "DownloadIngText", true, false, false, 0xFF0099FF},
        {5, "DownloadOkText", false, true, false, 0xFF0099FF},
        {6, "UpdateIngText", true, false, false, 0xFF0099FF},
        {7, "UpdateOkText", false, false, false, 0xFFFFFFFF},
        {8, "UpdateFailText", false, false, true, 0xFF0099FF},
    };
    auto part = [&](const char* name) {
        return WindowImplBase::FindSubControlByName(row, QLatin1String(name));
    };
    for (const Expected& e : table) {
        SCOPED_TRACE(e.state);
        row->SetState(e.state);
        EXPECT_EQ(part("update_status_text")->GetText(), QLatin1String(e.text));
        EXPECT_EQ(part("update_status_ing")->IsVisible(), e.busy);
        EXPECT_EQ(part("update_status_ok")->IsVisible(), e.done);
        EXPECT_EQ(row->IsOptionEnabled(), e.enabled);
        EXPECT_EQ(row->GetOptionColors().text, e.textColour);
    }
    // Entering the download resets the percentage; setting the same state again does not.
    row->SetState(4);
    EXPECT_EQ(part("update_progress_value")->GetText(), QStringLiteral("0%"));
    row->SetPercent(40);
    row->SetState(4);
    EXPECT_EQ(part("update_progress_value")->GetText(), QStringLiteral("40%"));
    row->SetNewestVersion(QString());
    EXPECT_FALSE(part("updateRev")->IsVisible());
    row->SetNewestVersion(QStringLiteral("V0105"));
    EXPECT_TRUE(part("updateRev")->IsVisible());
}

TEST_F(SettingsWindow, UnreachableServerShowsEveryLineUpToDate) {
    Open("https://127.0.0.1:" + std::to_string(LoopbackHttpServer::ClosedPort()));
    ASSERT_TRUE(WaitForStatus(kStatusNoServer));
    EXPECT_EQ(Shown("Update_Status_text"), QStringLiteral("Could not reach the update server"));
    ASSERT_EQ(m_window->Model().Rows().size(), 2u);
    EXPECT_EQ(State(0), kRowDone);
    EXPECT_EQ(State(1), kRowDone);
    EXPECT_EQ(m_window->Row(1)->Option()->GetText(), QStringLiteral("AP"));
    EXPECT_FALSE(Visible("update_fw_and_ap"));
    EXPECT_TRUE(std::filesystem::exists(m_dir / "settings" / "updatetime.config"));
}

TEST_F(SettingsWindow, NothingNewerIsLatestWithTheCheckDateAndClearsTheIndicator) {
    LoopbackHttpServer server(
        UpdateServer({.newer = false, .cutShort = false, .installer = {}}),
        LoopbackHttpServer::Tls{test::TestCertificateFolder() / "server.pem",
                                test::TestCertificateFolder() / "server.key"});
    Open(server.BaseUrl());
    ASSERT_TRUE(WaitForStatus(kStatusLatest));
    EXPECT_EQ(Shown("Update_Status_text"),
              QStringLiteral("Everything is up to date. Last check: ") + m_window->LastCheckText());
    EXPECT_EQ(m_window->LastCheckText(), QString::fromStdString(TodayText()));
    ASSERT_TRUE(test::WaitFor([&] {
        for (const auto& message : m_main->m_messages) {
            if (message.message == mainmsg::kClearUpdateIndicator) {
                return true;
            }
        }
        return false;
    }));
}

TEST_F(SettingsWindow, TickedRowsDownloadThenInstallOneAfterTheOther) {
    LoopbackHttpServer server(
        UpdateServer({}), LoopbackHttpServer::Tls{test::TestCertificateFolder() / "server.pem",
                                                  test::TestCertificateFolder() / "server.key"});
    Open(server.BaseUrl());
    ASSERT_TRUE(WaitForStatus(kStatusHaveUpdate));
    EXPECT_EQ(Shown("Update_Status_text"), QStringLiteral("Updates are available"));
    EXPECT_EQ(State(0), kRowNeed);
    EXPECT_TRUE(m_window->Row(0)->IsTicked());
    EXPECT_TRUE(Visible("update_fw_and_ap"));

    // Unticking every row hides the update button; ticking one shows it again.
    m_window->Row(0)->Option()->Selected(false);
    m_window->Row(1)->Option()->Selected(false);
    EXPECT_FALSE(Visible("update_fw_and_ap"));
    m_window->Row(0)->Option()->Selected(true);
    m_window->Row(1)->Option()->Selected(true);
    EXPECT_TRUE(Visible("update_fw_and_ap"));

    auto* tabs = m_window->FindControlAs<CTabLayoutUI>(QStringLiteral("get_update_tab_layout"));
    Click("update_fw_and_ap");
    EXPECT_EQ(tabs->GetCurSel(), 1);
    Click("update_OK_btn");
    EXPECT_EQ(tabs->GetCurSel(), 0);

    ASSERT_TRUE(test::WaitFor([&] { return State(1) == kRowDownloaded; }, 10000));
    ASSERT_EQ(m_installers.size(), 1u);
    EXPECT_EQ(State(0), kRowInstalling);
    EXPECT_EQ(Shown("Update_Status_text"), QStringLiteral("Updating…"));
    const std::filesystem::path folder =
        m_dir / "cache" / "MV5521LUX gaming keyboard" / "UpdateData";
    EXPECT_EQ(m_installers[0], (folder / "QN4.exe").string());
    EXPECT_EQ(test::ReadFileBytes(folder / "QN4.exe"), std::string(kInstallerSize, 'i'));
    EXPECT_EQ(test::ReadFileBytes(folder / "AP.exe").size(), kInstallerSize);

    // An installer is running: the window stays.
    m_window->Close(0);
    EXPECT_TRUE(m_window->isVisible());

    Installer(1);
    EXPECT_EQ(State(0), kRowDone);
    EXPECT_EQ(m_window->Model().Rows()[0].currentVersionText, "V0105");
    ASSERT_TRUE(test::WaitFor([&] { return m_installers.size() == 2u; }));
    EXPECT_EQ(m_installers[1], (folder / "AP.exe").string());
    EXPECT_EQ(State(1), kRowInstalling);

    Installer(1);
    EXPECT_EQ(State(1), kRowDone);
    EXPECT_EQ(m_window->Model().Status(), kStatusLatest);
    m_window->Close(0);
    EXPECT_FALSE(m_window->isVisible());
}

TEST_F(SettingsWindow, InstallersReportThroughTheMessageEndpointOneAfterTheOther) {
    const QString socket = QString::fromStdString((m_dir / "endpoint").string());
    MessageEndpoint endpoint(socket);
    ASSERT_EQ(endpoint.Listen(), MessageEndpoint::StartResult::Listening);
    endpoint.SetReceiver([this](const QString& name, WPARAM w, LPARAM l) {
        if (const unsigned message = FindWindowMessage(name)) {
            m_window->PostMessage(message, w, l);
        }
    });
    // Each installer takes a moment, then says it is done as a real one would.
    const std::string installer =
        "#!/bin/sh\nsleep 0.2\nexec '" +
        (QCoreApplication::applicationDirPath() + QStringLiteral("/quaro-msg")).toStdString() +
        "' --socket '" + socket.toStdString() + "' '" + registered::kUpdateProgress.toStdString() +
        "' 1 0\n";
    LoopbackHttpServer server(
        UpdateServer({.newer = true, .cutShort = false, .installer = installer}),
        LoopbackHttpServer::Tls{test::TestCertificateFolder() / "server.pem",
                                test::TestCertificateFolder() / "server.key"});
    m_runInstallers = true;
    Open(server.BaseUrl());
    ASSERT_TRUE(WaitForStatus(kStatusHaveUpdate));
    Click("update_OK_btn");
    ASSERT_TRUE(test::WaitFor([&] { return State(0) == kRowDone && State(1) == kRowDone; }, 15000));
    ASSERT_EQ(m_rowsAtStart.size(), 2u);
    EXPECT_NE(m_rowsAtStart[0].first, kRowDone);
    // The second installer started only once the first had reported.
    EXPECT_EQ(m_rowsAtStart[1], std::make_pair(int(kRowDone), int(kRowInstalling)));
    EXPECT_EQ(m_window->Model().Status(), kStatusLatest);
}

TEST_F(SettingsWindow, BodyCutShortFailsTheRowAndTheWindowCanClose) {
    LoopbackHttpServer server(
        UpdateServer({.newer = true, .cutShort = true, .installer = {}}),
        LoopbackHttpServer::Tls{test::TestCertificateFolder() / "server.pem",
                                test::TestCertificateFolder() / "server.key"});
    Open(server.BaseUrl());
    ASSERT_TRUE(WaitForStatus(kStatusHaveUpdate));
    m_window->Row(1)->Option()->Selected(false);
    Click("update_fw_and_ap");
    Click("update_OK_btn");
    EXPECT_EQ(State(1), kRowNeed);  // unticked: still offered, but no longer to be ticked
    EXPECT_FALSE(m_window->Row(1)->IsOptionEnabled());

    // While it waits or downloads, closing is refused.
    m_window->Close(0);
    EXPECT_TRUE(m_window->isVisible());
    ASSERT_TRUE(test::WaitFor([&] { return State(0) == kRowFailed; }, 10000));
    EXPECT_EQ(Shown("update_status_text"), QStringLiteral("Update failed"));  // row 0's
    EXPECT_TRUE(m_window->Row(0)->IsOptionEnabled());
    EXPECT_TRUE(m_installers.empty());
    EXPECT_TRUE(
        std::filesystem::is_empty(m_dir / "cache" / "MV5521LUX gaming keyboard" / "UpdateData"));
    m_window->Close(0);
    EXPECT_FALSE(m_window->isVisible());
}

TEST_F(SettingsWindow, InstallerThatCannotStartFailsItsRowAndTellsTheUser) {
    LoopbackHttpServer server(
        UpdateServer({}), LoopbackHttpServer::Tls{test::TestCertificateFolder() / "server.pem",
                                                  test::TestCertificateFolder() / "server.key"});
    m_installerStarts = false;
    Open(server.BaseUrl(), 0);  // the application line only
    ASSERT_TRUE(WaitForStatus(kStatusHaveUpdate));
    Click("update_OK_btn");
    ASSERT_TRUE(
        test::WaitFor([&] { return State(0) == kRowFailed && m_startFailures == 1; }, 10000));
    EXPECT_EQ(m_installers.size(), 1u);
}

TEST_F(SettingsWindow, LaterClosesEvenWhileADownloadWaits) {
    LoopbackHttpServer server(
        UpdateServer({}), LoopbackHttpServer::Tls{test::TestCertificateFolder() / "server.pem",
                                                  test::TestCertificateFolder() / "server.key"});
    Open(server.BaseUrl());
    ASSERT_TRUE(WaitForStatus(kStatusHaveUpdate));
    Click("update_OK_btn");
    EXPECT_FALSE(m_window->Model().CanClose());
    Click("laterbtn");
    EXPECT_FALSE(m_window->isVisible());
}

TEST_F(SettingsWindow, ChoosingALanguageTellsTheMainWindow) {
    Open("https://127.0.0.1:" + std::to_string(LoopbackHttpServer::ClosedPort()));
    auto* combo = m_window->FindControlAs<CComboUI>(QStringLiteral("Language_combox_info"));
    ASSERT_NE(combo, nullptr);
    ASSERT_TRUE(test::WaitFor([&] { return combo->GetCount() == 3; }));
    EXPECT_EQ(combo->GetCurSel(), 0);
    EXPECT_EQ(combo->GetItemAt(1)->GetShownText(), QStringLiteral("English"));
    m_main->m_messages.clear();
    combo->SelectItem(1, false, true);
    EXPECT_EQ(m_window->GetLanguageIndex(), 1);
    bool sent = false;
    for (const auto& message : m_main->m_messages) {
        sent = sent || (message.message == mainmsg::kApplyLanguage && message.wParam == 1);
    }
    EXPECT_TRUE(sent);
}

TEST_F(SettingsWindow, EscapeStopsAtTheWindowAndReturnReachesTheFocusedControl) {
    Open("https://127.0.0.1:" + std::to_string(LoopbackHttpServer::ClosedPort()));
    ASSERT_TRUE(WaitForStatus(kStatusNoServer));
    QWidget* combo = m_window->FindControl(QStringLiteral("Language_combox_info"))->GetWidget();
    KeySpy inside;
    combo->installEventFilter(&inside);
    KeySpy otherWindow;
    m_main->GetRoot()->GetWidget()->installEventFilter(&otherWindow);
    for (QWidget* target : {combo, m_main->GetRoot()->GetWidget()}) {
        for (const int key : {Qt::Key_Escape, Qt::Key_Return, Qt::Key_Enter, Qt::Key_Space}) {
            QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
            QCoreApplication::sendEvent(target, &press);
        }
    }
    EXPECT_EQ(inside.m_keys, (std::vector<int>{Qt::Key_Return, Qt::Key_Enter, Qt::Key_Space}));
    // Another window's keys are none of this window's business.
    EXPECT_EQ(otherWindow.m_keys,
              (std::vector<int>{Qt::Key_Escape, Qt::Key_Return, Qt::Key_Enter, Qt::Key_Space}));
    EXPECT_TRUE(m_window->isVisible());
}

TEST_F(SettingsWindow, RightClickOnARowRaisesMenuOnlyWhenTheRowUsesOne) {
    Open("https://127.0.0.1:" + std::to_string(LoopbackHttpServer::ClosedPort()));
    ASSERT_TRUE(WaitForStatus(kStatusNoServer));
    CUpdateInfoListItemUI* row = m_window->Row(0);
    ASSERT_NE(row, nullptr);
    QObject owner;
    NotifyRecorder recorder;
    m_window->AddNotifier(&owner, &recorder);
    auto menus = [&] {
        int count = 0;
        for (const auto& [type, sender] : recorder.m_seen) {
            count += type == notify::kMenu && sender == row ? 1 : 0;
        }
        return count;
    };
    auto rightClick = [](QWidget* target) {
        QContextMenuEvent click(QContextMenuEvent::Mouse, QPoint(4, 4),
                                target->mapToGlobal(QPoint(4, 4)));
        QCoreApplication::sendEvent(target, &click);
    };
    rightClick(row);
    EXPECT_EQ(menus(), 0);
    ASSERT_TRUE(row->SetAttribute(QStringLiteral("menu"), QStringLiteral("true")));
    EXPECT_TRUE(row->IsContextMenuUsed());
    rightClick(row);
    EXPECT_EQ(menus(), 1);
    // A right click on the row's name option is the row's too, whether the line can be ticked
    // or not.
    ASSERT_FALSE(row->IsOptionEnabled());
    rightClick(row->Option()->GetWidget());
    EXPECT_EQ(menus(), 2);
    row->SetOptionEnabled(true);
    rightClick(row->Option()->GetWidget());
    EXPECT_EQ(menus(), 3);
    ASSERT_TRUE(row->SetAttribute(QStringLiteral("menu"), QStringLiteral("false")));
    rightClick(row);
    rightClick(row->Option()->GetWidget());
    EXPECT_EQ(menus(), 3);
}

TEST_F(SettingsWindow, DpiChangeTakesTheScaleAndTheSuggestedRectangle) {
    Open("https://127.0.0.1:" + std::to_string(LoopbackHttpServer::ClosedPort()));
    ASSERT_TRUE(WaitForStatus(kStatusNoServer));
    const QRect suggested(40, 30, 1350, 750);
    // The high word carries the vertical scale, which the window does not use.
    m_window->SendMessage(msg::kWmDpiChanged, (WPARAM{0x90} << 16) | 144,
                          reinterpret_cast<LPARAM>(&suggested));
    EXPECT_EQ(m_window->GetDpi(), 144);
    EXPECT_EQ(m_window->geometry(), suggested);
    // Without a rectangle the window stays where it is.
    m_window->SendMessage(msg::kWmDpiChanged, 120, 0);
    EXPECT_EQ(m_window->GetDpi(), 120);
    EXPECT_EQ(m_window->geometry(), suggested);
}

TEST_F(SettingsWindow, StatusRingTurnsWhileTheServerIsAskedAndStopsAfter) {
    std::promise<void> release;
    std::shared_future<void> released = release.get_future().share();
    const LoopbackHttpServer::Handler answer = UpdateServer({});
    LoopbackHttpServer server(
        [released, answer](const LoopbackHttpServer::Request& request) {
            released.wait();
            return answer(request);
        },
        LoopbackHttpServer::Tls{test::TestCertificateFolder() / "server.pem",
                                test::TestCertificateFolder() / "server.key"});
    Open(server.BaseUrl(), 0);
    auto* ring = m_window->FindControlAs<CProgressUI>(QStringLiteral("update_status_ring"));
    ASSERT_NE(ring, nullptr);
    ASSERT_TRUE(test::WaitFor([&] { return m_window->Model().Status() == kStatusChecking; }));
    EXPECT_TRUE(ring->IsVisible());
    std::vector<int> seen{ring->GetValue()};
    const bool turned = test::WaitFor([&] {
        if (ring->GetValue() != seen.back()) {
            seen.push_back(ring->GetValue());
        }
        return seen.size() >= 4;
    });
    release.set_value();
    ASSERT_TRUE(turned);
    for (const int value : seen) {
        EXPECT_GE(value, ring->GetMinValue());
        EXPECT_LE(value, ring->GetMaxValue());
    }
    ASSERT_TRUE(WaitForStatus(kStatusHaveUpdate));
    EXPECT_FALSE(ring->IsVisible());
    EXPECT_FALSE(m_window->HasTimer(CSetWnd::kStatusRingTimer));
}

TEST_F(SettingsWindow, ScaleOutsideTheSetFallsBackTo96) {
    EXPECT_EQ(CSetWnd::AcceptedScale(144), 144);
    EXPECT_EQ(CSetWnd::AcceptedScale(100), 96);
}

// The main window's own update thread and the settings window it opens.
class MainWindowUpdates : public ::testing::Test {
protected:
    MainWindowUpdates() {
        test::RegisterApplicationControls();
        m_resources.SetResourcePath(test::SourceSkinPath());
        m_resources.LoadResource(QStringLiteral("res.xml"));
        CMainWnd::Services services;
        services.settingsFolder = m_dir / "settings";
        std::filesystem::create_directories(services.settingsFolder);
        services.defaultDataFolder = test::SourceDefaultDataFolder();
        services.trayAvailable = false;
        services.dataHome = m_dir / "data";
        m_window = std::make_unique<CMainWnd>(m_resources, services);
        m_window->Create(QStringLiteral("main"), Qt::Window | Qt::FramelessWindowHint);
        m_window->show();
        EXPECT_TRUE(test::WaitFor([&] { return m_window->IsInitialised(); }));
    }
    UpdateServerSettings Server(const std::string& baseUrl) const {
        UpdateServerSettings server;
        server.baseUrl = baseUrl + "/api/";
        server.client.caFile = test::TestCertificateFolder() / "ca.pem";
        return server;
    }
    QString Indicator() const {
        return m_window->FindControl(QStringLiteral("setbtn"))->GetForeImage();
    }

    test::TempDir m_dir;
    CResourceManager m_resources;
    std::unique_ptr<CMainWnd> m_window;
};

TEST_F(MainWindowUpdates, NewerApplicationMarksTheSettingsButtonAndOpensTheWindow) {
    LoopbackHttpServer server(
        UpdateServer({}), LoopbackHttpServer::Tls{test::TestCertificateFolder() / "server.pem",
                                                  test::TestCertificateFolder() / "server.key"});
    int opened = 0;
    m_window->SetSettingsWindowFactory([&](CMainWnd&) -> WindowImplBase* {
        ++opened;
        return nullptr;
    });
    StartUpdateCheck(*m_window, Server(server.BaseUrl()));
    ASSERT_TRUE(test::WaitFor([&] { return opened == 1; }, 10000));
    EXPECT_EQ(Indicator(), QLatin1String(kNewUpdateImage));
    // Without devices only the application line is asked about.
    const auto requests = server.Requests();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_NE(requests[0].body.find("app_key=QUARO_0_ALL_T41_QN4_QN3_1&version="),
              std::string::npos);
}

TEST_F(MainWindowUpdates, NothingNewClearsTheMark) {
    LoopbackHttpServer server(
        UpdateServer({.newer = false, .cutShort = false, .installer = {}}),
        LoopbackHttpServer::Tls{test::TestCertificateFolder() / "server.pem",
                                test::TestCertificateFolder() / "server.key"});
    m_window->FindControl(QStringLiteral("setbtn"))->SetForeImage(QStringLiteral("old"));
    StartUpdateCheck(*m_window, Server(server.BaseUrl()));
    ASSERT_TRUE(test::WaitFor([&] { return Indicator().isEmpty(); }, 10000));
    EXPECT_EQ(server.Requests().size(), 1u);
}

// After its one check the thread sleeps without a time-out; the window's exit must still end it
// at once rather than wait out the grace period.
TEST_F(MainWindowUpdates, TheThreadSleepingAfterItsCheckEndsWithTheWindow) {
    LoopbackHttpServer server(
        UpdateServer({.newer = false, .cutShort = false, .installer = {}}),
        LoopbackHttpServer::Tls{test::TestCertificateFolder() / "server.pem",
                                test::TestCertificateFolder() / "server.key"});
    m_window->FindControl(QStringLiteral("setbtn"))->SetForeImage(QStringLiteral("old"));
    StartUpdateCheck(*m_window, Server(server.BaseUrl()));
    ASSERT_TRUE(test::WaitFor([&] { return Indicator().isEmpty(); }, 10000));
    const test::TraceCapture trace;
    m_window.reset();
    EXPECT_EQ(trace.Count("获取更新线程退出"), 1u);
    EXPECT_EQ(trace.Count("所有对象处于非激发状态，超时"), 0u);
    EXPECT_EQ(server.Requests().size(), 1u);
}

TEST_F(MainWindowUpdates, LanguageChosenInTheSettingsWindowSwitchesTheMainWindow) {
    CSetWnd::Services services;
    services.settingsFolder = m_dir / "settings";
    services.defaultDataFolder = test::SourceDefaultDataFolder();
    services.server =
        Server("https://127.0.0.1:" + std::to_string(LoopbackHttpServer::ClosedPort()));
    m_window->SetSettingsWindowFactory(MakeSettingsWindowFactory(m_resources, services));
    CControlUI* title = m_window->FindControl(QStringLiteral("app_subtitle"));
    ASSERT_NE(title, nullptr);
    const QString before = title->GetShownText();
    QString after;
    QTimer::singleShot(200, m_window.get(), [&] {
        auto* settings = dynamic_cast<CSetWnd*>(m_window->GetSettingsWindow());
        ASSERT_NE(settings, nullptr);
        auto* combo = settings->FindControlAs<CComboUI>(QStringLiteral("Language_combox_info"));
        combo->SelectItem(1, false, true);  // English
        after = title->GetShownText();
        settings->FindControlAs<CButtonUI>(QStringLiteral("laterbtn"))->click();
    });
    m_window->OpenSettingsWindow(true);
    EXPECT_EQ(m_window->GetLanguageIndex(), 1);
    EXPECT_NE(after, before);
    EXPECT_EQ(after, QStringLiteral("Keyboard · Mouse · Mouse pad · Headset"));
    EXPECT_EQ(m_window->GetSettingsWindow(), nullptr);
}

}  // namespace
}  // namespace quaro
