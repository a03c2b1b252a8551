#pragma once

#include "device/HidBackend.h"

#include <optional>
#include <string>

namespace quaro::bench {

// The interfaces the benchmark drives on a bus served by quaro-devsim; empty where the device
// is not plugged in.
struct SimBusDevices {
    std::string keyboardCommand;
    std::string padCommand;
    std::string headset;
};

std::optional<SimBusDevices> FindSimBusDevices(HidBackend& backend);

}  // namespace quaro::bench
