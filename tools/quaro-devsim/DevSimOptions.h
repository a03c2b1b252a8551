#pragma once

#include "sim/DeviceFirmware.h"

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace quaro {

struct DevSimFault {
    std::string device;  // empty: every device
    FaultKind kind = FaultKind::kNoReply;
    uint32_t packet = 1;
};

struct DevSimOptions {
    std::filesystem::path bus;
    uint32_t latencyMs = 0;
    bool quiet = false;
    bool help = false;
    bool version = false;
    std::vector<std::string> devices;
    std::vector<DevSimFault> faults;
};

// Parses the command line; on a mistake returns nothing and sets `error`.
std::optional<DevSimOptions> ParseDevSimOptions(const std::vector<std::string>& args,
                                                std::string& error);

std::optional<FaultKind> FaultKindByName(const std::string& name);

extern const char* const kDevSimUsage;

}  // namespace quaro
