#pragma once

#include "ui/toolkit/CControlUI.h"

#include <QPointer>
#include <QString>
#include <QWidget>

namespace quaro {

// A named control inside a composite control, looked up on first use and remembered until it
// is destroyed. A layout without it is tolerated: Get answers null and the caller skips it.
template <class T>
class InnerControl {
public:
    InnerControl(QWidget* owner, QString name) : m_owner(owner), m_name(std::move(name)) {}

    // fresh (when given) tells whether this call found the control.
    T* Get(bool* fresh = nullptr) {
        if (fresh != nullptr) {
            *fresh = false;
        }
        if (m_widget.isNull()) {
            for (QWidget* widget : m_owner->findChildren<QWidget*>(m_name)) {
                if (T* control = dynamic_cast<T*>(AsControl(widget))) {
                    m_widget = widget;
                    m_control = control;
                    if (fresh != nullptr) {
                        *fresh = true;
                    }
                    break;
                }
            }
            if (m_widget.isNull()) {
                return nullptr;
            }
        }
        return m_control;
    }

private:
    QWidget* m_owner;
    QString m_name;
    QPointer<QWidget> m_widget;
    T* m_control = nullptr;
};

}  // namespace quaro
