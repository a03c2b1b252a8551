#pragma once

namespace quaro {

// Where discovery reports what it finds. Every call comes from the discovery thread, one at a
// time, without discovery's lock held (so the sink may read the slot table), and always after
// the slot change it reports: in Arrival the slot is already bound, in Removal already free.
//
// Contract for sinks that wait (a window handling the notice synchronously): Discovery::Stop
// first signals Discovery::StopRequest() and only then waits for the thread, so a sink that
// blocks must also return once that event is signalled; it may return without having
// delivered the notice. From inside the sink, Discovery::Stop only signals (the owner joins
// later from its own thread) and Discovery::Start must not be called.
class DiscoverySink {
public:
    virtual ~DiscoverySink() = default;

    // An interface was bound to the slot.
    virtual void Arrival(int slot) = 0;
    // The interface bound to the slot is gone; the slot is free again.
    virtual void Removal(int slot) = 0;
    // The first scan of the thread's life is over (whatever it found); reported exactly once.
    virtual void FirstScanDone() = 0;
};

}  // namespace quaro
