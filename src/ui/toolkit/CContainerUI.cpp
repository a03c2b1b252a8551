#include "ui/toolkit/CContainerUI.h"

#include "ui/toolkit/CurrentPageLayout.h"

#include <QStackedLayout>
#include <QVariant>

#include <algorithm>

namespace quaro {
namespace {

const char* const kPaddingProperty = "quaroPadding";
const char* const kFloatProperty = "quaroFloat";

}  // namespace

void SetChildPadding(QWidget* child, const QMargins& padding) {
    child->setProperty(kPaddingProperty,
                       QVariant::fromValue(QRect(padding.left(), padding.top(), padding.right(),
                                                 padding.bottom())));
}

void SetChildFloat(QWidget* child, bool floating, const QRect& pos) {
    child->setProperty(kFloatProperty, floating ? QVariant(pos) : QVariant());
}

CContainerUI::CContainerUI(Arrangement arrangement, QWidget* parent)
    : CControlOn<QWidget>(parent),
      m_layout(new QBoxLayout(arrangement == Arrangement::Horizontal ? QBoxLayout::LeftToRight
                                                                     : QBoxLayout::TopToBottom,
                              this)) {
    m_layout->setContentsMargins(0, 0, 0, 0);
    m_layout->setSpacing(0);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    if (arrangement == Arrangement::Overlap || arrangement == Arrangement::OneAtATime) {
        if (arrangement == Arrangement::Overlap) {
            m_stack = new QStackedLayout;
            m_stack->setStackingMode(QStackedLayout::StackAll);
        } else {
            m_stack = new CurrentPageLayout;
        }
        m_layout->addLayout(m_stack);
    }
}

bool CContainerUI::Add(CControlUI* child) {
    return AddAt(child, -1);
}

bool CContainerUI::AddAt(CControlUI* child, int index) {
    if (child == nullptr) {
        return false;
    }
    Place(child, index);
    return true;
}

void CContainerUI::Place(CControlUI* child, int index) {
    QWidget* widget = child->GetWidget();
    const QVariant floating = widget->property(kFloatProperty);
    if (floating.isValid()) {
        widget->setParent(this);
        widget->setGeometry(floating.toRect());
        widget->raise();
        return;
    }
    // A child shows with its container unless it was hidden on purpose, also when it is added
    // to a container already on screen.
    const bool hidden = widget->testAttribute(Qt::WA_WState_ExplicitShowHide) &&
                        widget->testAttribute(Qt::WA_WState_Hidden);
    if (m_stack != nullptr) {
        m_stack->insertWidget(index, widget);
        if (m_stack->stackingMode() == QStackedLayout::StackAll) {
            // Overlapping children keep the visibility the layout gave them, later ones on top.
            // A container not on screen shows the child with itself: showing it now would
            // polish and lay out a subtree nobody sees yet (most of a hidden page's cost).
            if (hidden || isVisible()) {
                widget->setVisible(!hidden);
            }
            widget->raise();
        }
        return;
    }
    const QVariant padding = widget->property(kPaddingProperty);
    if (padding.isValid()) {
        // A margin box of its own keeps the child's parent the container (lookups and
        // notifications go through the widget tree) while spacing it from its neighbours.
        const QRect value = padding.toRect();
        auto* box = new QBoxLayout(QBoxLayout::TopToBottom);
        box->setContentsMargins(value.x(), value.y(), value.width(), value.height());
        box->addWidget(widget, 0, m_childAlign);
        m_layout->insertLayout(index, box);
    } else {
        m_layout->insertWidget(index, widget, 0, m_childAlign);
    }
    // As above: a child not hidden on purpose shows with a container not on screen yet without
    // being shown (and so polished and laid out) now.
    if (hidden || isVisible()) {
        widget->setVisible(!hidden);
    }
}

bool CContainerUI::Remove(CControlUI* child) {
    if (child == nullptr || child->GetWidget()->parentWidget() != this) {
        return false;
    }
    delete child->GetWidget();
    return true;
}

void CContainerUI::RemoveAll() {
    for (CControlUI* child : Items()) {
        Remove(child);
    }
}

std::vector<CControlUI*> CContainerUI::Items() const {
    // Layout order, which is the order children were added in (or inserted at).
    std::vector<CControlUI*> items;
    if (m_stack != nullptr) {
        for (int i = 0; i < m_stack->count(); ++i) {
            if (CControlUI* control = AsControl(m_stack->widget(i))) {
                items.push_back(control);
            }
        }
        return items;
    }
    for (int i = 0; i < m_layout->count(); ++i) {
        QLayoutItem* item = m_layout->itemAt(i);
        QWidget* widget = item->widget();
        if (widget == nullptr && item->layout() != nullptr && item->layout()->count() > 0) {
            widget = item->layout()->itemAt(0)->widget();
        }
        if (CControlUI* control = AsControl(widget)) {
            items.push_back(control);
        }
    }
    return items;
}

int CContainerUI::GetCount() const {
    return static_cast<int>(Items().size());
}

CControlUI* CContainerUI::GetItemAt(int index) const {
    const std::vector<CControlUI*> items = Items();
    return index >= 0 && index < static_cast<int>(items.size()) ? items[index] : nullptr;
}

int CContainerUI::GetItemIndex(CControlUI* child) const {
    const std::vector<CControlUI*> items = Items();
    auto found = std::find(items.begin(), items.end(), child);
    return found != items.end() ? static_cast<int>(found - items.begin()) : -1;
}

bool CContainerUI::SetAttribute(const QString& name, const QString& value) {
    if (name == u"inset") {
        m_layout->setContentsMargins(ParseMargins(value));
    } else if (name == u"childpadding") {
        m_layout->setSpacing(value.toInt());
    } else if (name == u"childalign") {
        m_childAlign &= ~Qt::AlignHorizontal_Mask;
        m_childAlign |= value == u"center"  ? Qt::AlignHCenter
                        : value == u"right" ? Qt::AlignRight
                                            : Qt::AlignLeft;
    } else if (name == u"childvalign") {
        m_childAlign &= ~Qt::AlignVertical_Mask;
        m_childAlign |= value == u"vcenter"  ? Qt::AlignVCenter
                        : value == u"bottom" ? Qt::AlignBottom
                                             : Qt::AlignTop;
    } else {
        return CControlUI::SetAttribute(name, value);
    }
    return true;
}

}  // namespace quaro
