#include "shell/DiscoveryLink.h"

#include "ui/MainMessages.h"

namespace quaro {

DiscoveryLink::DiscoveryLink(HWND window, unsigned instanceMessage,
                             std::shared_ptr<HidBackend> backend, DiscoveryOptions options)
    : m_window(std::move(window)),
      m_instanceMessage(instanceMessage),
      m_discovery(std::move(backend), *this, std::move(options)) {}

DiscoveryLink::~DiscoveryLink() {
    m_discovery.Stop();
}

void DiscoveryLink::Arrival(int slot) {
    // The stop request releases the wait, so a window that stops discovery while this message
    // is queued does not wait for itself.
    m_window->Send(mainmsg::kDeviceArrival, static_cast<WPARAM>(slot), 0,
                   m_discovery.StopRequest());
}

void DiscoveryLink::Removal(int slot) {
    m_window->Send(mainmsg::kDeviceRemoval, static_cast<WPARAM>(slot), 0,
                   m_discovery.StopRequest());
}

void DiscoveryLink::FirstScanDone() {
    m_window->Post(m_instanceMessage, 0, 0);
}

}  // namespace quaro
