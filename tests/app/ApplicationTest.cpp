// The application as a process: one copy at a time, and the control registry it starts with.

#include "TempDir.h"
#include "app/ControlRegistry.h"
#include "app/SleepWatcher.h"
#include "support/QtTestApp.h"
#include "support/RecordingWindow.h"
#include "ui/toolkit/CControlFactory.h"
#include "ui/toolkit/CControlUI.h"

#include <QCoreApplication>
#include <QProcess>
#include <QProcessEnvironment>
#include <gtest/gtest.h>

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
          "CHandImgSelectButtonUI", "CRedioMacroButtonUI", "CDeviceOptionUI", "CMpDevicePowerUI"}) {
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

    test::TempDir m_runtime;
    test::TempDir m_home;
    QProcess m_first;
    QProcess m_second;
};

TEST_F(TwoCopies, SecondCopyWakesTheFirstAndLeavesWithZero) {
    m_first.start();
    ASSERT_TRUE(m_first.waitForStarted(10000));
    ASSERT_TRUE(
        test::WaitFor([&] { return std::filesystem::exists(m_runtime / "MIREL_QUARO"); }, 30000));

    m_second.start();
    ASSERT_TRUE(m_second.waitForFinished(30000));
    EXPECT_EQ(m_second.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(m_second.exitCode(), 0);

    // The running copy traced the instance message with wParam 0 and lParam 1.
    QByteArray output;
    ASSERT_TRUE(test::WaitFor(
        [&] {
            output += m_first.readAllStandardError();
            return output.contains(QStringLiteral("软件标示 49152，0d1d").toUtf8());
        },
        15000))
        << output.toStdString();
    EXPECT_EQ(m_first.state(), QProcess::Running);
}

}  // namespace
}  // namespace quaro
