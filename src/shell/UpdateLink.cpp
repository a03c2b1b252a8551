#include "shell/UpdateLink.h"

#include "device/CatalogueTables.h"
#include "pages/CKestrovaUSBDevice.h"
#include "panels/devicetab/CDeviceOptionUI.h"
#include "platform/Trace.h"
#include "ui/CMsgWnd.h"
#include "ui/MainMessages.h"
#include "ui/toolkit/CContainerUI.h"
#include "update/UpdateChecker.h"

#include <QFileInfo>
#include <QMetaObject>
#include <QProcess>

#include <condition_variable>
#include <memory>
#include <mutex>
#include <optional>

namespace quaro {
namespace {

// Runs f on the window's thread and waits for its value; none when the worker is stopped (or
// the window went) first, so a stopping window never waits on its own worker.
template <class T, class F>
std::optional<T> CallOnUi(QObject* context, const StopEvent& stop, F f) {
    struct Shared {
        std::mutex mutex;
        std::condition_variable ready;
        std::optional<T> value;
    };
    auto shared = std::make_shared<Shared>();
    QMetaObject::invokeMethod(
        context,
        [shared, f = std::move(f)] {
            T value = f();
            std::lock_guard lock(shared->mutex);
            shared->value = std::move(value);
            shared->ready.notify_all();
        },
        Qt::QueuedConnection);
    std::unique_lock lock(shared->mutex);
    while (!shared->value) {
        if (stop.IsSignalled()) {
            return std::nullopt;
        }
        shared->ready.wait_for(lock, std::chrono::milliseconds(10));
    }
    return std::move(shared->value);
}

}  // namespace

std::vector<uint32_t> DeviceTabVersions(CMainWnd& window) {
    // One version per device type row, in row order, whether or not the row's tab is built yet
    // (tabs are built as their devices come, so a tab's place in the strip is not its row).
    std::vector<uint32_t> versions;
    for (std::size_t row = 0; row < kDeviceTypes.size(); ++row) {
        uint32_t version = 0;
        const CDeviceOptionUI* tab = window.Devices().RowTab(row);
        if (auto* page =
                tab != nullptr ? dynamic_cast<CKestrovaUSBDevice*>(tab->GetPage()) : nullptr) {
            if (DeviceDriver* driver = page->Driver(); driver != nullptr) {
                CommandChannel& channel = driver->Primary();
                if (channel.IsConnected()) {
                    version = channel.Device().Attributes().versionNumber;
                }
            }
        }
        versions.push_back(version);
    }
    return versions;
}

std::vector<UpdateEntry> MainWindowUpdateEntries(CMainWnd& window) {
    return BuildUpdateEntries(DeviceTabVersions(window), static_cast<uint32_t>(InstalledVersion()));
}

void StartUpdateCheck(CMainWnd& window, UpdateServerSettings server) {
    HWND port = window.GetHWND();
    window.StartWorker(kUpdateThreadSlot, [&window, port, server](StopEvent& stop) {
        // One check per start: nothing asks for another while the application runs, so after
        // it the thread sleeps until it is stopped rather than waking for nothing.
        const auto leave = [] { Trace("获取更新线程退出"); };
        if (stop.Wait(1)) {
            leave();
            return;
        }
        const std::optional<std::vector<UpdateEntry>> entries = CallOnUi<std::vector<UpdateEntry>>(
            &window, stop, [&window] { return MainWindowUpdateEntries(window); });
        if (!entries) {
            leave();
            return;
        }
        const UpdateChecker checker(server.baseUrl, server.client);
        const UpdatePassOutcome outcome = RunUpdatePass(
            *entries,
            [&checker, &stop](const UpdateEntry& entry) {
                return checker.Check(entry, [&stop] { return stop.IsSignalled(); });
            },
            [&stop] { return stop.IsSignalled(); });
        if (outcome == UpdatePassOutcome::SomethingNew) {
            QMetaObject::invokeMethod(
                &window,
                [&window] {
                    if (CControlUI* button = window.FindControl(QStringLiteral("setbtn"))) {
                        button->SetForeImage(QLatin1String(kNewUpdateImage));
                    }
                },
                Qt::QueuedConnection);
            port->Post(mainmsg::kOpenSettings, 0, 0);
            return;
        }
        if (outcome == UpdatePassOutcome::NothingNew) {
            port->Post(mainmsg::kClearUpdateIndicator, 0, 0);
        }
        stop.Wait(StopEvent::kInfinite);
        leave();
    });
}

CMainWnd::SettingsWindowFactory MakeSettingsWindowFactory(CResourceManager& resources,
                                                          CSetWnd::Services services) {
    return [&resources, services](CMainWnd& owner) -> WindowImplBase* {
        auto* window = new CSetWnd(resources, &owner, services);
        window->setAttribute(Qt::WA_DeleteOnClose);
        if (!window->Create(QStringLiteral("SetWnd"), Qt::Tool | Qt::FramelessWindowHint)) {
            delete window;
            return nullptr;
        }
        window->SetScale(owner.GetDpi());
        window->SetMainWindow(owner.GetHWND(), owner.GetLanguageIndex());
        std::vector<UpdateEntry> known;
        for (UpdateEntry& entry : MainWindowUpdateEntries(owner)) {
            if (entry.version != 0) {
                known.push_back(std::move(entry));
            }
        }
        window->SetUpdateEntries(std::move(known));
        return window;
    };
}

bool StartInstallerProcess(const std::string& file, bool shown) {
    const QString program = QString::fromStdString(file);
    if (!QFileInfo(program).isExecutable()) {
        return false;
    }
    // Either way the installer runs on its own and reports through the installer message;
    // a shown one opens its own window, which is the installer's business.
    TraceFormat("starting installer %s (%s)", file.c_str(), shown ? "shown" : "hidden");
    return QProcess::startDetached(program, {}, QFileInfo(program).absolutePath());
}

}  // namespace quaro
