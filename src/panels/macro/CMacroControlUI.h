#pragma once

#include "devices/keyboard/MacroRecorder.h"
#include "panels/devicetab/InnerControl.h"
#include "panels/macro/MacroActionRows.h"
#include "platform/InputCapture.h"
#include "ui/toolkit/CContainerUI.h"
#include "ui/toolkit/CEditUI.h"
#include "ui/toolkit/CListUI.h"
#include "ui/toolkit/COptionUI.h"

#include <QObject>
#include <QPointer>
#include <QString>

#include <filesystem>
#include <memory>
#include <utility>
#include <vector>

namespace quaro {

// The macro editor of the keyboard and mouse pages: the device's macro library on the left, the
// selected macro's event rows in the middle, recording and the inserted movements on the right.
// Every file operation goes through MacroLibrary in the page's user data folder; nothing is
// cached beyond what the controls show. Recording itself (the input capture) belongs to the
// window; the panel's handlers take what the capture delivers and the recorder places it.
//
// Threads: the UI thread only.
class CMacroControlUI : public CHorizontalLayoutUI {
public:
    static constexpr int kScrollTimer = 4101;
    static constexpr int kScrollDelayMs = 50;
    static constexpr int kNameItemHeight = 30;
    static constexpr int kMaxMacros = 50;

    explicit CMacroControlUI(QWidget* parent = nullptr);
    ~CMacroControlUI() override;
    QString GetClass() const override { return QStringLiteral("MacroControl"); }
    void DoInit() override;

    // --- the library ---
    void SetFolder(const std::filesystem::path& folder) { m_folder = folder; }
    const std::filesystem::path& Folder() const { return m_folder; }
    // The names of "macro.config" into the name list (user data: the "Guid").
    void LoadMacroList();
    // A new macro "macro_<n>" appended, selected and stored; its name, or empty at 50 macros.
    QString AddMacro();
    // The selected macro deleted; item 0 selected. The deleted index, or -1 when none was.
    int DeleteMacro();
    // ("", -1) without a selection; ("IsEmpty", -1) for an empty edit; ("", selected) for a
    // name already in the list (without regard to case, the selected macro's own included);
    // else the new name and the selected index, the edit emptied.
    std::pair<QString, int> RenameMacro();
    int GetSelectedMacro() const;
    std::vector<QString> MacroNames() const { return m_names; }

    // --- the selected macro's events ---
    void LoadSelectedMacro();
    void SaveSelectedMacro();
    void ExportSelectedMacro(const std::filesystem::path& path);
    // The new macro's name; empty for an empty path, a full library or a file that cannot be
    // read.
    QString ImportMacro(const std::filesystem::path& path);
    void MoveActionUp();
    void MoveActionDown();
    void MoveActionTop();
    void MoveActionBottom();
    void DeleteAction();
    void DeleteAllActions();
    // message 0x200 (variant: 0 left, 1 right, 2 up, 3 down, the distance from its edit) or a
    // button message 0x201-0x20C (extra buttons: variant 0 forward, 1 back).
    void InsertMouseEvent(unsigned message, int variant = 0);

    // --- recording ---
    // Record mode 1 (real gaps), 2 (the constant delay of "macro_fixed_time_edit") or 3 (none).
    void StartRecording(int mode);
    void StopRecording();
    void SetRecordingUI(bool unlocked);
    bool IsConstantDelayChosen();
    // "macro_fixed_time_edit" changed: read, clamped to 65535 and kept.
    void TakeConstantDelay();
    const MacroRecorder& Recorder() const { return m_recorder; }

    // The capture's events, by the handler that takes them; message is the key message
    // (256/260 down) or the pointer message (0x201-0x20C).
    void OnKeyEvent(MacroPlacement placement, unsigned message, const KeyRecord& key);
    void OnMouseEvent(MacroPlacement placement, unsigned message, const MouseRecord& mouse);

    MacroActionRows& Rows() { return m_rows; }

    void OnTimer(int id) override;

private:
    class MouseLock;

    CListLabelElementUI* MakeNameItem(const QString& name, const QString& guid) const;
    void ShowEvents(int macro);
    void EnableActions(bool enabled);
    long long MovementDistance(int variant);

    std::filesystem::path m_folder;
    std::vector<QString> m_names;
    MacroRecorder m_recorder;

    mutable InnerControl<CListUI> m_nameList;
    InnerControl<CControlUI> m_actionLayout;
    InnerControl<CListUI> m_actionList;
    InnerControl<CEditUI> m_renameEdit;
    InnerControl<COptionUI> m_constantOption;
    InnerControl<CEditUI> m_constantEdit;
    InnerControl<CControlUI> m_startButton;
    InnerControl<CControlUI> m_stopButton;
    InnerControl<CControlUI> m_nameTab;
    InnerControl<CControlUI> m_actionTab;
    InnerControl<CControlUI> m_delayTab;
    std::vector<InnerControl<CEditUI>> m_distanceEdits;
    MacroActionRows m_rows;
    std::unique_ptr<MouseLock> m_mouseLock;
};

}  // namespace quaro
