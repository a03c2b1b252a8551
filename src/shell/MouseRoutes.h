#pragma once

#include "profiles/ProfileRecords.h"
#include "shell/RouteTable.h"
#include "ui/toolkit/UIDefs.h"

#include <functional>
#include <vector>

namespace quaro {

class CKestrovaMouseDevice;
class DevicePageSet;

// What the mouse's own controls do, by control name, when the current page is a mouse: the DPI
// stages, report rate and settings sub-pages, the pointer controls (to the session's pointer), the
// firing pattern panel, and the guard that keeps a left button on the mouse when a button is picked
// for a new assignment.
//
// Threads: the UI thread only.
class MouseRoutes {
public:
    // Shows a message box with the language text of the id.
    using ShowMessage = std::function<void(const char* id)>;

    MouseRoutes(const DevicePageSet& pages, ShowMessage showMessage);

    void SetShowMessage(ShowMessage show) { m_showMessage = std::move(show); }

    // True when a mouse route took the notification. Notifications of controls outside the
    // current mouse page, or while the current page is no mouse, are left to others.
    bool Dispatch(const TNotifyUI& msg);

    // True when button n is the only one of keys holding the left-button function, so giving
    // it another one would leave the mouse without a left button.
    static bool IsOnlyLeftButton(const std::vector<KeyAssignmentEntry>& keys, int n);

private:
    // index: the number of an indexed name, else -1. False leaves the notification to others.
    using Handler = bool (MouseRoutes::*)(const TNotifyUI& msg, CKestrovaMouseDevice& page,
                                          int index);
    static const RouteTable<Handler> kRoutes;

    // The page these routes act on: the current page when it is a mouse; else null.
    CKestrovaMouseDevice* CurrentMouse() const;

    bool OnPointerSpeed(const TNotifyUI& msg, CKestrovaMouseDevice& page, int index);
    bool OnPointerPrecision(const TNotifyUI& msg, CKestrovaMouseDevice& page, int index);
    bool OnScrollSpeed(const TNotifyUI& msg, CKestrovaMouseDevice& page, int index);
    bool OnScrollPage(const TNotifyUI& msg, CKestrovaMouseDevice& page, int index);
    bool OnDoubleClick(const TNotifyUI& msg, CKestrovaMouseDevice& page, int index);
    bool OnKeyPick(const TNotifyUI& msg, CKestrovaMouseDevice& page, int index);
    bool OnStageCheck(const TNotifyUI& msg, CKestrovaMouseDevice& page, int index);
    bool OnStageSlider(const TNotifyUI& msg, CKestrovaMouseDevice& page, int index);
    bool OnStageSliderDrag(const TNotifyUI& msg, CKestrovaMouseDevice& page, int index);
    bool OnStageEdit(const TNotifyUI& msg, CKestrovaMouseDevice& page, int index);
    bool OnReportRate(const TNotifyUI& msg, CKestrovaMouseDevice& page, int index);
    bool OnSettingsPage(const TNotifyUI& msg, CKestrovaMouseDevice& page, int index);
    bool OnGun(const TNotifyUI& msg, CKestrovaMouseDevice& page, int index);
    bool OnBullet(const TNotifyUI& msg, CKestrovaMouseDevice& page, int index);
    bool OnPreviousBullet(const TNotifyUI& msg, CKestrovaMouseDevice& page, int index);
    bool OnNextBullet(const TNotifyUI& msg, CKestrovaMouseDevice& page, int index);
    bool OnBulletEdit(const TNotifyUI& msg, CKestrovaMouseDevice& page, int index);
    bool OnResetGun(const TNotifyUI& msg, CKestrovaMouseDevice& page, int index);
    bool OnDirection(const TNotifyUI& msg, CKestrovaMouseDevice& page, int index);
    bool OnNoAction(const TNotifyUI& msg, CKestrovaMouseDevice& page, int index);

    const DevicePageSet& m_pages;
    ShowMessage m_showMessage;
};

}  // namespace quaro
