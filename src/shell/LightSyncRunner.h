#pragma once

#include "devices/light/LightPrimitives.h"
#include "devices/light/LightSync.h"
#include "platform/StopEvent.h"

#include <cstdint>
#include <mutex>
#include <vector>

namespace quaro {

class CKestrovaUSBDevice;
class DevicePageSet;

// The main window's software light sync: one effect played on every synchronised device at
// once. The UI thread configures it ("deng_same_mode"); the window's thread slot 8 runs Run,
// which steps the effect and hands each colour to every synchronised page through the page's
// locked light setter, whose own frames then carry it.
//
// Threads: Configure on the UI thread, Run on the sync thread; the effect state is under a lock.
// Pages are built while the thread runs, so it walks a copy of the page lists taken under their
// lock; a page's connection and light-sync flag are atomics of its channel.
class LightSyncRunner {
public:
    explicit LightSyncRunner(const DevicePageSet& pages,
                             MillisecondClock clock = SteadyMillisecondClock());

    void Configure(SyncEffect effect, const LightSetting& setting);
    SyncEffect Effect() const;

    // The thread body: until the stop event fires, waits 1 ms per turn while some device is
    // synchronised and 1 s between looks otherwise. A page that left the sync since the last
    // turn has its light thread woken.
    void Run(StopEvent& stop);

    // Whether some page with an open channel is synchronised. Sync thread only (or a test's
    // thread while Run is not running).
    bool AnySynchronised();
    // Sets every light position of every synchronised page to the packed colour. As above.
    void Send(std::uint32_t packed);

private:
    // The pages with an open channel that are synchronised, in the order colours are sent.
    void CollectSynchronised(std::vector<CKestrovaUSBDevice*>& pages);

    const DevicePageSet& m_pages;
    MillisecondClock m_clock;
    mutable std::mutex m_mutex;
    LightSync m_sync;
    // The sync thread's copy of the page lists, kept so a look every millisecond reuses it.
    std::vector<CKestrovaUSBDevice*> m_seen;
};

}  // namespace quaro
