#pragma once

#include "platform/InputCapture.h"

#include <memory>
#include <string>
#include <thread>

namespace quaro {

// The session's keys and buttons from the X server's raw input events (XInput 2), which every
// client may receive whichever window has the focus or holds a grab. It reads them on a thread of
// its own over a connection of its own, and is woken through a pipe to stop, so Uninstall never
// waits on the server. Install, Uninstall and IsInstalled belong to one owning thread.
class X11InputCapture : public InputCapture {
public:
    // An empty name means the session's display ($DISPLAY).
    explicit X11InputCapture(std::string displayName = {});
    ~X11InputCapture() override;
    X11InputCapture(const X11InputCapture&) = delete;
    X11InputCapture& operator=(const X11InputCapture&) = delete;

    CaptureInstall Install(Sinks sinks) override;
    void Uninstall() override;
    bool IsInstalled() const override { return m_thread.joinable(); }
    // A keyboard grab on the capture's own connection: the server sends the keys to no other
    // client, raw events still reach the capture, and XKB keeps the lock state under the grab.
    bool WithholdKeys(bool withhold) override;

private:
    struct Connection;

    static void Run(Connection* connection, int stopFd, Sinks sinks);

    std::string m_displayName;
    std::unique_ptr<Connection> m_connection;
    int m_stopRead = -1;
    int m_stopWrite = -1;
    bool m_withheld = false;
    std::uint32_t m_grabWindow = 0;
    std::thread m_thread;
};

}  // namespace quaro
