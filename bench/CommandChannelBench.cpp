// Host-side cost of the command channel over the simulated bus, with the emulator answering at
// once in the same process. cpu_time is the calling (host) thread's CPU; real time includes the
// emulator's turn.
#include "device/CommandChannel.h"
#include "device/SimHidBackend.h"
#include "platform/Trace.h"
#include "sim/DeviceEmulator.h"
#include "sim/EmulatorModels.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace quaro {
namespace {

class BenchBus {
public:
    BenchBus() {
        char pattern[] = "/tmp/quaro-bench-XXXXXX";
        m_folder = ::mkdtemp(pattern);
        m_emulator = std::make_unique<DeviceEmulator>(KeyboardModel(), m_folder);
        m_emulator->Plug();
        auto backend = std::make_shared<SimHidBackend>(m_folder);
        m_channel = std::make_unique<CommandChannel>(backend);
        std::vector<std::string> paths;
        backend->Enumerate(paths);
        for (const std::string& path : paths) {
            if (path.find("&mi_01&col04") != std::string::npos) {
                m_channel->Device().Open(path, true, true, true, false);
            }
        }
        m_channel->SetConnected(m_channel->Device().IsOpen());
    }
    ~BenchBus() {
        m_channel.reset();
        m_emulator.reset();
        std::filesystem::remove_all(m_folder);
    }

    CommandChannel& Channel() { return *m_channel; }

private:
    std::filesystem::path m_folder;
    std::unique_ptr<DeviceEmulator> m_emulator;
    std::unique_ptr<CommandChannel> m_channel;
};

// One logged request/reply pair (command 1), trace lines formatted into a silent sink.
void BM_RequestReplyPair(benchmark::State& state) {
    const TraceSink previous = SetTraceSink([](std::string_view) {});
    BenchBus bus;
    for (auto _ : state) {
        if (bus.Channel().Begin() != kResultSuccess) {
            state.SkipWithError("begin failed");
            break;
        }
    }
    state.SetItemsProcessed(state.iterations());
    SetTraceSink(previous);
}
BENCHMARK(BM_RequestReplyPair)->UseRealTime();
BENCHMARK(BM_RequestReplyPair);

// One 378-byte key light frame: seven quiet packets with their checksums.
void BM_LightFrame378(benchmark::State& state) {
    BenchBus bus;
    std::vector<uint8_t> frame(378);
    for (size_t i = 0; i < frame.size(); ++i) {
        frame[i] = static_cast<uint8_t>(i * 3);
    }
    for (auto _ : state) {
        if (bus.Channel().SendLightFrame(frame) != kResultSuccess) {
            state.SkipWithError("frame failed");
            break;
        }
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_LightFrame378);

// The light stream and configuration traffic together: a 378-byte frame every 5 ms while two
// threads each send a command every 10 ms, for two seconds. Reports the longest time one call
// took (a command, a frame) and how many failed; a reply taken by the wrong request shows as a
// wait of a whole time-out.
void BM_StreamAndCommandsLongestWait(benchmark::State& state) {
    using Clock = std::chrono::steady_clock;
    using namespace std::chrono_literals;
    const TraceSink previous = SetTraceSink([](std::string_view) {});
    BenchBus bus;
    std::mutex mutex;
    double longestCommandMs = 0;
    double longestFrameMs = 0;
    double commandMsTotal = 0;
    int commandCount = 0;
    std::atomic<int> failed{0};
    auto timed = [&](auto call, double& longest, bool command) {
        const auto start = Clock::now();
        const int32_t result = call();
        const double ms = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
        std::lock_guard lock(mutex);
        longest = std::max(longest, ms);
        if (command) {
            commandMsTotal += ms;
            ++commandCount;
        }
        if (result != kResultSuccess) {
            ++failed;
        }
    };
    for (auto _ : state) {
        const auto end = Clock::now() + 2s;
        std::thread stream([&] {
            std::vector<uint8_t> frame(378, 0x5A);
            for (auto next = Clock::now(); next < end; next += 5ms) {
                timed([&] { return bus.Channel().SendLightFrame(frame); }, longestFrameMs, false);
                std::this_thread::sleep_until(next + 5ms);
            }
        });
        auto commands = [&](uint16_t address) {
            std::vector<uint8_t> buffer(16);
            for (auto next = Clock::now(); next < end; next += 10ms) {
                timed([&] { return bus.Channel().ReadMemory(buffer, address); }, longestCommandMs,
                      true);
                std::this_thread::sleep_until(next + 10ms);
            }
        };
        std::thread first(commands, 0);
        std::thread second(commands, 64);
        stream.join();
        first.join();
        second.join();
    }
    state.counters["longest_command_ms"] = longestCommandMs;
    state.counters["mean_command_ms"] = commandCount > 0 ? commandMsTotal / commandCount : 0;
    state.counters["longest_frame_ms"] = longestFrameMs;
    state.counters["failed_calls"] = failed.load();
    SetTraceSink(previous);
}
BENCHMARK(BM_StreamAndCommandsLongestWait)
    ->Iterations(1)
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace quaro
