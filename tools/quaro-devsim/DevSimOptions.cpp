#include "DevSimOptions.h"

#include "device/SimBusLayout.h"
#include "sim/EmulatorModels.h"

namespace quaro {

const char* const kDevSimUsage =
    "usage: quaro-devsim [options] DEVICE...\n"
    "\n"
    "Runs emulated devices on the simulated HID bus until interrupted.\n"
    "DEVICE is one of: keyboard mouse mousepad headset.\n"
    "\n"
    "options:\n"
    "  --bus DIR          bus folder (default $XDG_RUNTIME_DIR/quaro-hid-sim)\n"
    "  --latency MS       delay every reply by MS milliseconds\n"
    "  --fault KIND@N     apply a fault to the N-th command packet (counted per device);\n"
    "                     KIND is no-reply, wrong-echo, stray-reply, event-first,\n"
    "                     status-fe, status-ff or unplug;\n"
    "                     DEVICE:KIND@N limits it to one device\n"
    "  --quiet            do not print the packets\n"
    "  --version          print the version and exit\n"
    "  --help             show this text\n"
    "\n"
    "Every packet received and sent is printed in hex, one line per packet. Lines typed on\n"
    "standard input drive the devices: 'settings DEVICE', 'press DEVICE SLOT',\n"
    "'release DEVICE SLOT', 'unplug DEVICE', 'plug DEVICE'.\n"
    "\n"
    "The headset brings its sound card: its mixer (microphone level and mute, monitoring\n"
    "level and mute) is the file headset-mixer.json in the bus folder while it is plugged in.\n";

std::optional<FaultKind> FaultKindByName(const std::string& name) {
    if (name == "no-reply") {
        return FaultKind::kNoReply;
    }
    if (name == "wrong-echo") {
        return FaultKind::kWrongEcho;
    }
    if (name == "status-fe") {
        return FaultKind::kStatusFE;
    }
    if (name == "status-ff") {
        return FaultKind::kStatusFF;
    }
    if (name == "unplug") {
        return FaultKind::kUnplug;
    }
    if (name == "stray-reply") {
        return FaultKind::kStrayReply;
    }
    if (name == "event-first") {
        return FaultKind::kEventFirst;
    }
    return std::nullopt;
}

namespace {

std::optional<uint32_t> ParseNumber(const std::string& text) {
    if (text.empty() || text.size() > 9 ||
        text.find_first_not_of("0123456789") != std::string::npos) {
        return std::nullopt;
    }
    return static_cast<uint32_t>(std::stoul(text));
}

std::optional<DevSimFault> ParseFault(const std::string& text) {
    DevSimFault fault;
    std::string rest = text;
    const size_t colon = rest.find(':');
    if (colon != std::string::npos) {
        fault.device = rest.substr(0, colon);
        rest = rest.substr(colon + 1);
    }
    const size_t at = rest.find('@');
    if (at == std::string::npos) {
        return std::nullopt;
    }
    const auto kind = FaultKindByName(rest.substr(0, at));
    const auto packet = ParseNumber(rest.substr(at + 1));
    if (!kind || !packet || *packet == 0) {
        return std::nullopt;
    }
    fault.kind = *kind;
    fault.packet = *packet;
    return fault;
}

bool KnownDevice(const std::string& name) {
    for (std::string_view known : EmulatorNames()) {
        if (known == name) {
            return true;
        }
    }
    return false;
}

}  // namespace

std::optional<DevSimOptions> ParseDevSimOptions(const std::vector<std::string>& args,
                                                std::string& error) {
    DevSimOptions options;
    options.bus = DefaultSimBusFolder();
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        const bool hasValue = i + 1 < args.size();
        if (arg == "--help" || arg == "-h") {
            options.help = true;
        } else if (arg == "--version") {
            options.version = true;
        } else if (arg == "--quiet" || arg == "-q") {
            options.quiet = true;
        } else if (arg == "--bus" && hasValue) {
            options.bus = args[++i];
        } else if (arg == "--latency" && hasValue) {
            const auto latency = ParseNumber(args[++i]);
            if (!latency) {
                error = "--latency wants milliseconds, not '" + args[i] + "'";
                return std::nullopt;
            }
            options.latencyMs = *latency;
        } else if (arg == "--fault" && hasValue) {
            const auto fault = ParseFault(args[++i]);
            if (!fault || (!fault->device.empty() && !KnownDevice(fault->device))) {
                error = "bad fault '" + args[i] + "'";
                return std::nullopt;
            }
            options.faults.push_back(*fault);
        } else if (!arg.empty() && arg[0] == '-') {
            error = "unknown or incomplete option '" + arg + "'";
            return std::nullopt;
        } else if (KnownDevice(arg)) {
            options.devices.push_back(arg);
        } else {
            error = "unknown device '" + arg + "'";
            return std::nullopt;
        }
    }
    if (options.devices.empty() && !options.help && !options.version) {
        error = "name at least one device";
        return std::nullopt;
    }
    return options;
}

}  // namespace quaro
