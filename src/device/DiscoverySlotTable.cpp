#include "device/DiscoverySlotTable.h"

#include "device/CatalogueTables.h"

#include <algorithm>

namespace quaro {

DiscoverySlotTable::DiscoverySlotTable() {
    for (const DeviceInterfaceEntry& row : kInterfaceCatalogue) {
        Row copy;
        copy.entry = row;
        copy.entry.connected = 0;
        copy.entry.devicePath.clear();
        m_rows.push_back(std::move(copy));
    }
}

int DiscoverySlotTable::Count() const {
    std::lock_guard lock(m_mutex);
    return static_cast<int>(m_rows.size());
}

std::vector<DeviceInterfaceEntry> DiscoverySlotTable::Snapshot() const {
    std::lock_guard lock(m_mutex);
    std::vector<DeviceInterfaceEntry> entries;
    entries.reserve(m_rows.size());
    for (const Row& row : m_rows) {
        entries.push_back(row.entry);
    }
    return entries;
}

std::optional<DeviceInterfaceEntry> DiscoverySlotTable::Slot(int slot) const {
    std::lock_guard lock(m_mutex);
    if (slot < 0 || slot >= static_cast<int>(m_rows.size())) {
        return std::nullopt;
    }
    return m_rows[static_cast<size_t>(slot)].entry;
}

bool DiscoverySlotTable::AnyFree() const {
    std::lock_guard lock(m_mutex);
    return std::any_of(m_rows.begin(), m_rows.end(),
                       [](const Row& row) { return row.entry.connected == 0; });
}

bool DiscoverySlotTable::FreeRowFor(const DeviceInterfaceEntry& entry) const {
    std::lock_guard lock(m_mutex);
    return std::any_of(m_rows.begin(), m_rows.end(), [&entry](const Row& row) {
        return row.entry.connected == 0 && row.entry.vendorId == entry.vendorId &&
               row.entry.productId == entry.productId && row.entry.collection == entry.collection &&
               row.entry.interfaceNumber == entry.interfaceNumber;
    });
}

int DiscoverySlotTable::Bind(const DeviceInterfaceEntry& probed, const std::string& path,
                             const std::string& identity) {
    std::lock_guard lock(m_mutex);
    for (size_t i = 0; i < m_rows.size(); ++i) {
        Row& row = m_rows[i];
        if (row.entry.connected == 0 && row.entry.SameInterface(probed)) {
            row.entry.connected = 1;
            row.entry.devicePath = path;
            row.identity = identity;
            return static_cast<int>(i);
        }
    }
    return -1;
}

bool DiscoverySlotTable::Release(int slot) {
    std::lock_guard lock(m_mutex);
    if (slot < 0 || slot >= static_cast<int>(m_rows.size())) {
        return false;
    }
    Row& row = m_rows[static_cast<size_t>(slot)];
    if (row.entry.connected == 0) {
        return false;
    }
    row.entry.connected = 0;
    row.entry.devicePath.clear();
    row.identity.clear();
    return true;
}

std::vector<DiscoverySlotTable::BoundSlot> DiscoverySlotTable::Bound() const {
    std::lock_guard lock(m_mutex);
    std::vector<BoundSlot> bound;
    for (size_t i = 0; i < m_rows.size(); ++i) {
        if (m_rows[i].entry.connected != 0) {
            bound.push_back({static_cast<int>(i), m_rows[i].entry.devicePath, m_rows[i].identity});
        }
    }
    return bound;
}

}  // namespace quaro
