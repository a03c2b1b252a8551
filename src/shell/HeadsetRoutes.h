#pragma once

#include "shell/RouteTable.h"
#include "ui/toolkit/UIDefs.h"

#include <QString>

#include <functional>

namespace quaro {

class CKestrovaHS6533Device;
class DevicePageSet;

// What the headset's voice and voice changer panels' controls do, by control name: each route
// hands the user's action to the current page when it is the headset and the control is one of
// that page's panels. The page calls the audio library on its worker and stores the profile.
class HeadsetRoutes {
public:
    // showMessage shows a message box with the text of a language id.
    HeadsetRoutes(const DevicePageSet& pages, std::function<void(const char* id)> showMessage);

    // True when a headset route took the notification (whether or not it found a page).
    bool Dispatch(const TNotifyUI& msg);

private:
    using Handler = void (HeadsetRoutes::*)(const TNotifyUI& msg, CKestrovaHS6533Device& page,
                                            int index);
    static const RouteTable<Handler> kRoutes;

    void OnSave(const TNotifyUI& msg, CKestrovaHS6533Device& page, int index);
    void OnDelete(const TNotifyUI& msg, CKestrovaHS6533Device& page, int index);
    void OnEffect(const TNotifyUI& msg, CKestrovaHS6533Device& page, int index);
    void OnPreset(const TNotifyUI& msg, CKestrovaHS6533Device& page, int index);
    void OnVoiceChanger(const TNotifyUI& msg, CKestrovaHS6533Device& page, int index);
    void OnMicSwitch(const TNotifyUI& msg, CKestrovaHS6533Device& page, int index);
    void OnMonitorSwitch(const TNotifyUI& msg, CKestrovaHS6533Device& page, int index);
    void OnBand(const TNotifyUI& msg, CKestrovaHS6533Device& page, int index);
    void OnMicLevel(const TNotifyUI& msg, CKestrovaHS6533Device& page, int index);
    void OnMonitorLevel(const TNotifyUI& msg, CKestrovaHS6533Device& page, int index);
    void OnCurve(const TNotifyUI& msg, CKestrovaHS6533Device& page, int index);

    const DevicePageSet& m_pages;
    std::function<void(const char* id)> m_showMessage;
};

}  // namespace quaro
