#pragma once

#include "device/Discovery.h"
#include "device/DiscoverySink.h"
#include "ui/toolkit/WindowHandle.h"

#include <memory>

namespace quaro {

// Discovery on the main window's thread slot 0: each arrival and removal reaches the window as
// message 3090 or 3091 with the slot number, handled while the discovery thread waits, and the
// end of the first scan as the posted instance message, which brings the window up.
class DiscoveryLink : private DiscoverySink {
public:
    DiscoveryLink(HWND window, unsigned instanceMessage, std::shared_ptr<HidBackend> backend,
                  DiscoveryOptions options);
    ~DiscoveryLink() override;

    void Start() { m_discovery.Start(); }
    // Returns once the thread is gone, even while it waits for the window.
    void Stop() { m_discovery.Stop(); }
    const Discovery& Slots() const { return m_discovery; }

private:
    void Arrival(int slot) override;
    void Removal(int slot) override;
    void FirstScanDone() override;

    HWND m_window;
    unsigned m_instanceMessage;
    Discovery m_discovery;  // last: its thread uses the members above
};

}  // namespace quaro
