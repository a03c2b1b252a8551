#pragma once

#include "ui/toolkit/UIDefs.h"

#include <memory>
#include <mutex>

namespace quaro {

class CWindowWnd;
class StopEvent;

// What worker threads hold instead of a window: a port that delivers numbered messages to the
// window's handler on the UI thread for as long as the window exists, and refuses them after.
// Post queues the message; Send waits for the handler's result (from the UI thread it calls the
// handler directly). A Send whose window goes away before handling returns 0, never hangs.
class MessagePort {
public:
    bool IsWindow() const;
    bool Post(unsigned message, WPARAM wParam = 0, LPARAM lParam = 0);
    LRESULT Send(unsigned message, WPARAM wParam = 0, LPARAM lParam = 0);
    // A worker's Send: also returns (with 0) once the worker's stop event is signalled, so a
    // window that joins its workers while one waits here cannot deadlock with it. The message
    // may still be handled later; handlers must not rely on the sender still waiting.
    LRESULT Send(unsigned message, WPARAM wParam, LPARAM lParam, const StopEvent& stop);

private:
    friend class CWindowWnd;
    LRESULT SendAndWait(unsigned message, WPARAM wParam, LPARAM lParam, const StopEvent* stop);
    explicit MessagePort(CWindowWnd* window) : m_window(window) {}
    void Detach();

    mutable std::mutex m_mutex;
    CWindowWnd* m_window;
};

using HWND = std::shared_ptr<MessagePort>;

}  // namespace quaro
