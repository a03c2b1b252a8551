#include "ui/toolkit/CComboUI.h"

#include <QAbstractItemView>
#include <QEvent>
#include <QListView>
#include <QSignalBlocker>
#include <QStandardItemModel>

namespace quaro {

CComboUI::CComboUI(QWidget* parent) : CControlOn<QComboBox>(parent) {
    setFocusPolicy(Qt::NoFocus);
    QObject::connect(this, &QComboBox::activated, this, [this](int index) {
        const int old = m_lastSel;
        m_lastSel = index;
        SendNotify(notify::kItemSelect, static_cast<WPARAM>(index), old);
    });
}

bool CComboUI::Add(CControlUI* element) {
    if (element == nullptr) {
        return false;
    }
    // The element itself stays hidden; it keeps the row's text, user data and language id.
    element->GetWidget()->setParent(this);
    element->GetWidget()->hide();
    m_elements.push_back(element);
    const QSignalBlocker quiet(this);
    addItem(element->GetShownText(), element->GetUserData());
    if (count() == 1) {
        m_lastSel = 0;
    }
    return true;
}

void CComboUI::RemoveAll() {
    const QSignalBlocker quiet(this);
    clear();
    for (CControlUI* element : m_elements) {
        delete element->GetWidget();
    }
    m_elements.clear();
    m_lastSel = -1;
}

CControlUI* CComboUI::GetItemAt(int index) const {
    return index >= 0 && index < static_cast<int>(m_elements.size()) ? m_elements[index] : nullptr;
}

bool CComboUI::SelectItem(int index, bool takeFocus, bool notify) {
    if (index < 0 || index >= count()) {
        return false;
    }
    const int old = m_lastSel;
    {
        const QSignalBlocker quiet(this);
        setCurrentIndex(index);
    }
    m_lastSel = index;
    if (takeFocus) {
        setFocus();
    }
    if (notify && old != index) {
        SendNotify(notify::kItemSelect, static_cast<WPARAM>(index), old);
    }
    return true;
}

void CComboUI::RefreshItemTexts() {
    for (int i = 0; i < static_cast<int>(m_elements.size()) && i < count(); ++i) {
        setItemText(i, m_elements[i]->GetShownText());
    }
}

void CComboUI::SetItemVisible(int index, bool visible) {
    if (index < 0 || index >= count()) {
        return;
    }
    if (auto* list = qobject_cast<QListView*>(view())) {
        list->setRowHidden(index, !visible);
    }
    if (auto* rows = qobject_cast<QStandardItemModel*>(model())) {
        if (QStandardItem* row = rows->item(index)) {
            row->setEnabled(visible);
        }
    }
}

bool CComboUI::IsItemVisible(int index) const {
    if (index < 0 || index >= count()) {
        return false;
    }
    const auto* list = qobject_cast<const QListView*>(view());
    return list == nullptr || !list->isRowHidden(index);
}

void CComboUI::changeEvent(QEvent* event) {
    // QComboBox answers a style change by building its drop-down (frame, list view, scroll
    // bars) only to ask it for its delegate, and with the application's style sheet every combo
    // gets one as soon as it is placed: each would carry a polished drop-down nobody opened.
    // The drop-down takes the style's delegate when it is first built, so until then the size
    // is all a style change touches here.
    if (event->type() == QEvent::StyleChange && findChild<QAbstractItemView*>() == nullptr) {
        updateGeometry();
        QWidget::changeEvent(event);
        return;
    }
    CControlOn<QComboBox>::changeEvent(event);
}

bool CComboUI::SetAttribute(const QString& name, const QString& value) {
    if (name == u"dropboxsize" || name == u"itemtextpadding") {
        return true;  // the drop-down sizes itself to its rows
    }
    return CControlUI::SetAttribute(name, value);
}

}  // namespace quaro
