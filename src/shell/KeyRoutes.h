#pragma once

#include "platform/InputCapture.h"
#include "ui/toolkit/UIDefs.h"

#include <functional>

namespace quaro {

class CKeySetControlUI;
class DevicePageSet;
class PageKeyAssignment;

// What the key assignment panel's controls do on the current keyboard or mouse page: a key picked
// on the picture, the panel's combos, edits and modifier boxes (each storing the composed code into
// the picked key), the store, default, cancel and save buttons, and the key the hook captured into
// the caption edit.
//
// Threads: the UI thread only.
class KeyRoutes {
public:
    // The window's edit state: lock tabs, idle.
    using EditState = std::function<void(bool lockTabs, bool idle)>;

    KeyRoutes(const DevicePageSet& pages, EditState editState);

    // True when a key route took the notification.
    bool Dispatch(const TNotifyUI& msg);
    // A key the hook captured while the caption edit had the focus. False when it was not taken
    // (no keyboard or mouse page, no key picked, a key the panel cannot assign).
    bool CaptureKey(const KeyRecord& key);

private:
    using Handler = bool (KeyRoutes::*)(const TNotifyUI& msg, PageKeyAssignment& keys,
                                        CKeySetControlUI& panel, int index);
    struct Route {
        const QString& type;
        const char* name;  // exact name, or a prefix followed by an index when indexed
        bool indexed;
        Handler handler;
    };
    static const Route kRoutes[];

    // The current page's key assignment when it is a keyboard or a mouse hosting the panel.
    PageKeyAssignment* CurrentKeys() const;
    // Compose, into the picked key, captions redrawn, save buttons on; the window is not idle.
    void Store(PageKeyAssignment& keys, CKeySetControlUI& panel);

    bool OnKeyPick(const TNotifyUI& msg, PageKeyAssignment& keys, CKeySetControlUI& panel,
                   int index);
    bool OnFunction(const TNotifyUI& msg, PageKeyAssignment& keys, CKeySetControlUI& panel,
                    int index);
    bool OnPlayMode(const TNotifyUI& msg, PageKeyAssignment& keys, CKeySetControlUI& panel,
                    int index);
    bool OnModifier(const TNotifyUI& msg, PageKeyAssignment& keys, CKeySetControlUI& panel,
                    int index);
    bool OnStore(const TNotifyUI& msg, PageKeyAssignment& keys, CKeySetControlUI& panel, int index);
    bool OnDefault(const TNotifyUI& msg, PageKeyAssignment& keys, CKeySetControlUI& panel,
                   int index);
    bool OnCancel(const TNotifyUI& msg, PageKeyAssignment& keys, CKeySetControlUI& panel,
                  int index);
    bool OnSave(const TNotifyUI& msg, PageKeyAssignment& keys, CKeySetControlUI& panel, int index);

    const DevicePageSet& m_pages;
    EditState m_editState;
};

}  // namespace quaro
