#pragma once

#include "devices/keyboard/KeySetChoices.h"
#include "profiles/KeyCode.h"
#include "profiles/ProfileRecords.h"

namespace quaro {

// The key assignment panel's logic without its controls: which tab and choices show a key's
// code, and which code the choices make. The panel copies choices to and from its controls.
class KeyCodeComposer {
public:
    // Number of entries of the macro combo; a macro code beyond them shows no macro.
    void SetMacroCount(int count) { m_macroCount = count < 0 ? 0 : count; }
    int MacroCount() const { return m_macroCount; }

    // Keeps the selected key's current and default codes and returns the choices showing the
    // current one.
    KeySetChoices LoadKey(const KeyAssignmentEntry& entry);

    // The choices showing code; the code becomes the current one, cleared where the panel cannot
    // show it (an unknown key, a modifier set that no option stands for).
    KeySetChoices ShowCode(KeyCode code);
    KeySetChoices ShowDefault() { return ShowCode(m_default); }
    KeySetChoices ShowLoaded() { return ShowCode(m_loaded); }

    // The code the choices make; it also becomes the current code.
    KeyCode ComposeCode(const KeySetChoices& choices);

    // A key captured into the caption edit, as its row of the key name table. Returns false (and
    // changes nothing) for rows that are not keyboard keys; otherwise updates the caption and the
    // modifier option in choices and returns true. The caller then stores through ComposeCode.
    bool CaptureKey(int keyNameRow, KeySetChoices& choices);

    int KeyIndex() const { return m_keyIndex; }
    KeyCode Current() const { return m_current; }
    KeyCode Default() const { return m_default; }

private:
    void ShowKeyboardCode(KeySetChoices& choices);
    KeyCode ComposeKeyboardCode(const KeySetChoices& choices) const;

    int m_keyIndex = 0;
    KeyCode m_current;
    KeyCode m_default;
    KeyCode m_loaded;
    int m_macroCount = 0;
};

}  // namespace quaro
