#include "app/Application.h"

#include "app/ControlRegistry.h"
#include "app/Screenshot.h"
#include "app/SleepWatcher.h"
#include "platform/Paths.h"
#include "platform/Trace.h"
#include "ui/CMainWnd.h"
#include "ui/shell/MessageEndpoint.h"
#include "ui/shell/RegisteredMessages.h"
#include "ui/toolkit/CControlFactory.h"
#include "ui/toolkit/CResourceManager.h"
#include "ui/toolkit/CTrayIcon.h"

#include <QApplication>
#include <QLoggingCategory>

Q_LOGGING_CATEGORY(lcQuaro, "quaro")

namespace quaro {
namespace {

void RouteTraceToQtLog() {
    SetTraceSink([](std::string_view text) {
        QString line = QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
        while (line.endsWith(u'\n')) {
            line.chop(1);
        }
        qCInfo(lcQuaro).noquote() << line;
    });
}

QString ToQString(const std::filesystem::path& path) {
    return QString::fromStdString(path.string());
}

}  // namespace

int RunApplication(QApplication& app) {
    RouteTraceToQtLog();
    // The window hides into the tray; closing it must not end the process.
    app.setQuitOnLastWindowClosed(false);

    const unsigned instanceMessage = RegisterWindowMessage(registered::kInstanceMessage);
    TraceFormat("软件标示：%d", instanceMessage);
    if (instanceMessage < kFirstRegisteredMessage || instanceMessage > kLastRegisteredMessage) {
        return 0;
    }

    const QString socketPath = MessageEndpoint::DefaultSocketPath();
    MessageEndpoint endpoint(socketPath);
    switch (endpoint.Listen()) {
        case MessageEndpoint::StartResult::AlreadyRunning:
            // Wake the running copy and leave.
            MessageEndpoint::SendToRunning(socketPath, registered::kInstanceMessage, 0, 1);
            return 0;
        case MessageEndpoint::StartResult::Failed:
            // Still the only copy (the guard is held); it just cannot be reached from outside.
            break;
        case MessageEndpoint::StartResult::Listening:
            break;
    }

    const std::filesystem::path executableDir = ExecutableDirectory();
    CResourceManager resources;
    resources.SetResourcePath(ToQString(executableDir / "skin"));
    resources.LoadResource(QStringLiteral("res.xml"));
    app.setStyleSheet(resources.LoadStyleSheet());

    RegisterControls(CControlFactory::GetInstance());
    RegisterWindowMessage(registered::kUpdateProgress);
    RegisterWindowMessage(registered::kLightAnnounce);
    RegisterWindowMessage(registered::kLightRequest);

    const ScreenshotRequest screenshot = ScreenshotRequest::FromEnvironment();
    CMainWnd::Services services;
    services.settingsFolder = SettingsFolder(XdgRootsFromEnvironment().configHome);
    services.defaultDataFolder = DefaultDataFolder(executableDir);
    services.broadcast = [&endpoint](const QString& name, WPARAM wParam, LPARAM lParam) {
        endpoint.Broadcast(name, wParam, lParam);
    };
    services.trayAvailable = CTrayIcon::IsAvailable() && !screenshot.IsRequested();

    auto window = std::make_unique<CMainWnd>(resources, services);
    window->Create(QString::fromLatin1(CMainWnd::kProductTitle),
                   Qt::Window | Qt::FramelessWindowHint);
    window->resize(800, 572);
    window->CenterWindow();
    window->show();

    endpoint.SetReceiver(
        [port = window->GetHWND()](const QString& name, WPARAM wParam, LPARAM lParam) {
            // Only names this application registered mean anything to it.
            if (const unsigned message = FindWindowMessage(name)) {
                port->Post(message, wParam, lParam);
            }
        });

    SleepWatcher sleepWatcher(window->GetHWND());

    if (screenshot.IsRequested()) {
        ScheduleScreenshot(screenshot, *window, resources);
    }
    app.exec();

    window.reset();
    SetTraceSink(StandardErrorTraceSink());
    return 0;
}

}  // namespace quaro
