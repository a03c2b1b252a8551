#pragma once

#include "profiles/ProfileRecords.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <ctime>
#include <filesystem>
#include <string>
#include <thread>
#include <unistd.h>
#include <vector>

namespace quaro::bench {

using namespace std::chrono_literals;
using SteadyClock = std::chrono::steady_clock;

// The device tab's frame timer.
inline constexpr auto kFrameTick = 5ms;

inline double ProcessCpuSeconds() {
    timespec ts{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) * 1e-9;
}

// Runs tick at the frame timer's pace for two seconds of wall time per iteration and reports the
// whole process's CPU per wall second, so every thread involved is counted.
template <typename Tick>
void MeasureAtFrameTick(benchmark::State& state, Tick tick) {
    for (auto _ : state) {
        const double cpuStart = ProcessCpuSeconds();
        const auto wallStart = SteadyClock::now();
        auto next = wallStart;
        int frames = 0;
        while (SteadyClock::now() - wallStart < 2s) {
            tick();
            ++frames;
            next += kFrameTick;
            std::this_thread::sleep_until(next);
        }
        const double wall = std::chrono::duration<double>(SteadyClock::now() - wallStart).count();
        const double cpu = ProcessCpuSeconds() - cpuStart;
        state.SetIterationTime(wall);
        state.counters["cpu_ms_per_s"] = cpu * 1000.0 / wall;
        state.counters["frames_per_s"] = frames / wall;
    }
}

// Per-LED settings that give every LED's own effect work on every pass of a light thread.
inline std::vector<LightSetting> BusyLightList(int count) {
    std::vector<LightSetting> list(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i) {
        list[static_cast<std::size_t>(i)] = {.effect = static_cast<std::uint8_t>(i % 4),
                                             .brightness = 4,
                                             .speed = 1,
                                             .multiColor = 1,
                                             .red = 9,
                                             .extraByte = 1};
    }
    return list;
}

// A private simulated bus folder, removed with what the emulators left in it.
class BenchBus {
public:
    explicit BenchBus(const std::string& name)
        : m_path(std::filesystem::temp_directory_path() /
                 ("quaro-bench-" + name + "-" + std::to_string(getpid()))) {
        std::filesystem::create_directories(m_path);
    }
    ~BenchBus() {
        std::error_code ignored;
        std::filesystem::remove_all(m_path, ignored);
    }
    BenchBus(const BenchBus&) = delete;
    BenchBus& operator=(const BenchBus&) = delete;
    const std::filesystem::path& Path() const { return m_path; }

private:
    std::filesystem::path m_path;
};

}  // namespace quaro::bench
