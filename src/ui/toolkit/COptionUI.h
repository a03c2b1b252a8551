#pragma once

#include "ui/toolkit/CButtonUI.h"

namespace quaro {

// A button that stays selected. Options sharing a "group" within one window are exclusive.
// Every change of the selection raises "selectchanged" (wParam: now selected) unless a
// programmatic change asks for silence.
class COptionUI : public CButtonUI {
public:
    explicit COptionUI(QWidget* parent = nullptr);
    QString GetClass() const override { return QStringLiteral("Option"); }

    bool IsSelected() const { return isChecked(); }
    void Selected(bool selected, bool notify = true);
    QString GetGroup() const { return m_group; }
    void SetGroup(const QString& group);

    bool SetAttribute(const QString& name, const QString& value) override;
    void DoInit() override;

private:
    void JoinGroup();

    QString m_group;
};

}  // namespace quaro
