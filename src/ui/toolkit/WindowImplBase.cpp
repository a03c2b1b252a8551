#include "ui/toolkit/WindowImplBase.h"

#include "ui/toolkit/CControlUI.h"
#include "ui/toolkit/CResourceManager.h"

#include <QMouseEvent>
#include <QResizeEvent>
#include <QTimer>
#include <QVBoxLayout>
#include <QWindow>

namespace quaro {

WindowImplBase::WindowImplBase(CResourceManager& resources, QWidget* owner)
    : CWindowWnd(owner), m_resources(resources) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
}

bool WindowImplBase::Create(const QString& title, Qt::WindowFlags flags) {
    setWindowFlags(flags);
    setWindowTitle(title);
    setObjectName(GetWindowClassName());
    // A window with an owner takes its owner's style sheet; one without gets the skin's. The
    // sheet is never the application's: under that, every control would be styled as it is
    // built, on pages nobody has opened too, where under a window's it is styled when it shows.
    if (parentWidget() == nullptr) {
        setStyleSheet(m_resources.LoadStyleSheet());
    }
    CDialogBuilder builder;
    m_root = builder.Create(GetSkinFile(), m_resources, this);
    m_buildProblems = builder.Problems();
    m_captionHeight = builder.GetCaptionHeight();
    if (m_root != nullptr) {
        layout()->addWidget(m_root->GetWidget());
        InitControls(m_root);
    }
    if (builder.GetWindowSize().isValid()) {
        resize(builder.GetWindowSize());
    }
    InitWindow();
    QTimer::singleShot(0, this, [this] {
        if (m_root != nullptr) {
            m_root->SendNotify(notify::kWindowInit);
        }
    });
    return m_root != nullptr;
}

CControlUI* WindowImplBase::FindControl(const QString& name) const {
    if (name.isEmpty()) {
        return nullptr;
    }
    for (QWidget* widget : findChildren<QWidget*>(name)) {
        if (CControlUI* control = AsControl(widget)) {
            return control;
        }
    }
    return nullptr;
}

CControlUI* WindowImplBase::FindSubControlByName(CControlUI* parent, const QString& name) {
    if (parent == nullptr || name.isEmpty()) {
        return nullptr;
    }
    for (QWidget* widget : parent->GetWidget()->findChildren<QWidget*>(name)) {
        if (CControlUI* control = AsControl(widget)) {
            return control;
        }
    }
    return nullptr;
}

void WindowImplBase::Notify(TNotifyUI& msg) {
    (void)msg;
}

CControlUI* WindowImplBase::CreateControl(const QString& className) {
    (void)className;
    return nullptr;
}

LRESULT WindowImplBase::HandleMessage(unsigned message, WPARAM wParam, LPARAM lParam,
                                      bool& handled) {
    return HandleCustomMessage(message, wParam, lParam, handled);
}

LRESULT WindowImplBase::HandleCustomMessage(unsigned message, WPARAM wParam, LPARAM lParam,
                                            bool& handled) {
    (void)message;
    (void)wParam;
    (void)lParam;
    handled = false;
    return 0;
}

void WindowImplBase::mousePressEvent(QMouseEvent* event) {
    // Presses no control took land here; inside the caption band they move the window, as a
    // title bar would.
    if (event->button() == Qt::LeftButton && event->position().y() < m_captionHeight &&
        windowHandle() != nullptr) {
        windowHandle()->startSystemMove();
        event->accept();
        return;
    }
    CWindowWnd::mousePressEvent(event);
}

void WindowImplBase::resizeEvent(QResizeEvent* event) {
    CWindowWnd::resizeEvent(event);
    if (m_root != nullptr) {
        m_root->SendNotify(notify::kWindowSize);
    }
}

}  // namespace quaro
