#pragma once

#include "ui/toolkit/CControlUI.h"

#include <QComboBox>

#include <vector>

namespace quaro {

// A drop-down list. Its rows are list elements (usually "ListLabelElement") whose texts may be
// language ids; the user's choice raises "itemselect" (wParam new index, lParam old index).
class CComboUI : public CControlOn<QComboBox> {
public:
    explicit CComboUI(QWidget* parent = nullptr);
    QString GetClass() const override { return QStringLiteral("Combo"); }

    bool Add(CControlUI* element);
    void RemoveAll();
    int GetCount() const { return count(); }
    CControlUI* GetItemAt(int index) const;
    int GetCurSel() const { return currentIndex(); }
    bool SelectItem(int index, bool takeFocus = false, bool notify = true);
    // The name the layouts and the settings window use for the same selection.
    bool SelectItem1(int index, bool takeFocus, bool notify) {
        return SelectItem(index, takeFocus, notify);
    }
    // Takes the rows' current texts again (after a language switch).
    void RefreshItemTexts();
    // A hidden row keeps its index but is neither shown in the drop-down nor reachable by
    // wheel or keys.
    void SetItemVisible(int index, bool visible);
    bool IsItemVisible(int index) const;

    bool SetAttribute(const QString& name, const QString& value) override;

protected:
    void changeEvent(QEvent* event) override;
    // A language switch reloads every control's text; the rows follow their elements.
    void ApplyText(const QString& shown) override {
        (void)shown;
        RefreshItemTexts();
    }

private:
    std::vector<CControlUI*> m_elements;
    int m_lastSel = -1;
};

}  // namespace quaro
