#pragma once

#include "device/DiscoverySink.h"
#include "device/DiscoverySlotTable.h"
#include "device/HidBackend.h"

#include <functional>
#include <memory>
#include <set>
#include <string>

namespace quaro {

// One pass of discovery over the slot table: the existence check of the bound slots, then, while
// some slot is free, the enumeration, the probe of each catalogued interface that has a free
// row, and the binding of what the probe confirms. The first pass ends with the first-scan
// notice. Passes run on one thread; the table may be read from any other.
class DiscoveryScan {
public:
    // Asked between notices: once it answers true the pass stops where it is.
    using StopCheck = std::function<bool()>;

    DiscoveryScan(std::shared_ptr<HidBackend> backend, DiscoverySlotTable& slots,
                  DiscoverySink& sink);

    void Pass(const StopCheck& stopRequested = {});

    bool FirstScanDone() const { return m_firstScanDone; }

private:
    void CheckBoundSlots(const StopCheck& stopRequested);
    void BindNewInterfaces(const StopCheck& stopRequested);
    // Opens the interface read-only and shared, and binds it when the catalogue confirms it;
    // the slot number or -1.
    int Probe(const std::string& path);

    std::shared_ptr<HidBackend> m_backend;
    DiscoverySlotTable& m_slots;
    DiscoverySink& m_sink;
    bool m_firstScanDone = false;
    bool m_enumerationFailing = false;
    std::set<std::string> m_refusedPaths;
};

}  // namespace quaro
