#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace quaro::bench {

// Where the application runs: a private runtime, configuration, data and cache folder, so it
// sees only our simulated bus, finds no running copy and keeps nothing of the user's.
struct AppEnvironment {
    std::filesystem::path quaro;
    std::filesystem::path devsim;
    std::filesystem::path root;
    std::filesystem::path Bus() const { return root / "run" / "quaro-hid-sim"; }
    std::vector<std::string> Variables() const;
};

struct IdleFigures {
    double cpuShare = 0;
    double wakeupsPerSecond = 0;
    double residentMiB = 0;
};

struct LatencyFigures {
    std::vector<double> arrivalMs;
    std::vector<double> removalMs;
};

struct AppFigures {
    IdleFigures idleNoDevice;
    IdleFigures idleDevices;
    double startToArrivalMs = 0;
    LatencyFigures hotPlug;
};

// Items run against the application process: idle without devices, start with three devices
// present, idle with them on their stored (static) effect, and the pad's plug/unplug cycles.
std::optional<AppFigures> MeasureApplication(const AppEnvironment& environment, double seconds,
                                             int cycles, std::string& error);

double Percentile(std::vector<double> values, double fraction);

}  // namespace quaro::bench
