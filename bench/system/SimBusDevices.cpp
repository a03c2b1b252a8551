#include "SimBusDevices.h"

#include <vector>

namespace quaro::bench {

std::optional<SimBusDevices> FindSimBusDevices(HidBackend& backend) {
    std::vector<std::string> paths;
    if (!backend.Enumerate(paths)) {
        return std::nullopt;
    }
    SimBusDevices devices;
    for (const std::string& path : paths) {
        // The command collections of the catalogue's keyboard and pad, and the headset's one
        // interface.
        if (path.find("vid_0c45&pid_7666&mi_01&col04") != std::string::npos) {
            devices.keyboardCommand = path;
        } else if (path.find("vid_0c45&pid_6627&") != std::string::npos &&
                   path.find("&col04") != std::string::npos) {
            devices.padCommand = path;
        } else if (path.find("vid_0d8c&pid_01da&") != std::string::npos &&
                   devices.headset.empty()) {
            devices.headset = path;
        }
    }
    return devices;
}

}  // namespace quaro::bench
