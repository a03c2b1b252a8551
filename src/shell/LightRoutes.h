#pragma once

#include "profiles/ProfileRecords.h"
#include "shell/RouteTable.h"
#include "ui/toolkit/UIDefs.h"

#include <QSize>
#include <QString>

#include <functional>

namespace quaro {

class CKestrovaUSBDevice;
class CLightControlUI;
class DevicePageSet;
class LightSyncRunner;

// What the lighting panel's controls do, by control name, for the current device page: each
// route changes one field of the page's light record, then the page writes the record, stores
// its profile, refreshes its light display and writes its settings. A route the user takes on a
// device also takes that device out of light sync (the colour presets excepted).
// "deng_same_mode" spreads the current page's effect over every connected device and hands
// them to the light sync.
class LightRoutes {
public:
    // screen: the screen size the window took at start, for the settings write.
    LightRoutes(const DevicePageSet& pages, LightSyncRunner& sync, std::function<QSize()> screen);

    // True when a light route took the notification (whether or not it found a page to act on).
    bool Dispatch(const TNotifyUI& msg);

private:
    // Changes the setting; false leaves the page as it was. index: the number of an indexed
    // name, else -1.
    using Handler = bool (LightRoutes::*)(const TNotifyUI& msg, CLightControlUI& panel,
                                          LightSetting& setting, int index);
    struct Action {
        Handler handler;
        bool leavesSync;
    };
    static const RouteTable<Action> kRoutes;

    bool OnEffect(const TNotifyUI& msg, CLightControlUI& panel, LightSetting& setting, int index);
    bool OnBrightness(const TNotifyUI& msg, CLightControlUI& panel, LightSetting& setting,
                      int index);
    bool OnSpeed(const TNotifyUI& msg, CLightControlUI& panel, LightSetting& setting, int index);
    bool OnDirection(const TNotifyUI& msg, CLightControlUI& panel, LightSetting& setting,
                     int index);
    bool OnMulticolour(const TNotifyUI& msg, CLightControlUI& panel, LightSetting& setting,
                       int index);
    bool OnPalette(const TNotifyUI& msg, CLightControlUI& panel, LightSetting& setting, int index);
    bool OnChannelEdit(const TNotifyUI& msg, CLightControlUI& panel, LightSetting& setting,
                       int index);
    bool OnPreset(const TNotifyUI& msg, CLightControlUI& panel, LightSetting& setting, int index);

    void SameMode(CKestrovaUSBDevice& page);

    const DevicePageSet& m_pages;
    LightSyncRunner& m_sync;
    std::function<QSize()> m_screen;
};

}  // namespace quaro
