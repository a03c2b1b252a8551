#pragma once

#include "ui/toolkit/CListUI.h"

namespace quaro {

// A macro event row: two texts and a delay edit, built from its fragment when initialised.
// It counts as changed after a selection change or Enter in its delay edit.
class CComboEditContainerElementUI : public CListContainerElementUI, public INotifyUI {
public:
    static constexpr const char* kFragment = "XML/CustomControlXML/ComboEditElementItem.xml";

    explicit CComboEditContainerElementUI(QWidget* parent = nullptr);
    QString GetClass() const override { return QStringLiteral("ComboEditContainerElement"); }

    void DoInit() override;
    void Notify(TNotifyUI& msg) override;
    bool IsChanged() const { return m_changed; }
    void SetChanged(bool changed) { m_changed = changed; }
    void SetMouseInputEnabled(bool enabled) { m_mouseInput = enabled; }
    void SetContextMenuUsed(bool used) { m_contextMenu = used; }

    bool SetAttribute(const QString& name, const QString& value) override;

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    bool m_changed = false;
    bool m_mouseInput = true;
    bool m_contextMenu = false;
};

}  // namespace quaro
