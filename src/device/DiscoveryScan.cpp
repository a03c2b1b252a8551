#include "device/DiscoveryScan.h"

#include "device/Catalogue.h"
#include "device/HidDevice.h"
#include "platform/Trace.h"

#include <algorithm>
#include <cerrno>
#include <map>
#include <string>
#include <vector>

namespace quaro {

DiscoveryScan::DiscoveryScan(std::shared_ptr<HidBackend> backend, DiscoverySlotTable& slots,
                             DiscoverySink& sink)
    : m_backend(std::move(backend)), m_slots(slots), m_sink(sink) {}

void DiscoveryScan::Pass(const StopCheck& stopRequested) {
    const auto stopping = [&stopRequested] { return stopRequested && stopRequested(); };
    // Removals first: a node handed to another device within one wake frees its slot here, so
    // the newcomer binds in the same pass and the removal reaches the sink before the arrival.
    CheckBoundSlots(stopRequested);
    if (stopping()) {
        return;
    }
    if (m_slots.AnyFree()) {
        BindNewInterfaces(stopRequested);
        if (stopping()) {
            return;
        }
    }
    if (!m_firstScanDone) {
        m_firstScanDone = true;
        m_sink.FirstScanDone();
    }
}

void DiscoveryScan::CheckBoundSlots(const StopCheck& stopRequested) {
    // Collections of one interface share its node: one look per node and pass, so they leave
    // together and in slot order even when the node vanishes in the middle of the check.
    std::map<std::string, std::string> identities;
    for (const DiscoverySlotTable::BoundSlot& bound : m_slots.Bound()) {
        if (stopRequested && stopRequested()) {
            return;
        }
        const std::string node = bound.path.substr(0, bound.path.rfind('#'));
        auto found = identities.find(node);
        if (found == identities.end()) {
            found = identities.emplace(node, m_backend->Identity(bound.path)).first;
        }
        // Nothing there, or somebody else: either way the bound device has gone.
        if (!found->second.empty() && found->second == bound.identity) {
            continue;
        }
        if (m_slots.Release(bound.slot)) {
            m_sink.Removal(bound.slot);
        }
    }
}

void DiscoveryScan::BindNewInterfaces(const StopCheck& stopRequested) {
    std::vector<std::string> paths;
    if (!m_backend->Enumerate(paths)) {
        // Whatever the backends did list is still used; the rest is asked again next pass.
        if (!m_enumerationFailing) {
            Trace("HID enumeration failed; discovery retries on its next pass\n");
        }
        m_enumerationFailing = true;
    } else if (m_enumerationFailing) {
        m_enumerationFailing = false;
        Trace("HID enumeration works again\n");
    }
    // Bound first and reported in slot order, so a device's primary interface (which owns its
    // page) arrives before its secondary one, whatever order the nodes are listed in.
    std::vector<int> bound;
    for (const std::string& path : paths) {
        if (stopRequested && stopRequested()) {
            break;
        }
        const DeviceInterfaceEntry named = EntryFromPath(path);
        if (!IsCatalogued(named) || !m_slots.FreeRowFor(named)) {
            continue;
        }
        const int slot = Probe(path);
        if (slot >= 0) {
            bound.push_back(slot);
        }
    }
    std::sort(bound.begin(), bound.end());
    for (const int slot : bound) {
        if (stopRequested && stopRequested()) {
            return;
        }
        m_sink.Arrival(slot);
    }
}

int DiscoveryScan::Probe(const std::string& path) {
    // Read-only and shared, so a probe neither needs write permission nor disturbs another
    // program using the interface.
    HidDevice probe(m_backend);
    if (!probe.Open(path, true, false, true, false)) {
        // Tried again on the next pass. A node we may not read stays unreadable until the
        // system's rules change, so that is said once per path rather than every pass.
        if (probe.LastOpenError() == EACCES && m_refusedPaths.insert(path).second) {
            TraceFormat(
                "discovery: %s cannot be read: permission denied (is the udev rule for "
                "the device installed?)\n",
                path.c_str());
        }
        return -1;
    }
    DeviceInterfaceEntry entry = EntryFromPath(path);
    entry.vendorId = probe.Attributes().vendorId;
    entry.productId = probe.Attributes().productId;
    entry.usagePage = probe.Capabilities().usagePage;
    entry.usage = probe.Capabilities().usage;
    std::string identity = probe.NodeIdentity();
    probe.Close();
    if (identity.empty()) {
        identity = m_backend->Identity(path);
    }
    if (identity.empty()) {
        return -1;  // a slot without identity could never notice its device leaving
    }
    if (FindCatalogueRow(entry) < 0) {
        return -1;
    }
    return m_slots.Bind(entry, path, identity);
}

}  // namespace quaro
