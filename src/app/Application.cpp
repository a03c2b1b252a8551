#include "app/Application.h"

#include "app/CommandLine.h"
#include "app/ControlRegistry.h"
#include "app/ExitSignals.h"
#include "app/Screenshot.h"
#include "app/SleepWatcher.h"
#include "app/TrayWatcher.h"
#include "device/HidBackend.h"
#include "platform/LayeredSystemSettings.h"
#include "platform/Paths.h"
#include "platform/Trace.h"
#include "platform/X11InputCapture.h"
#include "shell/CDeviceHook.h"
#include "shell/CMainWnd.h"
#include "shell/CTrayIcon.h"
#include "shell/FallbackInputCapture.h"
#include "shell/MessageEndpoint.h"
#include "shell/UpdateLink.h"
#include "shell/WindowInputCapture.h"
#include "ui/CMsgWnd.h"
#include "ui/RegisteredMessages.h"
#include "ui/toolkit/CControlFactory.h"
#include "ui/toolkit/CResourceManager.h"

#include <QApplication>
#include <QLockFile>
#include <QLoggingCategory>
#include <QTimer>

#include <cstdio>
#include <cstdlib>
#include <malloc.h>

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

// Building the window and its device pages frees much of what it allocated, scattered through
// the heap where the allocator keeps it for allocations that do not come; by then the start
// has settled and those pages go back to the system once.
constexpr int kReturnFreedMemoryMs = 5000;

// How long a second copy waits for a running copy that holds the guard but is still starting.
constexpr int kWakeTimeoutMs = 5000;
// How long after start the update check begins.
constexpr int kUpdateCheckDelayMs = 3000;

}  // namespace

int RunApplication(int& argc, char** argv) {
    const AppCommandLine commandLine = ParseAppCommandLine(argc, argv);
    if (!commandLine.error.empty()) {
        std::fprintf(stderr, "quaro: %s\n%s", commandLine.error.c_str(), kAppUsage);
        return 2;
    }
    if (commandLine.help || commandLine.version) {
        std::fputs(commandLine.help ? kAppUsage : "quaro " QUARO_VERSION "\n", stdout);
        return 0;
    }
    RouteTraceToQtLog();

    const unsigned instanceMessage = RegisterWindowMessage(registered::kInstanceMessage);
    TraceFormat("软件标示：%d", instanceMessage);
    if (instanceMessage < kFirstRegisteredMessage || instanceMessage > kLastRegisteredMessage) {
        return 0;
    }

    // One copy at a time, settled before the display is opened: a second copy started where
    // there is none (a terminal, a script) still wakes the first and leaves quietly.
    const QString socketPath = MessageEndpoint::DefaultSocketPath();
    std::unique_ptr<QLockFile> guard = MessageEndpoint::TakeGuard(socketPath);
    if (!guard) {
        MessageEndpoint::SendToRunning(socketPath, registered::kInstanceMessage, 0, 1,
                                       kWakeTimeoutMs, true);
        return 0;
    }
    if (const std::string reason = MissingDisplayReason(std::getenv, commandLine.platformGiven);
        !reason.empty()) {
        std::fprintf(stderr, "%s\n", reason.c_str());
        return 1;
    }
    // From here a kill or the end of the session leaves through the normal exit.
    ExitSignals::Install();

    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("quaro"));
    // The window hides into the tray; closing it must not end the process.
    app.setQuitOnLastWindowClosed(false);

    MessageEndpoint endpoint(socketPath);
    if (endpoint.Listen(std::move(guard)) != MessageEndpoint::StartResult::Listening) {
        // Still the only copy (the guard is held); it just cannot be reached from outside.
        Trace("the running copy cannot be reached by other processes");
    }

    const std::filesystem::path executableDir = ExecutableDirectory();
    CResourceManager resources;
    resources.SetResourcePath(ToQString(executableDir / "skin"));
    resources.LoadResource(QStringLiteral("res.xml"));

    RegisterControls(CControlFactory::GetInstance());
    RegisterWindowMessage(registered::kUpdateProgress);
    RegisterWindowMessage(registered::kLightAnnounce);
    RegisterWindowMessage(registered::kLightRequest);
    RegisterHookMessages();

    const ScreenshotRequest screenshot = ScreenshotRequest::FromEnvironment();
    CMainWnd::Services services;
    services.settingsFolder = SettingsFolder(XdgRootsFromEnvironment().configHome);
    services.defaultDataFolder = DefaultDataFolder(executableDir);
    services.broadcast = [&endpoint](const QString& name, WPARAM wParam, LPARAM lParam) {
        endpoint.Broadcast(name, wParam, lParam);
    };
    services.trayAvailable = CTrayIcon::IsAvailable() && !screenshot.IsRequested();
    services.sessionLocale = LanguageCatalogue::SessionLocaleFromEnvironment();
    services.backend = MakeDefaultHidBackend();
    // The session's own repeat and pointer settings: the X server's, and the desktop's store
    // where its schemas are installed. What neither can take is traced as not applied.
    const std::unique_ptr<SystemSettingsService> systemSettings = MakeSessionSystemSettings();
    services.systemSettings = systemSettings.get();
    services.makeInputCapture = []() -> std::unique_ptr<InputCapture> {
        // An X11 session reports the whole session's input; elsewhere (Wayland), or where the
        // server refuses, only what reaches our own window can be captured.
        std::unique_ptr<InputCapture> session;
        if (QGuiApplication::platformName() == u"xcb") {
            session = std::make_unique<X11InputCapture>();
        }
        return std::make_unique<FallbackInputCapture>(std::move(session),
                                                      std::make_unique<WindowInputCapture>());
    };

    auto window = std::make_unique<CMainWnd>(resources, services);
    window->Create(QString::fromLatin1(CMainWnd::kProductTitle),
                   Qt::Window | Qt::FramelessWindowHint);
    window->resize(800, 572);
    window->CenterWindow();
    // With no tray yet the window stays hidden too: the tray watcher adds the icon once a panel
    // offers one, and starting quaro again shows the window meanwhile.
    if (!commandLine.tray || screenshot.IsRequested()) {
        window->show();
    } else {
        Trace("started in the tray");
    }

    const UpdateServerSettings updateServer = LoadUpdateServerSettings(services.settingsFolder);
    CSetWnd::Services settingsWindow;
    settingsWindow.settingsFolder = services.settingsFolder;
    settingsWindow.defaultDataFolder = services.defaultDataFolder;
    settingsWindow.downloadFolder = UpdateDownloadFolder(CacheHomeFromEnvironment());
    settingsWindow.server = updateServer;
    settingsWindow.startInstaller = &StartInstallerProcess;
    settingsWindow.showStartFailure = [&resources](CSetWnd& owner) {
        CMsgWnd::ShowMessage(resources, &owner, QString(), QStringLiteral("Update failed!"),
                             owner.GetDpi(), false, 0);
    };
    window->SetSettingsWindowFactory(MakeSettingsWindowFactory(resources, settingsWindow));
    // Screenshots show the window as it starts, without asking the network. The check waits
    // until the devices present at start have arrived: it competes with their arrival for the
    // processor otherwise, and it then reads their versions instead of none.
    if (!screenshot.IsRequested()) {
        QTimer::singleShot(kUpdateCheckDelayMs, window.get(),
                           [&window, updateServer] { StartUpdateCheck(*window, updateServer); });
    }

    endpoint.SetReceiver(
        [port = window->GetHWND()](const QString& name, WPARAM wParam, LPARAM lParam) {
            // Only names this application registered mean anything to it.
            if (const unsigned message = FindWindowMessage(name)) {
                port->Post(message, wParam, lParam);
            }
        });

    SleepWatcher sleepWatcher(window->GetHWND());
    ExitSignals exitSignals([&window](int) { window->Exit(); });

    std::unique_ptr<TrayWatcher> trayWatcher;
    if (!services.trayAvailable && !screenshot.IsRequested()) {
        trayWatcher = std::make_unique<TrayWatcher>(&CTrayIcon::IsAvailable,
                                                    [&window] { window->TrayBecameAvailable(); });
    }

    if (screenshot.IsRequested()) {
        ScheduleScreenshot(screenshot, *window, resources);
    }
    QTimer::singleShot(kReturnFreedMemoryMs, [] { ::malloc_trim(0); });
    app.exec();

    trayWatcher.reset();
    window.reset();
    ExitSignals::Uninstall();
    SetTraceSink(StandardErrorTraceSink());
    return 0;
}

}  // namespace quaro
