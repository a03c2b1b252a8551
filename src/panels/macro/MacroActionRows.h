#pragma once

#include "devices/keyboard/MacroRecorder.h"
#include "panels/devicetab/InnerControl.h"
#include "profiles/MacroEvent.h"
#include "ui/toolkit/CListUI.h"

#include <QString>

#include <functional>
#include <optional>
#include <vector>

namespace quaro {

class CEditUI;

// The event rows of the macro editor over its list "macro_action_list". Each row is a list row
// named "macro_action" holding the name label, the action label and the delay edit
// "macro_delay"; its user data is the event object as styled JSON text. The delay edit's text,
// not the user data, is what a save writes.
//
// Threads: the UI thread only.
class MacroActionRows : public MacroRowModel {
public:
    static constexpr int kRowHeight = 30;
    static constexpr int kDelayEditHeight = 25;
    static constexpr int kDelayDigits = 6;
    static constexpr std::uint32_t kDelayEditColour = 0xFF444444;

    // list: the event list; stopButton: the control whose screen rectangle is no part of a
    // recording; showSoon: starts the panel's scroll timer.
    MacroActionRows(InnerControl<CListUI>& list, InnerControl<CControlUI>& stopButton,
                    std::function<void()> showSoon);

    // --- MacroRowModel ---
    int RowCount() const override;
    int SelectedRow() const override;
    void InsertRow(int index, const MacroRow& row) override;
    Json::Value RowEvent(int index) const override;
    void SetRowDelay(int index, const std::string& delay) override;
    void SetRowName(int index, const Json::Value& event, const MacroRowLook& look) override;
    void SelectRow(int index) override;
    void ShowSelectionSoon() override;
    bool IsOnStopButton(int x, int y) const override;

    // A stored event as a row at the end.
    void AppendStored(const Json::Value& event);
    void RemoveAll();
    void RemoveSelected();
    // The selected row rebuilt from its user data at index (clamped to the list) and selected.
    // False without a selection or when it is already there.
    bool MoveSelected(int index);
    // The events to save: each row's event with the delay of its edit, the user data rewritten
    // to match. Stops at the first row without user data.
    std::vector<MacroEvent> TakeEventsForSave();
    // The delay edit of a row, or null.
    CEditUI* DelayEdit(int index) const;
    CListContainerElementUI* Row(int index) const;

private:
    CListContainerElementUI* BuildRow(const Json::Value& event, const MacroRowLook& look,
                                      const QString& delay) const;

    InnerControl<CListUI>& m_list;
    InnerControl<CControlUI>& m_stopButton;
    std::function<void()> m_showSoon;
};

// The event of a row's user data; null when it holds none or it does not parse.
Json::Value ParseRowEvent(const QString& userData);

}  // namespace quaro
