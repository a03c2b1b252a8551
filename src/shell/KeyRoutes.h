#pragma once

#include "platform/InputCapture.h"
#include "shell/RouteTable.h"
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
    static const RouteTable<Handler> kRoutes;

    // The key assignment these routes act on: the current page's when it is a keyboard or a mouse
    // hosting the panel; else null. The one place that says which pages the key panel's routes
    // serve.
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
