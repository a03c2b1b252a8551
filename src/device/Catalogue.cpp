#include "device/Catalogue.h"

#include "device/CatalogueTables.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <string>

namespace quaro {
namespace {

bool EqualIgnoringCase(char a, char b) {
    return std::tolower(static_cast<unsigned char>(a)) ==
           std::tolower(static_cast<unsigned char>(b));
}

uint16_t NumberAfterKey(std::string_view path, std::string_view key) {
    const auto found =
        std::search(path.begin(), path.end(), key.begin(), key.end(), EqualIgnoringCase);
    if (found == path.end()) {
        return 0;
    }
    // Read exactly as "%x" would: blanks, sign and "0x" accepted, saturating on overflow.
    const std::string rest(found + static_cast<std::ptrdiff_t>(key.size()), path.end());
    const unsigned long value = std::strtoul(rest.c_str(), nullptr, 16);
    return static_cast<uint16_t>(value & 0xFFFFul);
}

}  // namespace

int CatalogueIndexOf(uint16_t vendorId, uint16_t productId, uint16_t kind, uint16_t role) {
    for (int i = 0; i < kCatalogueRowCount; ++i) {
        const DeviceInterfaceEntry& row = kInterfaceCatalogue[static_cast<size_t>(i)];
        if (row.vendorId == vendorId && row.productId == productId && row.kind == kind &&
            row.role == role) {
            return i;
        }
    }
    return -1;
}

int DeviceTypeIndexOf(uint32_t vendorId, uint32_t productId, uint32_t kind, uint32_t role) {
    for (int i = 0; i < kDeviceTypeCount; ++i) {
        const DeviceTypeEntry& row = kDeviceTypes[static_cast<size_t>(i)];
        if (row.vendorId == vendorId && row.productId == productId && row.kind == kind &&
            row.role == role) {
            return i;
        }
    }
    return -1;
}

bool IsCatalogued(const DeviceInterfaceEntry& entry) {
    return std::any_of(kInterfaceCatalogue.begin(), kInterfaceCatalogue.end(),
                       [&entry](const DeviceInterfaceEntry& row) {
                           return row.vendorId == entry.vendorId &&
                                  row.productId == entry.productId &&
                                  row.collection == entry.collection &&
                                  row.interfaceNumber == entry.interfaceNumber;
                       });
}

int FindCatalogueRow(DeviceInterfaceEntry& entry) {
    for (int i = 0; i < kCatalogueRowCount; ++i) {
        const DeviceInterfaceEntry& row = kInterfaceCatalogue[static_cast<size_t>(i)];
        if (row.SameInterface(entry)) {
            entry.kind = row.kind;
            entry.role = row.role;
            return i;
        }
    }
    return -1;
}

uint16_t PathVendorId(std::string_view path) {
    return NumberAfterKey(path, "vid_");
}
uint16_t PathProductId(std::string_view path) {
    return NumberAfterKey(path, "pid_");
}
uint16_t PathInterface(std::string_view path) {
    return NumberAfterKey(path, "&mi_");
}
uint16_t PathCollection(std::string_view path) {
    return NumberAfterKey(path, "&col");
}

DeviceInterfaceEntry EntryFromPath(std::string_view path) {
    DeviceInterfaceEntry entry;
    entry.vendorId = PathVendorId(path);
    entry.productId = PathProductId(path);
    entry.interfaceNumber = PathInterface(path);
    entry.collection = PathCollection(path);
    return entry;
}

}  // namespace quaro
