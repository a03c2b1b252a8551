#pragma once

#include "ui/toolkit/CControlUI.h"

#include <QBoxLayout>
#include <QWidget>

#include <vector>

class QStackedLayout;

namespace quaro {

// A control that holds others. A plain container lays every child over the whole area (later
// children on top); the layouts line them up along an axis, and a tab layout shows one at a
// time. "inset" gives the inner margin, "childpadding" the gap, a child's "padding" its own
// margin, and a child marked "float" is placed at its "pos" instead.
class CContainerUI : public CControlOn<QWidget> {
public:
    enum class Arrangement { Overlap, Vertical, Horizontal, OneAtATime };

    explicit CContainerUI(Arrangement arrangement = Arrangement::Overlap,
                          QWidget* parent = nullptr);
    QString GetClass() const override { return QStringLiteral("Container"); }

    // Appends a child; the container takes ownership.
    virtual bool Add(CControlUI* child);
    virtual bool AddAt(CControlUI* child, int index);
    // Deletes the child.
    virtual bool Remove(CControlUI* child);
    virtual void RemoveAll();
    int GetCount() const;
    CControlUI* GetItemAt(int index) const;
    // Pushes the children to the start of the box.
    void AddStretch() { m_layout->addStretch(1); }
    int GetItemIndex(CControlUI* child) const;

    bool SetAttribute(const QString& name, const QString& value) override;

protected:
    QStackedLayout* StackLayout() const { return m_stack; }
    std::vector<CControlUI*> Items() const;

private:
    void Place(CControlUI* child, int index);

    QBoxLayout* m_layout;
    QStackedLayout* m_stack = nullptr;  // overlapping and one-at-a-time arrangements
    Qt::Alignment m_childAlign;
};

class CVerticalLayoutUI : public CContainerUI {
public:
    explicit CVerticalLayoutUI(QWidget* parent = nullptr)
        : CContainerUI(Arrangement::Vertical, parent) {}
    QString GetClass() const override { return QStringLiteral("VerticalLayout"); }
};

class CHorizontalLayoutUI : public CContainerUI {
public:
    explicit CHorizontalLayoutUI(QWidget* parent = nullptr)
        : CContainerUI(Arrangement::Horizontal, parent) {}
    QString GetClass() const override { return QStringLiteral("HorizontalLayout"); }
};

// Where a child wants to sit inside its container; kept on the child so that the container can
// place it whenever it is added.
void SetChildPadding(QWidget* child, const QMargins& padding);
void SetChildFloat(QWidget* child, bool floating, const QRect& pos);

}  // namespace quaro
