#pragma once

#include "profiles/ProfileRecords.h"
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
    // Changes the setting; false leaves the page as it was.
    using Handler = bool (LightRoutes::*)(const TNotifyUI& msg, CLightControlUI& panel,
                                          LightSetting& setting);
    struct Route {
        const QString& type;
        const char* name;  // exact name, or a prefix followed by an index when indexed
        bool indexed;
        bool leavesSync;
        Handler handler;
    };
    static const Route kRoutes[];

    bool OnEffect(const TNotifyUI& msg, CLightControlUI& panel, LightSetting& setting);
    bool OnBrightness(const TNotifyUI& msg, CLightControlUI& panel, LightSetting& setting);
    bool OnSpeed(const TNotifyUI& msg, CLightControlUI& panel, LightSetting& setting);
    bool OnDirection(const TNotifyUI& msg, CLightControlUI& panel, LightSetting& setting);
    bool OnMulticolour(const TNotifyUI& msg, CLightControlUI& panel, LightSetting& setting);
    bool OnPalette(const TNotifyUI& msg, CLightControlUI& panel, LightSetting& setting);
    bool OnChannelEdit(const TNotifyUI& msg, CLightControlUI& panel, LightSetting& setting);
    bool OnPreset(const TNotifyUI& msg, CLightControlUI& panel, LightSetting& setting);

    void SameMode(CKestrovaUSBDevice& page);

    const DevicePageSet& m_pages;
    LightSyncRunner& m_sync;
    std::function<QSize()> m_screen;
};

}  // namespace quaro
