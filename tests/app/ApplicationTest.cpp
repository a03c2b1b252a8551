// The application as a process: one copy at a time (settled before any display is needed),
// the normal exit on kill, logout and Ctrl+C, the control registry it starts with, and the
// watch for a tray that appears after start.

#include "TempDir.h"
#include "app/ControlRegistry.h"
#include "app/SleepWatcher.h"
#include "app/TrayWatcher.h"
#include "support/QtTestApp.h"
#include "support/RecordingWindow.h"
#include "ui/toolkit/CControlFactory.h"
#include "ui/toolkit/CControlUI.h"

#include <QCoreApplication>
#include <QProcess>
#include <QProcessEnvironment>
#include <gtest/gtest.h>

#include <csignal>

namespace quaro {
namespace {

TEST(ControlRegistry, RegistersTheBuiltClassesInTableOrder) {
    const QStringList table = ControlRegistryNames();
    ASSERT_EQ(table.size(), 23);
    EXPECT_EQ(table.first(), u"CCircleProgressUI");
    EXPECT_EQ(table.last(), u"CKestrovaHS6533Device");

    CControlFactory factory;
    RegisterControls(factory);
    const QStringList registered = factory.RegisteredNames();
    // Registered names keep the table's order.
    int last = -1;
    for (const QString& name : registered) {
        const int position = static_cast<int>(table.indexOf(name));
        EXPECT_GT(position, last) << name.toStdString();
        last = position;
    }
    for (const char* name :
         {"CCircleProgressUI", "CChartViewUI", "CWndUI", "CSelectPanelUI", "CDeviceKeyButtonUI",
          "CCloudShareListItemUI", "CComboEditContainerElementUI", "CHandImgButtonUI",
          "CHandImgSelectButtonUI", "CRedioMacroButtonUI", "CDeviceOptionUI", "CMpDevicePowerUI",
          "CLightControlUI"}) {
        std::unique_ptr<CControlUI> control(factory.CreateControl(QLatin1String(name)));
        EXPECT_NE(control, nullptr) << name;
    }
}

TEST(SleepWatcher, SleepAndWakeBecomeSuspendAndResume) {
    test::TempDir dir;
    test::WriteFileBytes(dir / "w.xml", "<Window><VerticalLayout name=\"root\"/></Window>");
    CResourceManager resources;
    resources.SetResourcePath(QString::fromStdString(dir.Path().string()));
    test::RecordingWindow window(resources, QStringLiteral("w.xml"));
    window.Create(QStringLiteral("t"), Qt::Window);
    SleepWatcher watcher(window.GetHWND());
    watcher.OnPrepareForSleep(true);
    watcher.OnPrepareForSleep(false);
    ASSERT_TRUE(test::WaitFor([&] { return window.m_messages.size() >= 2; }));
    EXPECT_EQ(window.m_messages[0].message, msg::kWmPowerBroadcast);
    EXPECT_EQ(window.m_messages[0].wParam, msg::kPbtApmSuspend);
    EXPECT_EQ(window.m_messages[1].wParam, msg::kPbtApmResumeAutomatic);
}

TEST(TrayWatcher, ReportsATrayThatAppearsOnceAndStopsLooking) {
    int probes = 0;
    int appeared = 0;
    TrayWatcher watcher([&] { return ++probes >= 3; }, [&] { ++appeared; }, 5);
    EXPECT_TRUE(watcher.IsWatching());
    ASSERT_TRUE(test::WaitFor([&] { return appeared == 1; }));
    EXPECT_FALSE(watcher.IsWatching());
    const int probesWhenFound = probes;
    test::WaitFor([] { return false; }, 100);
    EXPECT_EQ(appeared, 1);
    EXPECT_EQ(probes, probesWhenFound);
}

class TwoCopies : public ::testing::Test {
protected:
    TwoCopies() {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("XDG_RUNTIME_DIR"),
                           QString::fromStdString(m_runtime.Path().string()));
        environment.insert(QStringLiteral("XDG_CONFIG_HOME"),
                           QString::fromStdString(m_home.Path().string()));
        environment.insert(QStringLiteral("XDG_DATA_HOME"),
                           QString::fromStdString(m_home.Path().string()));
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        // The library Qt loads for the desktop may keep a few bytes to the end.
        environment.insert(QStringLiteral("ASAN_OPTIONS"), QStringLiteral("detect_leaks=0"));
        for (QProcess* process : {&m_first, &m_second}) {
            process->setProcessEnvironment(environment);
            process->setProgram(QCoreApplication::applicationDirPath() + QStringLiteral("/quaro"));
        }
    }
    ~TwoCopies() override {
        for (QProcess* process : {&m_first, &m_second}) {
            if (process->state() != QProcess::NotRunning) {
                process->kill();
                process->waitForFinished(5000);
            }
        }
    }

    // Starts the first copy and waits until it listens.
    void StartFirst() {
        m_first.start();
        ASSERT_TRUE(m_first.waitForStarted(10000));
        ASSERT_TRUE(test::WaitFor(
            [&] { return std::filesystem::exists(m_runtime / "MIREL_QUARO"); }, 30000));
    }
    // Waits until the first copy's trace holds text; everything it traced so far.
    bool FirstTraced(const char* text, int timeoutMs = 15000) {
        return test::WaitFor(
            [&] {
                m_firstOutput += m_first.readAllStandardError();
                return m_firstOutput.contains(text);
            },
            timeoutMs);
    }

    test::TempDir m_runtime;
    test::TempDir m_home;
    QProcess m_first;
    QProcess m_second;
    QByteArray m_firstOutput;
};

TEST_F(TwoCopies, SecondCopyWakesTheFirstAndLeavesWithZero) {
    StartFirst();
    m_second.start();
    ASSERT_TRUE(m_second.waitForFinished(30000));
    EXPECT_EQ(m_second.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(m_second.exitCode(), 0);

    // The running copy traced the instance message with wParam 0 and lParam 1.
    EXPECT_TRUE(FirstTraced("软件标示 49152，0d1d")) << m_firstOutput.toStdString();
    EXPECT_EQ(m_first.state(), QProcess::Running);
}

TEST_F(TwoCopies, SecondCopyWithoutADisplayStillWakesTheFirst) {
    StartFirst();
    // No display of any kind: opening one would abort the second copy.
    QProcessEnvironment environment = m_second.processEnvironment();
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) {
        environment.remove(QLatin1String(name));
    }
    m_second.setProcessEnvironment(environment);
    m_second.start();
    ASSERT_TRUE(m_second.waitForFinished(30000));
    EXPECT_EQ(m_second.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(m_second.exitCode(), 0) << m_second.readAllStandardError().toStdString();
    EXPECT_TRUE(FirstTraced("软件标示 49152，0d1d")) << m_firstOutput.toStdString();
    EXPECT_EQ(m_first.state(), QProcess::Running);
}

TEST_F(TwoCopies, TermIntAndHangUpRunTheNormalExit) {
    for (int signalNumber : {SIGTERM, SIGINT, SIGHUP}) {
        SCOPED_TRACE(signalNumber);
        m_firstOutput.clear();
        StartFirst();
        // The window is up (its first layout is done) before the signal comes.
        ASSERT_TRUE(FirstTraced("windowinit")) << m_firstOutput.toStdString();
        ASSERT_EQ(::kill(static_cast<pid_t>(m_first.processId()), signalNumber), 0);
        ASSERT_TRUE(m_first.waitForFinished(30000));
        m_firstOutput += m_first.readAllStandardError();
        EXPECT_EQ(m_first.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(m_first.exitCode(), 0);
        // The window's destruction ran: its exit trace, and the guard is free for a new copy.
        EXPECT_TRUE(m_firstOutput.contains("退出测试")) << m_firstOutput.toStdString();
        EXPECT_FALSE(std::filesystem::exists(m_runtime / "MIREL_QUARO.lock"));
    }
}

}  // namespace
}  // namespace quaro
