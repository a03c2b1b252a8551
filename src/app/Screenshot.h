#pragma once

#include <QString>

namespace quaro {

class CMainWnd;
class CResourceManager;

// For headless runs and documentation: QUARO_SCREENSHOT=<file.png> makes the application save
// a picture shortly after start-up and quit. QUARO_SCREENSHOT_SCENE picks what is shown:
// "main" (default), "message" (a message box over the window), "skin" (the skin picker open)
// or "settings" (the settings and update window).
// QUARO_SCREENSHOT_AREA=screen pictures the whole screen with the windows where they stand (to
// check placement); the default is the main window alone.
struct ScreenshotRequest {
    QString path;
    QString scene;
    bool wholeScreen = false;
    int delayMs = 1500;

    static ScreenshotRequest FromEnvironment();
    bool IsRequested() const { return !path.isEmpty(); }
};

// Arranges the scene, saves the picture and ends the application.
void ScheduleScreenshot(const ScreenshotRequest& request, CMainWnd& window,
                        CResourceManager& resources);

}  // namespace quaro
