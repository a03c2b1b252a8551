#include "ui/toolkit/CListUI.h"

#include "ui/toolkit/CComboUI.h"

#include <QMouseEvent>

namespace quaro {

CListContainerElementUI::CListContainerElementUI(QWidget* parent)
    : CContainerUI(Arrangement::Horizontal, parent) {
    setAttribute(Qt::WA_Hover);
    setProperty("selected", false);
}

CListUI* CListContainerElementUI::GetOwner() const {
    for (QWidget* widget = parentWidget(); widget != nullptr; widget = widget->parentWidget()) {
        if (auto* list = dynamic_cast<CListUI*>(widget)) {
            return list;
        }
    }
    return nullptr;
}

int CListContainerElementUI::GetIndex() const {
    CListUI* owner = GetOwner();
    return owner != nullptr ? owner->GetItemIndex(const_cast<CListContainerElementUI*>(this)) : -1;
}

bool CListContainerElementUI::Select(bool select, bool notify) {
    CListUI* owner = GetOwner();
    if (select && owner != nullptr) {
        return owner->SelectItem(GetIndex(), false, notify);
    }
    SetSelectedState(select);
    return true;
}

void CListContainerElementUI::SetSelectedState(bool selected) {
    m_selected = selected;
    // The style sheet draws selected rows through this property.
    setProperty("selected", selected);
    style()->unpolish(this);
    style()->polish(this);
    update();
}

bool CListContainerElementUI::Activate() {
    if (!isEnabled()) {
        return false;
    }
    SendNotify(notify::kItemActivate);
    return true;
}

void CListContainerElementUI::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && isEnabled()) {
        Select(true, true);
    }
    event->accept();
}

void CListContainerElementUI::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && isEnabled() && rect().contains(event->pos())) {
        SendNotify(notify::kItemClick);
    }
    event->accept();
}

void CListContainerElementUI::mouseDoubleClickEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        Activate();
    }
    event->accept();
}

void CListContainerElementUI::enterEvent(QEnterEvent* event) {
    CContainerUI::enterEvent(event);
    if (isEnabled()) {
        SetHot(true);
    }
}

void CListContainerElementUI::leaveEvent(QEvent* event) {
    CContainerUI::leaveEvent(event);
    SetHot(false);
}

void CListContainerElementUI::SetHot(bool hot) {
    m_hot = hot;
    update();
}

CListLabelElementUI::CListLabelElementUI(QWidget* parent) : CListContainerElementUI(parent) {
    setMinimumHeight(26);
}

void CListLabelElementUI::ApplyText(const QString& shown) {
    (void)shown;
    // A combo shows its rows' texts in its own list, so it must take the new text.
    if (auto* combo = dynamic_cast<CComboUI*>(parentWidget())) {
        combo->RefreshItemTexts();
    }
    update();
}

void CListLabelElementUI::paintEvent(QPaintEvent* event) {
    CListContainerElementUI::paintEvent(event);
    QPainter painter(this);
    painter.setPen(palette().color(QPalette::WindowText));
    painter.drawText(rect().adjusted(10, 0, -6, 0), Qt::AlignLeft | Qt::AlignVCenter,
                     GetShownText());
}

CListUI::CListUI(QWidget* parent) : CControlOn<QScrollArea>(parent), m_body(new CVerticalLayoutUI) {
    setWidgetResizable(true);
    setFrameShape(QFrame::NoFrame);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_body->setObjectName(QStringLiteral("list_body"));
    m_body->setAutoFillBackground(false);
    m_body->AddStretch();
    setWidget(m_body);
}

bool CListUI::Add(CControlUI* child) {
    return AddAt(child, GetCount());
}

bool CListUI::AddAt(CControlUI* child, int index) {
    if (child == nullptr) {
        return false;
    }
    if (index < 0 || index > GetCount()) {
        index = GetCount();
    }
    if (index <= m_curSel) {
        ++m_curSel;
    }
    return m_body->AddAt(child, index);
}

bool CListUI::Remove(CControlUI* child) {
    const int index = GetItemIndex(child);
    if (index < 0) {
        return false;
    }
    if (index == m_curSel) {
        m_curSel = -1;
    } else if (index < m_curSel) {
        --m_curSel;
    }
    return m_body->Remove(child);
}

void CListUI::RemoveAll() {
    m_curSel = -1;
    m_body->RemoveAll();
}

bool CListUI::SelectItem(int index, bool takeFocus, bool notify) {
    if (index == m_curSel) {
        return true;
    }
    const int old = m_curSel;
    if (auto* previous = dynamic_cast<CListContainerElementUI*>(GetItemAt(old))) {
        previous->SetSelectedState(false);
    }
    auto* row = dynamic_cast<CListContainerElementUI*>(GetItemAt(index));
    if (row == nullptr) {
        m_curSel = -1;
        return false;
    }
    m_curSel = index;
    row->SetSelectedState(true);
    ensureWidgetVisible(row);
    if (takeFocus) {
        row->setFocus();
    }
    if (notify) {
        SendNotify(notify::kItemSelect, static_cast<WPARAM>(index), old);
    }
    return true;
}

bool CListUI::SelectItemActivate(int index) {
    if (!SelectItem(index, true, true)) {
        return false;
    }
    auto* row = dynamic_cast<CListContainerElementUI*>(GetItemAt(index));
    return row != nullptr && row->Activate();
}

bool CListUI::SetAttribute(const QString& name, const QString& value) {
    if (name == u"itemhotbordercolor" || name == u"itemhotbkcolor") {
        m_hotBorderColor = ParseColor(value);
    } else if (name == u"inset" || name == u"childpadding") {
        return m_body->SetAttribute(name, value);
    } else {
        return CControlUI::SetAttribute(name, value);
    }
    return true;
}

}  // namespace quaro
