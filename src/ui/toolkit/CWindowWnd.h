#pragma once

#include "ui/toolkit/UIDefs.h"
#include "ui/toolkit/WindowHandle.h"

#include <QEventLoop>
#include <QPointer>
#include <QWidget>

#include <map>
#include <memory>
#include <utility>
#include <vector>

class QButtonGroup;
class QTimer;

namespace quaro {

// A top-level window with a numbered-message handler, its own timers, modal runs and the
// notifications of the controls inside it.
class CWindowWnd : public QWidget {
public:
    explicit CWindowWnd(QWidget* owner = nullptr);
    ~CWindowWnd() override;

    virtual QString GetWindowClassName() const = 0;

    // The window's handle for other threads and windows.
    HWND GetHWND() const { return m_port; }
    LRESULT SendMessage(unsigned message, WPARAM wParam = 0, LPARAM lParam = 0);
    bool PostMessage(unsigned message, WPARAM wParam = 0, LPARAM lParam = 0);

    // The handler of every numbered message. handled=false leaves it to the default handling.
    virtual LRESULT HandleMessage(unsigned message, WPARAM wParam, LPARAM lParam, bool& handled);

    // Window timers: each expiry delivers the timer message (wParam = id) until killed.
    void SetTimer(unsigned id, int milliseconds);
    void KillTimer(unsigned id);
    bool HasTimer(unsigned id) const;

    // Runs the window modally until Close; returns the close code.
    int ShowModal();
    // Ends a modal run with the code (or just closes). The window is destroyed afterwards when
    // it deletes itself on close.
    void Close(int code = 0);
    int GetCloseCode() const { return m_closeCode; }
    // Centres the window over its visible owner, else in the available area of its screen,
    // and keeps its top-left corner (title bar) inside that area.
    void CenterWindow();
    // The available area (without panels and docks) of the screen the window is on.
    QRect AvailableArea() const;
    // The rectangle a window of the wanted size takes in the area: the wanted size, or scaled
    // down keeping its proportions where the area is smaller, centred in the area.
    static QRect FitIntoArea(QSize wanted, const QRect& area);

    // Notifications of the controls inside go to the window's notifier (itself by default).
    virtual void DeliverNotify(TNotifyUI& msg);
    // Further listeners of this window's notifications, called after its own notifier for as
    // long as owner lives.
    void AddNotifier(QObject* owner, INotifyUI* notifier);
    // The exclusive group of options with this name in this window.
    QButtonGroup* GetOptionGroup(const QString& name);

    // System commands the window obeys: minimise, maximise, restore.
    void SystemCommand(WPARAM command);
    // Brings the window above the others without pinning it there.
    void RaiseToFront();

    bool event(QEvent* event) override;

protected:
    // Called once the window is gone for good (after WM_DESTROY).
    virtual void OnFinalMessage() {}
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    // Gives the message to the handler, returning its result and whether it was handled.
    LRESULT Dispatch(unsigned message, WPARAM wParam, LPARAM lParam, bool& handled);

private:
    void Destroy();

    HWND m_port;
    std::map<unsigned, QTimer*> m_timers;
    std::map<QString, QButtonGroup*> m_optionGroups;
    std::vector<std::pair<QPointer<QObject>, INotifyUI*>> m_notifiers;
    QPointer<QEventLoop> m_modalLoop;
    int m_closeCode = 0;
    bool m_destroyed = false;
    bool m_closing = false;
};

}  // namespace quaro
