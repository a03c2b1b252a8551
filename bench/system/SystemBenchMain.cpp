// bench_system: one run that says how close the host side is to what the device and the machine
// allow. The emulators run in quaro-devsim processes, the application as its own process; every
// figure is printed beside its target and written as JSON. Started by scripts/bench.
#include "AppRun.h"
#include "ChildProcess.h"
#include "DriverStream.h"
#include "PairCost.h"
#include "platform/Trace.h"

#include <json/json.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <optional>
#include <string>
#include <thread>
#include <unistd.h>
#include <vector>

namespace quaro::bench {
namespace {

constexpr double kDefaultSeconds = 30.0;
constexpr int kHotPlugCycles = 50;
constexpr int kFloorPairs = 100000;
constexpr int kChannelPairs = 40000;
constexpr int kLateFloorPairs = 1000;  // a second of pairs at one emulated millisecond each
constexpr int kProfileSwitches = 10;
// The device's side: seven packets per 126-key frame, one round trip per emulated millisecond,
// and the 5 ms frame tick offering at most 200 frames per second.
constexpr double kKeyboardPacketsPerFrame = 7.0;
constexpr double kEmulatedRoundTripMs = 1.0;
constexpr double kFrameTickMs = 5.0;

struct Row {
    std::string item;
    std::string figure;
    double value = 0;
    std::string unit;
    std::string shown;   // the value as the table prints it
    std::string target;  // empty: reported only
    std::optional<bool> met;
};

std::string Format(const char* format, double a, double b = 0, double c = 0) {
    char text[160];
    std::snprintf(text, sizeof text, format, a, b, c);
    return text;
}

struct Options {
    std::filesystem::path quaro;
    std::filesystem::path devsim;
    std::filesystem::path json;
    double seconds = kDefaultSeconds;
    int cycles = kHotPlugCycles;
    std::string items = "0123456";  // the items to run, by number
    bool Runs(char item) const { return items.find(item) != std::string::npos; }
};

std::optional<Options> ParseOptions(int argc, char** argv) {
    Options options;
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::string name = argv[i];
        const std::string value = argv[i + 1];
        if (name == "--quaro") {
            options.quaro = value;
        } else if (name == "--devsim") {
            options.devsim = value;
        } else if (name == "--json") {
            options.json = value;
        } else if (name == "--seconds") {
            options.seconds = std::atof(value.c_str());
        } else if (name == "--items") {
            options.items = value;
        } else if (name == "--cycles") {
            options.cycles = std::atoi(value.c_str());
        } else {
            return std::nullopt;
        }
    }
    if (options.quaro.empty() || options.devsim.empty() || options.json.empty() ||
        options.seconds <= 0 || options.cycles <= 0) {
        return std::nullopt;
    }
    return options;
}

// quaro-devsim serving the listed devices on a bus folder of its own, ready once it says so.
std::unique_ptr<ChildProcess> StartDevsim(const Options& options, const std::filesystem::path& bus,
                                          const std::string& latencyMs,
                                          const std::vector<std::string>& devices) {
    std::vector<std::string> argv = {
        options.devsim.string(), "--quiet", "--latency", latencyMs, "--bus", bus.string()};
    argv.insert(argv.end(), devices.begin(), devices.end());
    auto devsim = ChildProcess::Start(argv, {}, false);
    if (!devsim || !devsim->WaitForLine("interrupt to stop", 0, 20.0)) {
        return nullptr;
    }
    return devsim;
}

void Fail(std::vector<Row>& rows, const std::string& item, const std::string& why) {
    std::fprintf(stderr, "bench_system: item %s: %s\n", item.c_str(), why.c_str());
    rows.push_back({item, "failed", 0, "", why, "", false});
}

void PrintTable(const std::vector<Row>& rows) {
    std::printf("\n%-5s %-44s %-30s %-34s %s\n", "item", "figure", "measured", "target", "met");
    for (const Row& row : rows) {
        const char* met = !row.met ? "-" : (*row.met ? "yes" : "NO");
        std::printf("%-5s %-44s %-30s %-34s %s\n", row.item.c_str(), row.figure.c_str(),
                    row.shown.c_str(), row.target.empty() ? "(reported)" : row.target.c_str(), met);
    }
}

bool WriteJson(const std::filesystem::path& path, const std::vector<Row>& rows,
               const Options& options) {
    Json::Value root;
    root["cores"] = static_cast<int>(std::thread::hardware_concurrency());
    root["seconds"] = options.seconds;
    root["hot_plug_cycles"] = options.cycles;
    Json::Value list(Json::arrayValue);
    for (const Row& row : rows) {
        Json::Value entry;
        entry["item"] = row.item;
        entry["figure"] = row.figure;
        entry["value"] = row.value;
        entry["unit"] = row.unit;
        entry["shown"] = row.shown;
        entry["target"] = row.target;
        entry["met"] = row.met ? Json::Value(*row.met) : Json::Value();
        list.append(entry);
    }
    root["figures"] = list;
    std::ofstream file(path);
    file << Json::StyledWriter().write(root);
    return static_cast<bool>(file);
}

// Item 0: the floor, returned for the ratios (0 when it could not be measured).
double FloorItems(std::vector<Row>& rows) {
    std::fprintf(stderr, "bench_system: 0 floor\n");
    const std::optional<PairCost> floor = MeasureFloor(kFloorPairs);
    if (!floor) {
        Fail(rows, "0", "the socket pair failed");
        return 0;
    }
    const double floorUs = floor->cpuMicroseconds;
    rows.push_back({"0", "floor: bare socket pair, CPU per pair", floorUs, "us",
                    Format("%.2f us", floorUs), "", std::nullopt});
    const auto beside = [&](const char* figure, FloorEcho echo) {
        if (const std::optional<PairCost> other = MeasureFloor(kFloorPairs, echo)) {
            rows.push_back({"0", figure, other->cpuMicroseconds, "us",
                            Format("%.2f us = %.2fx floor", other->cpuMicroseconds,
                                   other->cpuMicroseconds / floorUs),
                            "", std::nullopt});
        }
    };
    beside("floor with a cancellable wait (+ poll)", FloorEcho::kThreadWaitable);
    beside("floor with the echo in another process", FloorEcho::kProcess);
    return floorUs;
}

// Item 1. The emulator answers at once here, as the floor's echo thread does.
void PairItems(const Options& options, const std::filesystem::path& bus, double floorUs,
               std::vector<Row>& rows) {
    std::fprintf(stderr, "bench_system: 1 per pair\n");
    for (const bool logged : {true, false}) {
        const std::string figure =
            std::string("per pair over the floor's echo, ") + (logged ? "logged" : "quiet");
        if (const std::optional<PairCost> pair = MeasureChannelOverEcho(logged, kChannelPairs);
            pair && floorUs > 0) {
            rows.push_back({"1", figure, pair->cpuMicroseconds, "us",
                            Format("%.2f us = %.2fx floor", pair->cpuMicroseconds,
                                   pair->cpuMicroseconds / floorUs),
                            "", std::nullopt});
        }
    }
    std::unique_ptr<ChildProcess> devsim;
    {
        // The emulator answers on the echo's core, as the floor's echo does.
        const ScopedCore onEchoCore(ChoosePairCores().echo);
        devsim = StartDevsim(options, bus, "0", {"keyboard"});
    }
    if (!devsim) {
        Fail(rows, "1", "quaro-devsim did not start");
        return;
    }
    for (const bool logged : {true, false}) {
        const std::optional<PairCost> pair = MeasureChannelPairs(bus, logged, kChannelPairs);
        const std::string figure =
            std::string("per pair, CommandChannel, ") + (logged ? "logged" : "quiet");
        if (!pair || floorUs <= 0) {
            Fail(rows, "1", figure + " could not be measured");
            continue;
        }
        const double ratio = pair->cpuMicroseconds / floorUs;
        rows.push_back({"1", figure, pair->cpuMicroseconds, "us",
                        Format("%.2f us = %.2fx floor", pair->cpuMicroseconds, ratio),
                        Format("<= 1.2x floor (%.2f us)", 1.2 * floorUs), ratio <= 1.2});
    }
}

// What item 2's share is made of: the light threads' passes and the frames, and the frames
// beside pairs that sleep a millisecond for their reply as the drivers' do. The bare floor never
// sleeps (its echo answers at once); the sleep and the wake-up after it cost what no code of ours
// can save. The headset's reports wait for no reply and are counted at the bare floor.
void StreamBreakdown(const StreamFigures& stream, double floorUs, std::vector<Row>& rows) {
    const std::optional<PairCost> late =
        MeasureFloor(kLateFloorPairs, FloorEcho::kProcessAfterMillisecond);
    if (late && floorUs > 0) {
        rows.push_back({"2", "floor with a 1 ms reply (echo in another process)",
                        late->cpuMicroseconds, "us",
                        Format("%.2f us = %.2fx floor", late->cpuMicroseconds,
                               late->cpuMicroseconds / floorUs),
                        "", std::nullopt});
    }
    if (stream.lightCpuShare < 0 || floorUs <= 0 || stream.packetsPerSecond <= 0) {
        return;  // the threads' own clocks could not be read, or nothing was streamed
    }
    const double frames = stream.cpuShare - stream.lightCpuShare;
    const double floorShare = stream.packetsPerSecond * floorUs * 1e-6;
    rows.push_back({"2", "streaming: of it, the three light threads' passes",
                    stream.lightCpuShare * 100, "% core",
                    Format("%.2f%%", stream.lightCpuShare * 100), "", std::nullopt});
    rows.push_back({"2", "streaming: of it, the frames (workers, frame tick)", frames * 100,
                    "% core", Format("%.2f%% = %.2fx floor", frames * 100, frames / floorShare), "",
                    std::nullopt});
    if (late) {
        const double lateShare =
            (stream.repliedPacketsPerSecond * late->cpuMicroseconds +
             (stream.packetsPerSecond - stream.repliedPacketsPerSecond) * floorUs) *
            1e-6;
        rows.push_back(
            {"2", "streaming: the frames vs the same pairs at that floor", frames * 100, "% core",
             Format("%.2f%% = %.2fx (%.2f%%)", frames * 100, frames / lateShare, lateShare * 100),
             "", std::nullopt});
    }
}

// Items 2 and 5, on one quaro-devsim answering after an emulated millisecond.
void StreamItems(const Options& options, const std::filesystem::path& bus, double floorUs,
                 std::vector<Row>& rows) {
    std::fprintf(stderr, "bench_system: 2 streaming, %.0f s\n", options.seconds);
    auto devsim = StartDevsim(options, bus, "1", {"keyboard", "mousepad", "headset"});
    if (!devsim) {
        Fail(rows, "2", "quaro-devsim did not start");
        return;
    }
    std::string error;
    double keyboardFramesPerSecond = 0;
    if (options.Runs('2')) {
        if (const auto stream = MeasureStreaming(bus, options.seconds, error)) {
            const double floorShare = stream->packetsPerSecond * floorUs * 1e-6;
            const double ratio = floorShare > 0 ? stream->cpuShare / floorShare : 0;
            const bool underOnePercent = stream->cpuShare < 0.01 || floorShare * 1.3 >= 0.01;
            rows.push_back(
                {"2", "streaming: CPU of the drivers' process", stream->cpuShare * 100, "% core",
                 Format("%.2f%% = %.2fx floor (%.2f%%)", stream->cpuShare * 100, ratio,
                        floorShare * 100),
                 "<= 1.3x floor; < 1% if floor allows", ratio <= 1.3 && underOnePercent});
            StreamBreakdown(*stream, floorUs, rows);
            rows.push_back({"2", "streaming: wake-ups per second (context switches)",
                            stream->wakeUpsPerSecond, "1/s",
                            Format("%.0f /s", stream->wakeUpsPerSecond), "", std::nullopt});
            rows.push_back({"2", "streaming: packets per second (3 devices)",
                            stream->packetsPerSecond, "1/s",
                            Format("%.0f /s", stream->packetsPerSecond), "", std::nullopt});
            const double limit = std::min(
                1000.0 / kFrameTickMs, 1000.0 / (kKeyboardPacketsPerFrame * kEmulatedRoundTripMs));
            rows.push_back({"2", "streaming: keyboard frames per second",
                            stream->keyboardFramesPerSecond, "1/s",
                            Format("%.1f /s = %.0f%% of %.1f", stream->keyboardFramesPerSecond,
                                   100.0 * stream->keyboardFramesPerSecond / limit, limit),
                            Format(">= 90%% of limit (%.1f /s)", 0.9 * limit),
                            stream->keyboardFramesPerSecond >= 0.9 * limit});
            keyboardFramesPerSecond = stream->keyboardFramesPerSecond;
            rows.push_back({"2", "streaming: pad / headset frames per second",
                            stream->padFramesPerSecond, "1/s",
                            Format("%.1f / %.1f /s", stream->padFramesPerSecond,
                                   stream->headsetFramesPerSecond),
                            "", std::nullopt});
            rows.push_back(
                {"2", "streaming: longest keyboard frame gap", stream->longestKeyboardGapMs, "ms",
                 Format("%.1f ms (5 ms tick)", stream->longestKeyboardGapMs), "", std::nullopt});
            std::fprintf(stderr,
                         "bench_system: longest keyboard frame gap %.1f ms; the benchmark's own "
                         "5 ms tick came up to %.1f ms late\n",
                         stream->longestKeyboardGapMs, stream->longestTickLatenessMs);
        } else {
            Fail(rows, "2", error);
        }
    }
    if (!options.Runs('5')) {
        return;
    }
    std::fprintf(stderr, "bench_system: 5 profile switch\n");
    if (const auto change = MeasureProfileSwitch(bus, kProfileSwitches, error)) {
        const double ratio = change->switchMs / change->exchangesMs;
        rows.push_back(
            {"5", "profile switch vs packets x round trip", change->switchMs, "ms",
             Format("%.1f ms = %.2fx %.1f ms", change->switchMs, ratio, change->exchangesMs),
             "<= 1.2x", ratio <= 1.2});
        rows.push_back(
            {"5", "profile switch: packets, Ends, round trip", change->packets, "",
             Format("%.0f, %.0f, %.3f ms", change->packets, change->ends, change->roundTripMs), "",
             std::nullopt});
        if (keyboardFramesPerSecond > 0) {
            // The emulator's millisecond is longer than one on a loaded machine.
            const double limit = std::min(
                1000.0 / kFrameTickMs, 1000.0 / (kKeyboardPacketsPerFrame * change->roundTripMs));
            rows.push_back({"2", "keyboard frames per second, measured round trip",
                            keyboardFramesPerSecond, "1/s",
                            Format("%.1f /s = %.0f%% of %.1f", keyboardFramesPerSecond,
                                   100.0 * keyboardFramesPerSecond / limit, limit),
                            "", std::nullopt});
        }
    } else {
        Fail(rows, "5", error);
    }
}

// Items 3, 4 and 6, against the application process.
void ApplicationItems(const Options& options, const std::filesystem::path& root,
                      std::vector<Row>& rows) {
    std::fprintf(stderr, "bench_system: 3, 4, 6 the application\n");
    const AppEnvironment environment{options.quaro, options.devsim, root};
    std::string error;
    if (const auto app = MeasureApplication(environment, options.seconds, options.cycles, error)) {
        const IdleFigures& none = app->idleNoDevice;
        rows.push_back({"3", "idle, no device: CPU", none.cpuShare * 100, "% core",
                        Format("%.3f%%", none.cpuShare * 100), "< 0.1% (not measurable)",
                        none.cpuShare < 0.001});
        rows.push_back({"3", "idle, no device: wake-ups", none.wakeupsPerSecond, "1/s",
                        Format("%.2f /s", none.wakeupsPerSecond), "<= 1 /s",
                        none.wakeupsPerSecond <= 1.0});
        const IdleFigures& three = app->idleDevices;
        rows.push_back({"3", "idle, 3 devices, static effect: CPU", three.cpuShare * 100, "% core",
                        Format("%.2f%%", three.cpuShare * 100), "", std::nullopt});
        rows.push_back({"3", "idle, 3 devices, static effect: wake-ups", three.wakeupsPerSecond,
                        "1/s", Format("%.0f /s", three.wakeupsPerSecond), "", std::nullopt});
        const auto latency = [&](const char* figure, const std::vector<double>& values) {
            const double median = Percentile(values, 0.5);
            const double p99 = Percentile(values, 0.99);
            rows.push_back({"4", figure, p99, "ms", Format("median %.1f, p99 %.1f ms", median, p99),
                            "< 100 ms", p99 < 100.0});
        };
        latency("hot-plug: pad arrival to the window", app->hotPlug.arrivalMs);
        latency("hot-plug: pad removal to the window", app->hotPlug.removalMs);
        // The target is in decimal megabytes, the stricter reading; binary ones beside it.
        const double residentMB = three.residentMiB * 1024.0 * 1024.0 / 1e6;
        rows.push_back({"6", "resident memory, 3 devices", residentMB, "MB",
                        Format("%.1f MB (%.1f MiB)", residentMB, three.residentMiB), "< 60 MB",
                        residentMB < 60.0});
        rows.push_back({"6", "start to the first arrival handled", app->startToArrivalMs, "ms",
                        Format("%.0f ms", app->startToArrivalMs), "< 300 ms",
                        app->startToArrivalMs < 300.0});
    } else {
        Fail(rows, "3", error);
    }
}

int Run(const Options& options) {
    char pattern[] = "/tmp/quaro-bench-XXXXXX";
    if (::mkdtemp(pattern) == nullptr) {
        std::perror("bench_system: mkdtemp");
        return 1;
    }
    const std::filesystem::path root = pattern;
    for (const char* folder : {"run", "config", "data", "cache", "pairs", "stream"}) {
        std::filesystem::create_directories(root / folder);
    }
    std::filesystem::permissions(root / "run", std::filesystem::perms::owner_all);
    // The drivers' trace lines are formatted as in the application and dropped here.
    SetTraceSink([](std::string_view) {});

    std::vector<Row> rows;
    const double floorUs = FloorItems(rows);
    if (options.Runs('1')) {
        PairItems(options, root / "pairs", floorUs, rows);
    }
    if (options.Runs('2') || options.Runs('5')) {
        StreamItems(options, root / "stream", floorUs, rows);
    }
    if (options.Runs('3') || options.Runs('4') || options.Runs('6')) {
        ApplicationItems(options, root, rows);
    }

    PrintTable(rows);
    std::error_code ignored;
    std::filesystem::remove_all(root, ignored);
    if (!WriteJson(options.json, rows, options)) {
        std::fprintf(stderr, "bench_system: cannot write %s\n", options.json.c_str());
        return 1;
    }
    std::printf("\nwritten: %s\n", options.json.c_str());
    return 0;
}

}  // namespace
}  // namespace quaro::bench

int main(int argc, char** argv) {
    const auto options = quaro::bench::ParseOptions(argc, argv);
    if (!options) {
        std::fputs(
            "usage: bench_system --quaro PATH --devsim PATH --json PATH [--seconds S] "
            "[--cycles N] [--items 0123456]\n",
            stderr);
        return 2;
    }
    return quaro::bench::Run(*options);
}
