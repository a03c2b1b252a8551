#pragma once

#include "ui/toolkit/CControlUI.h"

#include <QPointer>
#include <QString>
#include <QWidget>

namespace quaro {

// A page's control of a given name and type, looked up once: the views ask for the same controls
// on every refresh, and a search of the page's whole tree each time is wasted work.
template <class T>
T* FindCachedControl(const QWidget& page, QPointer<T>& cache, const QString& name) {
    if (!cache) {
        for (QWidget* widget : page.findChildren<QWidget*>(name)) {
            if (auto* control = dynamic_cast<T*>(AsControl(widget))) {
                cache = control;
                break;
            }
        }
    }
    return cache.data();
}

}  // namespace quaro
