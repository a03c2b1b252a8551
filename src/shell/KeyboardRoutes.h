#pragma once

#include "shell/RouteTable.h"
#include "ui/toolkit/UIDefs.h"

#include <functional>

namespace quaro {

class CKestrovaKeyboardDevice;
class DevicePageSet;

// What the keyboard's own controls do, by control name, when the current page is a keyboard:
// the system sub-page (flags and report rate to the keyboard, repeat delay and speed to the
// session), the repeat test field, the return to the defaults, and the custom-colour lighting
// (paint colour, painting keys one by one or by band selection, the colour group).
//
// Threads: the UI thread only.
class KeyboardRoutes {
public:
    // Asks the user whether the defaults may replace the profile; true to go on.
    using Confirm = std::function<bool()>;

    KeyboardRoutes(const DevicePageSet& pages, Confirm confirmDefaults);

    void SetConfirmDefaults(Confirm confirm) { m_confirmDefaults = std::move(confirm); }

    // True when a keyboard route took the notification. Notifications of controls outside the
    // current keyboard page, or while the current page is no keyboard, are left to others.
    bool Dispatch(const TNotifyUI& msg);

private:
    // index: the number of an indexed name, else -1. False leaves the notification to others.
    using Handler = bool (KeyboardRoutes::*)(const TNotifyUI& msg, CKestrovaKeyboardDevice& page,
                                             int index);
    static const RouteTable<Handler> kRoutes;

    // The page these routes act on: the current page when it is a keyboard; else null.
    CKestrovaKeyboardDevice* CurrentKeyboard() const;

    bool OnSystemFlag(const TNotifyUI& msg, CKestrovaKeyboardDevice& page, int index);
    bool OnReportRate(const TNotifyUI& msg, CKestrovaKeyboardDevice& page, int index);
    bool OnRepeatDelay(const TNotifyUI& msg, CKestrovaKeyboardDevice& page, int index);
    bool OnRepeatRate(const TNotifyUI& msg, CKestrovaKeyboardDevice& page, int index);
    bool OnResetRepeat(const TNotifyUI& msg, CKestrovaKeyboardDevice& page, int index);
    bool OnDefaults(const TNotifyUI& msg, CKestrovaKeyboardDevice& page, int index);
    bool OnPaintColour(const TNotifyUI& msg, CKestrovaKeyboardDevice& page, int index);
    bool OnKeyPick(const TNotifyUI& msg, CKestrovaKeyboardDevice& page, int index);
    bool OnBandSelected(const TNotifyUI& msg, CKestrovaKeyboardDevice& page, int index);
    bool OnCustomGroup(const TNotifyUI& msg, CKestrovaKeyboardDevice& page, int index);

    const DevicePageSet& m_pages;
    Confirm m_confirmDefaults;
};

}  // namespace quaro
