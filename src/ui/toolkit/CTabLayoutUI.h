#pragma once

#include "ui/toolkit/CContainerUI.h"

namespace quaro {

// Shows one child at a time.
class CTabLayoutUI : public CContainerUI {
public:
    explicit CTabLayoutUI(QWidget* parent = nullptr);
    QString GetClass() const override { return QStringLiteral("TabLayout"); }

    int GetCurSel() const;
    // Raises "tabselect" (wParam new index, lParam old index) when notify is set.
    bool SelectItem(int index, bool notify = true);
    bool SelectItem(CControlUI* child, bool notify = true);

    bool SetAttribute(const QString& name, const QString& value) override;
    void DoInit() override;

private:
    int m_initialSelection = 0;
};

}  // namespace quaro
