#pragma once

#include "device/CatalogueEntries.h"
#include "device/HidBackend.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quaro {

// A present interface that matches a catalogue row.
struct ListedInterface {
    std::string path;
    DeviceInterfaceEntry entry;  // kind and role taken from the row
};

// A catalogued interface that could not be probed.
struct ListingProblem {
    std::string path;
    int error = 0;  // errno of the open
};

// Enumerates every interface, probes those whose path the catalogue knows (vendor, product,
// interface, collection) for their usage page and usage, and keeps the ones a row matches.
std::vector<ListedInterface> ListCataloguedInterfaces(const std::shared_ptr<HidBackend>& backend,
                                                      std::vector<ListingProblem>& problems);

std::string_view KindName(uint16_t kind);
std::optional<uint16_t> KindByName(std::string_view name);

// One line saying why an interface could not be opened; a refusal names the udev rule of the
// device at path that is missing.
std::string OpenErrorText(int error, std::string_view path = {});

}  // namespace quaro
