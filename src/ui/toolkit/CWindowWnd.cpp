#include "ui/toolkit/CWindowWnd.h"

#include "platform/StopEvent.h"

#include <QButtonGroup>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QScreen>
#include <QThread>
#include <QTimer>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <set>

namespace quaro {
namespace {

// The answer a Send waits for. Finished exactly once: by the handler, or with 0 when the
// message is dropped (its window went away before handling it).
struct SendCompletion {
    std::mutex mutex;
    std::condition_variable finished;
    bool done = false;
    LRESULT result = 0;

    void Finish(LRESULT value) {
        {
            std::lock_guard lock(mutex);
            if (done) {
                return;
            }
            done = true;
            result = value;
        }
        finished.notify_all();
    }
};

const QEvent::Type kMessageEventType = static_cast<QEvent::Type>(QEvent::registerEventType());

class MessageEvent : public QEvent {
public:
    MessageEvent(unsigned message, WPARAM wParam, LPARAM lParam,
                 std::shared_ptr<SendCompletion> completion)
        : QEvent(kMessageEventType),
          m_message(message),
          m_wParam(wParam),
          m_lParam(lParam),
          m_completion(std::move(completion)) {}
    // Qt deletes undelivered events with their receiver; a waiting sender is released then.
    ~MessageEvent() override {
        if (m_completion) {
            m_completion->Finish(0);
        }
    }

    unsigned m_message;
    WPARAM m_wParam;
    LPARAM m_lParam;
    std::shared_ptr<SendCompletion> m_completion;
};

constexpr std::chrono::milliseconds kStopPollInterval{2};

// Senders waiting on a window, so that destroying it releases them even while their messages
// are still queued.
std::mutex g_waitingMutex;
std::multimap<const MessagePort*, std::weak_ptr<SendCompletion>> g_waiting;

}  // namespace

bool MessagePort::IsWindow() const {
    std::lock_guard lock(m_mutex);
    return m_window != nullptr;
}

bool MessagePort::Post(unsigned message, WPARAM wParam, LPARAM lParam) {
    std::lock_guard lock(m_mutex);
    if (m_window == nullptr) {
        return false;
    }
    QCoreApplication::postEvent(m_window, new MessageEvent(message, wParam, lParam, nullptr));
    return true;
}

LRESULT MessagePort::Send(unsigned message, WPARAM wParam, LPARAM lParam) {
    return SendAndWait(message, wParam, lParam, nullptr);
}

LRESULT MessagePort::Send(unsigned message, WPARAM wParam, LPARAM lParam, const StopEvent& stop) {
    return SendAndWait(message, wParam, lParam, &stop);
}

LRESULT MessagePort::SendAndWait(unsigned message, WPARAM wParam, LPARAM lParam,
                                 const StopEvent* stop) {
    std::unique_lock lock(m_mutex);
    if (m_window == nullptr) {
        return 0;
    }
    if (QThread::currentThread() == m_window->thread()) {
        CWindowWnd* window = m_window;
        lock.unlock();
        return window->SendMessage(message, wParam, lParam);
    }
    if (stop != nullptr && stop->IsSignalled()) {
        return 0;
    }
    auto completion = std::make_shared<SendCompletion>();
    {
        std::lock_guard waitingLock(g_waitingMutex);
        g_waiting.emplace(this, completion);
    }
    QCoreApplication::postEvent(m_window, new MessageEvent(message, wParam, lParam, completion));
    lock.unlock();

    std::unique_lock wait(completion->mutex);
    if (stop == nullptr) {
        completion->finished.wait(wait, [&] { return completion->done; });
    } else {
        // The stop event has its own condition variable, so the two are polled together in
        // short slices; this only runs while a worker's message is in flight.
        while (!completion->finished.wait_for(wait, kStopPollInterval,
                                              [&] { return completion->done; })) {
            if (stop->IsSignalled()) {
                break;
            }
        }
    }
    const LRESULT result = completion->done ? completion->result : 0;
    wait.unlock();
    std::lock_guard waitingLock(g_waitingMutex);
    for (auto [it, end] = g_waiting.equal_range(this); it != end; ++it) {
        if (it->second.lock() == completion) {
            g_waiting.erase(it);
            break;
        }
    }
    return result;
}

void MessagePort::Detach() {
    {
        std::lock_guard lock(m_mutex);
        m_window = nullptr;
    }
    std::vector<std::shared_ptr<SendCompletion>> waiting;
    {
        std::lock_guard waitingLock(g_waitingMutex);
        for (auto [it, end] = g_waiting.equal_range(this); it != end; ++it) {
            if (auto completion = it->second.lock()) {
                waiting.push_back(completion);
            }
        }
    }
    for (const auto& completion : waiting) {
        completion->Finish(0);
    }
}

CWindowWnd::CWindowWnd(QWidget* owner)
    : QWidget(owner, Qt::Window), m_port(new MessagePort(this)) {}

CWindowWnd::~CWindowWnd() {
    m_port->Detach();
}

LRESULT CWindowWnd::SendMessage(unsigned message, WPARAM wParam, LPARAM lParam) {
    if (QThread::currentThread() != thread()) {
        return m_port->Send(message, wParam, lParam);
    }
    bool handled = false;
    return Dispatch(message, wParam, lParam, handled);
}

bool CWindowWnd::PostMessage(unsigned message, WPARAM wParam, LPARAM lParam) {
    return m_port->Post(message, wParam, lParam);
}

LRESULT CWindowWnd::HandleMessage(unsigned message, WPARAM wParam, LPARAM lParam, bool& handled) {
    (void)message;
    (void)wParam;
    (void)lParam;
    handled = false;
    return 0;
}

LRESULT CWindowWnd::Dispatch(unsigned message, WPARAM wParam, LPARAM lParam, bool& handled) {
    handled = false;
    const LRESULT result = HandleMessage(message, wParam, lParam, handled);
    if (!handled && message == msg::kWmSysCommand) {
        SystemCommand(wParam);
    }
    return result;
}

bool CWindowWnd::event(QEvent* event) {
    if (event->type() == kMessageEventType) {
        auto* message = static_cast<MessageEvent*>(event);
        if (m_destroyed) {
            return true;  // queued before the window went; its sender is already released
        }
        bool handled = false;
        const LRESULT result =
            Dispatch(message->m_message, message->m_wParam, message->m_lParam, handled);
        if (message->m_completion) {
            message->m_completion->Finish(result);
        }
        return true;
    }
    return QWidget::event(event);
}

void CWindowWnd::SetTimer(unsigned id, int milliseconds) {
    QTimer*& timer = m_timers[id];
    if (timer == nullptr) {
        timer = new QTimer(this);
        QObject::connect(timer, &QTimer::timeout, this, [this, id] {
            bool handled = false;
            Dispatch(msg::kWmTimer, id, 0, handled);
        });
    }
    timer->start(milliseconds);
}

void CWindowWnd::KillTimer(unsigned id) {
    auto found = m_timers.find(id);
    if (found != m_timers.end()) {
        found->second->stop();
    }
}

bool CWindowWnd::HasTimer(unsigned id) const {
    auto found = m_timers.find(id);
    return found != m_timers.end() && found->second->isActive();
}

int CWindowWnd::ShowModal() {
    setWindowModality(Qt::ApplicationModal);
    show();
    if (m_closing) {
        return m_closeCode;
    }
    QEventLoop loop;
    m_modalLoop = &loop;
    loop.exec();
    return m_closeCode;
}

void CWindowWnd::Close(int code) {
    if (m_closing) {
        return;
    }
    m_closeCode = code;
    bool handled = false;
    Dispatch(msg::kWmClose, static_cast<WPARAM>(code), 0, handled);
    if (handled) {
        return;  // the window refused to close
    }
    m_closing = true;
    Destroy();
}

void CWindowWnd::Destroy() {
    if (m_destroyed) {
        return;
    }
    m_destroyed = true;
    hide();
    for (auto& [id, timer] : m_timers) {
        timer->stop();
    }
    bool handled = false;
    Dispatch(msg::kWmDestroy, 0, 0, handled);
    // Workers blocked in a Send are released before the window goes; later sends are refused.
    m_port->Detach();
    if (m_modalLoop) {
        m_modalLoop->exit(m_closeCode);
    }
    OnFinalMessage();
    if (testAttribute(Qt::WA_DeleteOnClose)) {
        deleteLater();
    }
}

QRect CWindowWnd::AvailableArea() const {
    QScreen* screen = this->screen();
    if (screen == nullptr) {
        screen = QGuiApplication::primaryScreen();
    }
    return screen != nullptr ? screen->availableGeometry() : QRect();
}

QRect CWindowWnd::FitIntoArea(QSize wanted, const QRect& area) {
    if (!area.isValid() || wanted.isEmpty()) {
        return QRect(area.topLeft(), wanted);
    }
    const QSize size = wanted.width() <= area.width() && wanted.height() <= area.height()
                           ? wanted
                           : wanted.scaled(area.size(), Qt::KeepAspectRatio);
    QRect placed(QPoint(0, 0), size);
    placed.moveCenter(area.center());
    return placed;
}

void CWindowWnd::CenterWindow() {
    const QRect screenArea = AvailableArea();
    QRect area = screenArea;
    if (QWidget* owner = parentWidget(); owner != nullptr && owner->isVisible()) {
        area = owner->window()->frameGeometry();
    }
    if (!area.isValid()) {
        return;
    }
    QRect frame = frameGeometry();
    frame.moveCenter(area.center());
    // A window taller or wider than the screen keeps its title bar and left edge on screen.
    if (screenArea.isValid()) {
        frame.moveLeft(std::max(screenArea.left(),
                                std::min(frame.left(), screenArea.right() + 1 - frame.width())));
        frame.moveTop(std::max(screenArea.top(),
                               std::min(frame.top(), screenArea.bottom() + 1 - frame.height())));
    }
    move(frame.topLeft());
}

void CWindowWnd::DeliverNotify(TNotifyUI& msg) {
    QPointer<CWindowWnd> self(this);
    if (auto* notifier = dynamic_cast<INotifyUI*>(this)) {
        notifier->Notify(msg);
    }
    if (!self) {
        return;
    }
    std::erase_if(m_notifiers, [](const auto& entry) { return entry.first.isNull(); });
    const auto notifiers = m_notifiers;
    for (const auto& [owner, notifier] : notifiers) {
        if (owner) {
            notifier->Notify(msg);
        }
    }
}

void CWindowWnd::AddNotifier(QObject* owner, INotifyUI* notifier) {
    m_notifiers.emplace_back(owner, notifier);
}

QButtonGroup* CWindowWnd::GetOptionGroup(const QString& name) {
    QButtonGroup*& group = m_optionGroups[name];
    if (group == nullptr) {
        group = new QButtonGroup(this);
        group->setExclusive(true);
    }
    return group;
}

void CWindowWnd::SystemCommand(WPARAM command) {
    switch (command) {
        case msg::kScMinimize:
            showMinimized();
            break;
        case msg::kScMaximize:
            showMaximized();
            break;
        case msg::kScRestore:
            // Restoring brings back a hidden or minimised window, as the system command does.
            showNormal();
            break;
        case msg::kScClose:
            Close(0);
            break;
        default:
            break;
    }
}

void CWindowWnd::RaiseToFront() {
    // Raising and activating is what a desktop allows an application to do; pinning above all
    // windows and unpinning again would only recreate the native window here.
    raise();
    activateWindow();
}

void CWindowWnd::closeEvent(QCloseEvent* event) {
    // The window system asked to close (title bar, Alt+F4, session end): the handler decides.
    event->ignore();
    Close(0);
}

void CWindowWnd::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (event->type() == QEvent::ActivationChange) {
        bool handled = false;
        Dispatch(msg::kWmActivate, isActiveWindow() ? 1 : msg::kWaInactive, 0, handled);
    }
}

void CWindowWnd::enterEvent(QEnterEvent* event) {
    QWidget::enterEvent(event);
    bool handled = false;
    Dispatch(msg::kWmMouseHover, 0, 0, handled);
}

void CWindowWnd::leaveEvent(QEvent* event) {
    QWidget::leaveEvent(event);
    bool handled = false;
    Dispatch(msg::kWmMouseLeave, 0, 0, handled);
}

}  // namespace quaro
