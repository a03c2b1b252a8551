#include "app/Screenshot.h"

#include "platform/Trace.h"
#include "ui/CMainWnd.h"
#include "ui/CMsgWnd.h"
#include "ui/CSkinFrame.h"
#include "ui/toolkit/CButtonUI.h"
#include "ui/toolkit/CResourceManager.h"

#include <QApplication>
#include <QPainter>
#include <QPixmap>
#include <QTimer>

namespace quaro {
namespace {

// The main window with every other visible top-level window of the application painted over
// it where it stands, so the picture does not depend on a compositor.
QPixmap Compose(CMainWnd& window) {
    QPixmap picture = window.grab();
    QPainter painter(&picture);
    for (QWidget* top : QApplication::topLevelWidgets()) {
        if (top == &window || !top->isVisible() || top->width() <= 0) {
            continue;
        }
        const QPoint at = top->mapToGlobal(QPoint(0, 0)) - window.mapToGlobal(QPoint(0, 0));
        painter.drawPixmap(at, top->grab());
    }
    return picture;
}

void SaveAndQuit(const ScreenshotRequest& request, CMainWnd& window) {
    const QPixmap picture = Compose(window);
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
        } else if (request.scene == u"message") {
            QTimer::singleShot(400, &window, [request, &window] { SaveAndQuit(request, window); });
            CMsgWnd::ShowMessage(resources, &window, QString(), QStringLiteral("message_text_22"),
                                 96, true, 1);
        } else {
            QTimer::singleShot(200, &window, [request, &window] { SaveAndQuit(request, window); });
        }
    });
}

}  // namespace quaro
