#pragma once

#include "device/CatalogueEntries.h"

#include <cstdint>
#include <string_view>

namespace quaro {

// Lookups scan their table from row 0 upward and return the first match.

// Index of the first catalogue row with these vendor, product, kind and role, or -1.
int CatalogueIndexOf(uint16_t vendorId, uint16_t productId, uint16_t kind, uint16_t role);

// Index of the first device type row with these vendor, product, kind and role, or -1.
int DeviceTypeIndexOf(uint32_t vendorId, uint32_t productId, uint32_t kind, uint32_t role);

// Whether some catalogue row has the entry's vendor, product, collection and interface; asked
// before the interface is opened, when its usage page and usage are not known yet.
bool IsCatalogued(const DeviceInterfaceEntry& entry);

// The first catalogue row matching the entry's vendor, product, collection, interface, usage
// page and usage, or -1. On success the entry's kind and role are copied from that row.
int FindCatalogueRow(DeviceInterfaceEntry& entry);

// Device path parsers: the hexadecimal number after "vid_", "pid_", "&mi_" or "&col" (the key
// found without regard to case; leading hex digits as "%x" reads them; low 16 bits); 0 when
// the key is absent or no digit follows it.
uint16_t PathVendorId(std::string_view path);
uint16_t PathProductId(std::string_view path);
uint16_t PathInterface(std::string_view path);
uint16_t PathCollection(std::string_view path);

// An entry filled from a path: vendor, product, interface and collection; the rest zero.
DeviceInterfaceEntry EntryFromPath(std::string_view path);

}  // namespace quaro
