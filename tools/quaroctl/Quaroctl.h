#pragma once

#include "device/HidBackend.h"

#include <filesystem>
#include <functional>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

namespace quaro {

// Exit statuses. Scripts depend on them: a number, once given, keeps its meaning.
inline constexpr int kExitSuccess = 0;
inline constexpr int kExitDeviceError = 1;  // absent, not permitted, or a command failed
inline constexpr int kExitUsage = 2;
inline constexpr int kExitNotHeld = 3;  // the device does not hold that, or cannot give it back
inline constexpr int kExitNoSuchProfile = 4;
inline constexpr int kExitStoreError = 5;  // a profile list that cannot be read or written

// Builds the HID backend the commands look for devices on, given the simulated bus folder.
using BackendFactory =
    std::function<std::shared_ptr<HidBackend>(const std::filesystem::path& busFolder)>;

// The kernel's hidraw nodes, then the simulated bus.
std::shared_ptr<HidBackend> DefaultBackend(const std::filesystem::path& busFolder);

// One quaroctl command line, without the program name. Results go to out, messages to err;
// nothing reaches out when the command fails.
int RunQuaroctl(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
                const BackendFactory& makeBackend = DefaultBackend);

}  // namespace quaro
