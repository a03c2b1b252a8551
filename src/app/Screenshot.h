#pragma once

#include <QString>

namespace quaro {

class CMainWnd;
class CResourceManager;

// For headless runs and documentation: QUARO_SCREENSHOT=<file.png> makes the application save
// a picture shortly after start-up and quit. QUARO_SCREENSHOT_SCENE picks what is shown:
// "main" (default), "message" (a message box over the window) or "skin" (the skin picker open).
struct ScreenshotRequest {
    QString path;
    QString scene;
    int delayMs = 1500;

    static ScreenshotRequest FromEnvironment();
    bool IsRequested() const { return !path.isEmpty(); }
};

// Arranges the scene, saves the picture and ends the application.
void ScheduleScreenshot(const ScreenshotRequest& request, CMainWnd& window,
                        CResourceManager& resources);

}  // namespace quaro
