#include "ui/toolkit/CTabLayoutUI.h"

#include <QStackedLayout>

namespace quaro {

CTabLayoutUI::CTabLayoutUI(QWidget* parent) : CContainerUI(Arrangement::OneAtATime, parent) {}

int CTabLayoutUI::GetCurSel() const {
    return StackLayout()->currentIndex();
}

bool CTabLayoutUI::SelectItem(int index, bool notify) {
    if (index < 0 || index >= StackLayout()->count()) {
        return false;
    }
    const int old = StackLayout()->currentIndex();
    StackLayout()->setCurrentIndex(index);
    if (notify && old != index) {
        SendNotify(notify::kTabSelect, static_cast<WPARAM>(index), old);
    }
    return true;
}

bool CTabLayoutUI::SelectItem(CControlUI* child, bool notify) {
    return child != nullptr && SelectItem(StackLayout()->indexOf(child->GetWidget()), notify);
}

bool CTabLayoutUI::SetAttribute(const QString& name, const QString& value) {
    if (name == u"selectedid") {
        m_initialSelection = value.toInt();
        return true;
    }
    return CContainerUI::SetAttribute(name, value);
}

void CTabLayoutUI::DoInit() {
    // The pages exist once the layout is built.
    SelectItem(m_initialSelection, false);
}

}  // namespace quaro
