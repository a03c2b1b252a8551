#include "ui/toolkit/CurrentPageLayout.h"

#include <QWidget>
#include <QWidgetItem>

#include <algorithm>

namespace quaro {

CurrentPageLayout::CurrentPageLayout() {
    setStackingMode(StackOne);
    // A new current page may need another size. Enclosing layouts keep the sizes they asked for
    // until told, and the widget's own parent until its geometry is said to have changed.
    connect(this, &QStackedLayout::currentChanged, this, [this] {
        for (QObject* layout = this; qobject_cast<QLayout*>(layout) != nullptr;
             layout = layout->parent()) {
            static_cast<QLayout*>(layout)->invalidate();
        }
        if (QWidget* owner = parentWidget()) {
            owner->updateGeometry();
        }
    });
}

QSize CurrentPageLayout::sizeHint() const {
    const QWidget* page = currentWidget();
    if (page == nullptr) {
        return {0, 0};
    }
    QSize size = page->sizeHint();
    if (page->sizePolicy().horizontalPolicy() == QSizePolicy::Ignored) {
        size.setWidth(0);
    }
    if (page->sizePolicy().verticalPolicy() == QSizePolicy::Ignored) {
        size.setHeight(0);
    }
    return size.expandedTo({0, 0});
}

QSize CurrentPageLayout::minimumSize() const {
    QWidget* page = currentWidget();
    if (page == nullptr) {
        return {0, 0};
    }
    // The minimum a layout gives a widget: its own minimum where set, else what its size policy
    // lets it shrink to.
    return QWidgetItem(page).minimumSize();
}

bool CurrentPageLayout::hasHeightForWidth() const {
    const QLayoutItem* item = itemAt(currentIndex());
    return item != nullptr && item->hasHeightForWidth();
}

int CurrentPageLayout::heightForWidth(int width) const {
    const QWidget* page = currentWidget();
    const int pageHeight = page != nullptr ? page->heightForWidth(width) : -1;
    return std::max(pageHeight, minimumSize().height());
}

}  // namespace quaro
