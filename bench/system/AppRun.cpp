#include "AppRun.h"

#include "ChildProcess.h"
#include "platform/Paths.h"

#include <json/json.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <fstream>
#include <thread>

namespace quaro::bench {
namespace {

using namespace std::chrono_literals;

// The window's arrival and removal handlers trace these first; the pad's are the hot-plug marks.
constexpr const char* kArrivalMark = "添加一个";
constexpr const char* kPadArrival = "添加一个鼠标垫设备";
constexpr const char* kPadRemoval = "删除一个鼠标垫设备";
constexpr double kStartTimeoutSeconds = 20.0;
constexpr double kPlugTimeoutSeconds = 5.0;
// The application settles (pages built, first reads done) before an idle figure is taken.
constexpr auto kSettle = 3s;
// The trace stamps are whole milliseconds, cut down, so a line may carry a stamp up to 1 ms
// before the moment we took.
constexpr double kStampResolution = 0.001;

// The factory profiles move (waves on the keyboard and the pad, a spectrum on the headset); the
// idle figure with devices is about a light that stands still, so each device starts with a copy
// of its factory profile that selects the static effect.
struct StaticProfile {
    const char* kind;
    int mode;
};
constexpr StaticProfile kStaticProfiles[] = {{"keyboard", 5}, {"MousePad", 3}, {"HD", 3}};

bool SeedStaticProfiles(const AppEnvironment& environment, std::string& error) {
    const std::filesystem::path defaults = environment.quaro.parent_path() / "DefaultData";
    for (const StaticProfile& profile : kStaticProfiles) {
        const std::filesystem::path source = defaults / (std::string(profile.kind) + ".Json");
        std::ifstream in(source);
        Json::Value root;
        Json::CharReaderBuilder reader;
        std::string problems;
        if (!in || !Json::parseFromStream(reader, in, &root, &problems) ||
            !root["Device"].isArray() || root["Device"].empty()) {
            error = "cannot read the factory profile " + source.string();
            return false;
        }
        root["Device"][0]["LightInfo"]["SelectItem"] = profile.mode;
        root["profileUUID"] = "static";
        root["profilename"] = "static";
        // The run without devices left the factory profile selected in this folder: the static
        // profile must be the only one, or the devices would play the factory's moving effect.
        std::error_code ignored;
        std::filesystem::remove_all(UserDataFolder(environment.root / "data", profile.kind),
                                    ignored);
        const std::filesystem::path folder =
            UserDataFolder(environment.root / "data", profile.kind);
        std::ofstream out(folder / "static.Json");
        Json::StreamWriterBuilder writer;
        out << Json::writeString(writer, root);
        if (folder.empty() || !out) {
            error = "cannot write the static profile for " + std::string(profile.kind);
            return false;
        }
    }
    return true;
}

// A trace stamp cut down to the millisecond may fall just before the moment it is measured
// from; such a latency is below the stamps' resolution, not negative.
double LatencyMs(double stamp, double from) {
    return std::max(0.0, (stamp - from) * 1000.0);
}

std::unique_ptr<ChildProcess> StartApp(const AppEnvironment& environment) {
    return ChildProcess::Start({environment.quaro.string()}, environment.Variables(), true);
}

std::unique_ptr<ChildProcess> StartDevices(const AppEnvironment& environment, std::string& error) {
    auto devsim =
        ChildProcess::Start({environment.devsim.string(), "--quiet", "--latency", "1", "--bus",
                             environment.Bus().string(), "keyboard", "mousepad", "headset"},
                            {}, false);
    if (!devsim || !devsim->WaitForLine("interrupt to stop", 0, kStartTimeoutSeconds)) {
        error = "quaro-devsim did not plug its devices in";
        return nullptr;
    }
    return devsim;
}

std::optional<IdleFigures> MeasureIdle(pid_t pid, double seconds) {
    const std::optional<ProcessSample> before = SampleProcess(pid);
    std::this_thread::sleep_for(std::chrono::duration<double>(seconds));
    const std::optional<ProcessSample> after = SampleProcess(pid);
    if (!before || !after) {
        return std::nullopt;
    }
    const double wall = after->wallSeconds - before->wallSeconds;
    IdleFigures figures;
    figures.cpuShare = (after->cpuSeconds - before->cpuSeconds) / wall;
    figures.wakeupsPerSecond = static_cast<double>(SwitchesBetween(*before, *after)) / wall;
    figures.residentMiB = static_cast<double>(after->residentKiB) / 1024.0;
    return figures;
}

}  // namespace

std::vector<std::string> AppEnvironment::Variables() const {
    return {"XDG_RUNTIME_DIR=" + (root / "run").string(),
            "XDG_CONFIG_HOME=" + (root / "config").string(),
            "XDG_DATA_HOME=" + (root / "data").string(),
            "XDG_CACHE_HOME=" + (root / "cache").string(), "QT_QPA_PLATFORM=offscreen",
            // The window in its default language whatever the session speaks: the one that also
            // needs a CJK face, so the larger of its resident sizes.
            "LANG=C.UTF-8", "LC_ALL=", "LC_MESSAGES=",
            // Every trace line stamped on CLOCK_MONOTONIC, the clock the harness reads too.
            "QT_MESSAGE_PATTERN=%{time boot} %{message}"};
}

double Percentile(std::vector<double> values, double fraction) {
    if (values.empty()) {
        return 0;
    }
    std::sort(values.begin(), values.end());
    const auto rank = static_cast<size_t>(std::ceil(fraction * static_cast<double>(values.size())));
    return values[std::clamp<size_t>(rank, 1, values.size()) - 1];
}

std::optional<AppFigures> MeasureApplication(const AppEnvironment& environment, double seconds,
                                             int cycles, std::string& error) {
    AppFigures figures;
    {
        std::unique_ptr<ChildProcess> app = StartApp(environment);
        if (!app || !app->WaitForLine("InitWindow", 0, kStartTimeoutSeconds)) {
            error = "the application did not start";
            return std::nullopt;
        }
        std::this_thread::sleep_for(kSettle);
        const std::optional<IdleFigures> idle = MeasureIdle(app->Pid(), seconds);
        if (!idle) {
            error = "the application ended while idle";
            return std::nullopt;
        }
        figures.idleNoDevice = *idle;
    }

    if (!SeedStaticProfiles(environment, error)) {
        return std::nullopt;
    }
    std::unique_ptr<ChildProcess> devsim = StartDevices(environment, error);
    if (!devsim) {
        return std::nullopt;
    }
    const double startedAt = MonotonicSeconds();
    std::unique_ptr<ChildProcess> app = StartApp(environment);
    const std::optional<double> firstArrival =
        app ? app->WaitForLine(kArrivalMark, startedAt - kStampResolution, kStartTimeoutSeconds)
            : std::nullopt;
    if (!firstArrival) {
        error = "the application handled no arrival after its start";
        return std::nullopt;
    }
    figures.startToArrivalMs = LatencyMs(*firstArrival, startedAt);
    std::this_thread::sleep_for(kSettle);
    const std::optional<IdleFigures> idle = MeasureIdle(app->Pid(), seconds);
    if (!idle) {
        error = "the application ended while idle with devices";
        return std::nullopt;
    }
    figures.idleDevices = *idle;

    for (int cycle = 0; cycle < cycles; ++cycle) {
        const double unpluggedAt = MonotonicSeconds();
        devsim->WriteLine("unplug mousepad");
        const std::optional<double> removed =
            app->WaitForLine(kPadRemoval, unpluggedAt - kStampResolution, kPlugTimeoutSeconds);
        // Both of the pad's interfaces are reported; let the second go before plugging in.
        std::this_thread::sleep_for(150ms);
        const double pluggedAt = MonotonicSeconds();
        devsim->WriteLine("plug mousepad");
        const std::optional<double> arrived =
            app->WaitForLine(kPadArrival, pluggedAt - kStampResolution, kPlugTimeoutSeconds);
        if (!removed || !arrived) {
            error = "the pad's " + std::string(removed ? "arrival" : "removal") +
                    " did not reach the window in cycle " + std::to_string(cycle + 1);
            return std::nullopt;
        }
        figures.hotPlug.removalMs.push_back(LatencyMs(*removed, unpluggedAt));
        figures.hotPlug.arrivalMs.push_back(LatencyMs(*arrived, pluggedAt));
        std::this_thread::sleep_for(150ms);
    }
    app->Stop();
    devsim->Stop();
    return figures;
}

}  // namespace quaro::bench
