#pragma once

#include "panels/keyset/CKeySetControlUI.h"
#include "panels/macro/CMacroControlUI.h"
#include "profiles/KeyCode.h"
#include "profiles/ProfileRecords.h"

#include <QPointer>

#include <cstdint>
#include <functional>
#include <vector>

namespace quaro {

class CBasicProfiledata;
class CKestrovaUSBDevice;

// A page's part in key assignment, the same for the keyboard's keys and the mouse's buttons: the
// panel it hosts, the key picked on the picture, the codes the panel composes, the captions of the
// picture, the keys that follow a deleted macro, and the save (the profile document first, then
// macros and the key image to the device on the driver's worker).
//
// The page owns it and hands it its key list and profile object, which outlive it.
//
// Threads: the UI thread only.
class PageKeyAssignment {
public:
    // The page's writes to its device. writeKeys returns the flow id of the key image write, 0 when
    // nothing was sent.
    struct DeviceWrites {
        std::function<void()> downloadMacros;
        std::function<uint32_t()> writeKeys;
    };

    PageKeyAssignment(CKestrovaUSBDevice& page, CBasicProfiledata& profile,
                      std::vector<KeyAssignmentEntry>& keys, int panelKind, DeviceWrites writes);

    // Finds "KeySetControlItem" and "MacroControlItem" under the page (after its layout is built)
    // and gives the macro editor the page's data folder.
    void FindPanels();
    CKestrovaUSBDevice& Page() const { return m_page; }
    CKeySetControlUI* Panel() const { return m_panel; }
    CMacroControlUI* MacroPanel() const { return m_macroPanel; }

    // The macro combo takes the library's names; a profile applied anew leaves no key picked.
    void ShowMacroNames();
    // Key n of the picture picked for its assignment. Refused (false) while the profile document
    // is damaged: what the panel would store could not be saved.
    bool Pick(int key);
    // The page's selection moved to key index: the panel shows its records.
    void Select(int index);
    // The selected key takes code; the picture's captions follow. False without a selected key.
    bool Store(KeyCode code);
    // The key list into the profile document, then macros and the key image to the device.
    void Save();
    // A flow of the page's driver ended: a key image the device did not take leaves the save
    // buttons on, so the user can try again. True when it was the key image write.
    bool FlowFinished(uint32_t flowId, int32_t result);

    // Whether any key plays macro number (once or repeating).
    bool PlaysMacro(int macro) const;
    // Macro number is gone: keys that played it return to their defaults and keys of later macros
    // follow one place up; the profile object takes the list. True when a key changed.
    bool ForgetMacro(int macro);
    // Keys whose macro the library no longer has return to their defaults.
    void ValidateMacros();
    // The picture's key captions: a reassigned key shows what it does now.
    void RefreshCaptions();

private:
    CKestrovaUSBDevice& m_page;
    CBasicProfiledata& m_profile;
    std::vector<KeyAssignmentEntry>& m_keys;
    int m_panelKind;
    DeviceWrites m_writes;
    QPointer<CKeySetControlUI> m_panel;
    QPointer<CMacroControlUI> m_macroPanel;
    uint32_t m_keyFlow = 0;
};

}  // namespace quaro
