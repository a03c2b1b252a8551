#pragma once

#include "ui/toolkit/CContainerUI.h"

#include <QScrollArea>

namespace quaro {

class CListUI;

// One row of a list: a horizontal container that can be selected, activated and hovered.
class CListContainerElementUI : public CContainerUI {
public:
    explicit CListContainerElementUI(QWidget* parent = nullptr);
    QString GetClass() const override { return QStringLiteral("ListContainerElement"); }

    CListUI* GetOwner() const;
    int GetIndex() const;
    bool IsSelected() const { return m_selected; }
    // Selects the row in its list (raising the list's "itemselect" when notify is set).
    virtual bool Select(bool select = true, bool notify = true);
    void SetSelectedState(bool selected);
    bool IsHot() const { return m_hot; }
    // Double click or Enter: "itemactivate".
    virtual bool Activate();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void SetHot(bool hot);

private:
    bool m_selected = false;
    bool m_hot = false;
};

// A row that is just a text, as combo and list entries are.
class CListLabelElementUI : public CListContainerElementUI {
public:
    explicit CListLabelElementUI(QWidget* parent = nullptr);
    QString GetClass() const override { return QStringLiteral("ListLabelElement"); }

protected:
    void ApplyText(const QString& shown) override;
    void paintEvent(QPaintEvent* event) override;
};

// A scrolling column of rows with one selected row.
class CListUI : public CControlOn<QScrollArea> {
public:
    explicit CListUI(QWidget* parent = nullptr);
    QString GetClass() const override { return QStringLiteral("List"); }

    bool Add(CControlUI* child);
    bool AddAt(CControlUI* child, int index);
    bool Remove(CControlUI* child);
    void RemoveAll();
    int GetCount() const { return m_body->GetCount(); }
    CControlUI* GetItemAt(int index) const { return m_body->GetItemAt(index); }
    int GetItemIndex(CControlUI* child) const { return m_body->GetItemIndex(child); }

    int GetCurSel() const { return m_curSel; }
    // Raises "itemselect" (wParam new index, lParam old index) when notify is set.
    bool SelectItem(int index, bool takeFocus = false, bool notify = true);
    // Selects and activates the row, as a double click does.
    bool SelectItemActivate(int index);

    bool SetAttribute(const QString& name, const QString& value) override;
    uint32_t GetHotBorderColor() const { return m_hotBorderColor; }

private:
    CVerticalLayoutUI* m_body;
    int m_curSel = -1;
    uint32_t m_hotBorderColor = 0xFF3A7BFF;
};

}  // namespace quaro
