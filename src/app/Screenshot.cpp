#include "app/Screenshot.h"

#include "device/CatalogueEntries.h"
#include "pages/CKestrovaUSBDevice.h"
#include "panels/devicetab/CDeviceOptionUI.h"
#include "platform/Trace.h"
#include "shell/CMainWnd.h"
#include "shell/CSkinFrame.h"
#include "ui/CMsgWnd.h"
#include "ui/MessageTexts.h"
#include "ui/toolkit/CButtonUI.h"
#include "ui/toolkit/CResourceManager.h"

#include <QApplication>
#include <QPainter>
#include <QPixmap>
#include <QScreen>
#include <QTimer>

#include <utility>

namespace quaro {
namespace {

// The main window (or the whole screen) with every visible top-level window of the application
// painted where it stands, so the picture does not depend on a compositor.
QPixmap Compose(CMainWnd& window, bool wholeScreen) {
    QRect area = window.frameGeometry();
    QPixmap picture;
    if (wholeScreen && window.screen() != nullptr) {
        area = window.screen()->geometry();
        picture = QPixmap(area.size());
        picture.fill(Qt::black);
    } else {
        picture = window.grab();
    }
    QPainter painter(&picture);
    for (QWidget* top : QApplication::topLevelWidgets()) {
        if ((top == &window && !wholeScreen) || !top->isVisible() || top->width() <= 0) {
            continue;
        }
        painter.drawPixmap(top->mapToGlobal(QPoint(0, 0)) - area.topLeft(), top->grab());
    }
    return picture;
}

// The function page of the headset's voice panel ("6533_voice_Op_tab").
constexpr int kHeadsetVoicePage = 6;
// The function page of the mouse's system area, where its DPI stages are.
constexpr int kMouseSystemPage = 4;

// The device scenes and the kind of page each shows; 0 for other scenes.
int DeviceSceneKind(const QString& scene) {
    static constexpr std::pair<const char*, int> kScenes[] = {
        {"keyboard", kKindKeyboard},
        {"mouse", kKindMouse},
        {"mousepad", kKindMousePad},
        {"headset", kKindHeadset},
    };
    for (const auto& [name, kind] : kScenes) {
        if (scene == QLatin1String(name)) {
            return kind;
        }
    }
    return 0;
}

void SaveAndQuit(const ScreenshotRequest& request, CMainWnd& window) {
    const QPixmap picture = Compose(window, request.wholeScreen);
    if (picture.save(request.path, "PNG")) {
        TraceFormat("screenshot saved: %s", request.path.toUtf8().constData());
    } else {
        TraceFormat("screenshot could not be saved: %s", request.path.toUtf8().constData());
    }
    QApplication::exit(0);
}

}  // namespace

ScreenshotRequest ScreenshotRequest::FromEnvironment() {
    ScreenshotRequest request;
    request.path = qEnvironmentVariable("QUARO_SCREENSHOT");
    request.scene = qEnvironmentVariable("QUARO_SCREENSHOT_SCENE", QStringLiteral("main"));
    request.wholeScreen = qEnvironmentVariable("QUARO_SCREENSHOT_AREA") == u"screen";
    bool ok = false;
    const int delay = qEnvironmentVariableIntValue("QUARO_SCREENSHOT_DELAY_MS", &ok);
    if (ok && delay >= 0) {
        request.delayMs = delay;
    }
    return request;
}

void ScheduleScreenshot(const ScreenshotRequest& request, CMainWnd& window,
                        CResourceManager& resources) {
    QTimer::singleShot(request.delayMs, &window, [request, &window, &resources] {
        window.show();
        window.Relayout();
        if (request.scene == u"skin") {
            if (auto* skin = window.FindControlAs<CButtonUI>(QStringLiteral("skinbtn"))) {
                skin->Activate();
            }
            QTimer::singleShot(400, &window, [request, &window] { SaveAndQuit(request, window); });
        } else if (const int kind = DeviceSceneKind(request.scene); kind != 0) {
            // The device's page as an arrival shows it, whether or not the device is present
            // (built now when no device of its kind came).
            if (CKestrovaUSBDevice* page = window.Devices().EnsurePage(kind)) {
                CDeviceOptionUI* tab = page->GetDeviceTab();
                if (tab != nullptr) {
                    window.Devices().ShowTab(tab, true);
                }
                // The page loads its profile into its panels at its start: a present device's
                // start runs now (once), a page without its device starts here.
                if (tab == nullptr || !tab->StartNow()) {
                    page->OnStart();
                }
                if (kind == kKindHeadset) {
                    // The headset's picture with its sound settings below it.
                    page->SelectFunctionTab(kHeadsetVoicePage);
                } else if (kind == kKindMouse) {
                    page->SelectFunctionTab(kMouseSystemPage);
                }
            }
            QTimer::singleShot(400, &window, [request, &window, kind] {
                // The picture shows the light the page plays, as its frame timer would.
                if (CKestrovaUSBDevice* page = window.Devices().FirstPageOfKind(kind)) {
                    page->RenderLightFrame();
                }
                SaveAndQuit(request, window);
            });
        } else if (request.scene == u"settings") {
            QTimer::singleShot(1500, &window, [request, &window] { SaveAndQuit(request, window); });
            window.OpenSettingsWindow(true);
        } else if (request.scene == u"message") {
            QTimer::singleShot(400, &window, [request, &window] { SaveAndQuit(request, window); });
            CMsgWnd::ShowMessage(resources, &window, QString(),
                                 QLatin1String(msgtext::kConfirmRestoreDefaults), 96, true, 1);
        } else {
            QTimer::singleShot(200, &window, [request, &window] { SaveAndQuit(request, window); });
        }
    });
}

}  // namespace quaro
