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
// The page lists are fixed before the thread starts; a page's connection and light-sync flag
// are atomics of its channel.
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

    // Whether some page with an open channel is synchronised (mice first, as the thread looks).
    bool AnySynchronised() const;
    // Sets every light position of every synchronised page to the packed colour.
    void Send(std::uint32_t packed) const;

private:
    // The pages with an open channel that are synchronised, mice first.
    void CollectSynchronised(std::vector<CKestrovaUSBDevice*>& pages) const;

    const DevicePageSet& m_pages;
    MillisecondClock m_clock;
    mutable std::mutex m_mutex;
    LightSync m_sync;
};

}  // namespace quaro
