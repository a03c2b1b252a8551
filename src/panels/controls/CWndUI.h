#pragma once

#include "ui/toolkit/CControlUI.h"

#include <QPointer>

namespace quaro {

// Hosts a window of its own (a child widget, or a separate top-level window) on the control's
// rectangle, showing it exactly while the control is shown.
class CWndUI : public CControlOn<QWidget> {
public:
    explicit CWndUI(QWidget* parent = nullptr);
    QString GetClass() const override { return QStringLiteral("Wnd"); }

    void Attach(QWidget* window);
    QWidget* GetHostedWindow() const { return m_window; }
    // Places the hosted window on the control and matches its visibility.
    void Place();

protected:
    void moveEvent(QMoveEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    QPointer<QWidget> m_window;
};

}  // namespace quaro
