#pragma once

#include "device/CatalogueEntries.h"

#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace quaro {

// One copy of each catalogue row, in catalogue order; the index is the slot number. A slot is
// free (connected 0, empty path) or bound (connected 1, the interface's path). Discovery writes
// it; every other thread reads copies, so nobody holds a reference across a change.
class DiscoverySlotTable {
public:
    DiscoverySlotTable();

    int Count() const;
    std::vector<DeviceInterfaceEntry> Snapshot() const;
    // Nothing when the slot number is out of range.
    std::optional<DeviceInterfaceEntry> Slot(int slot) const;

    bool AnyFree() const;
    // Whether some free slot has the entry's vendor, product, collection and interface.
    bool FreeRowFor(const DeviceInterfaceEntry& entry) const;

    // Binds the first free slot that matches the probed entry (SameInterface) to the path and
    // the identity of the node found there; the slot number, or -1 when none is free.
    int Bind(const DeviceInterfaceEntry& probed, const std::string& path,
             const std::string& identity);
    // Frees the slot. False when it was not bound.
    bool Release(int slot);

    struct BoundSlot {
        int slot = -1;
        std::string path;
        std::string identity;
    };
    std::vector<BoundSlot> Bound() const;

private:
    struct Row {
        DeviceInterfaceEntry entry;
        std::string identity;  // of the node when it was bound
    };

    mutable std::mutex m_mutex;
    std::vector<Row> m_rows;
};

}  // namespace quaro
