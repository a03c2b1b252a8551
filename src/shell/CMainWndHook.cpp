// The main window's hook: key capture switched by message 1054 and the captured keys' route.

#include "platform/Trace.h"
#include "shell/CMainWnd.h"

namespace quaro {

void CMainWnd::OnKeyCapture(WPARAM on) {
    if (on == 1) {
        // A refused hook leaves the edit as a plain edit; nothing stays locked.
        m_keyCapture = m_hook->Install(hookmode::kSingleKey, true, true);
        Trace(m_keyCapture ? "key capture on" : "key capture refused");
        return;
    }
    m_hook->Uninstall();
    m_keyCapture = false;
    Trace("key capture off");
}

void CMainWnd::OnHookDelivery(const HookDelivery& delivery) {
    if (delivery.message == HookMessageNumber(hookmsg::kKeySingleKey)) {
        if (const auto* key = std::get_if<KeyRecord>(&delivery.record)) {
            m_keyRoutes.CaptureKey(*key);
        }
    } else {
        m_macroRoutes.OnHookDelivery(delivery);
    }
}

}  // namespace quaro
