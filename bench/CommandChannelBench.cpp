// Host-side cost of the command channel over the simulated bus, with the emulator answering at
// once in the same process. cpu_time is the calling (host) thread's CPU; real time includes the
// emulator's turn.
#include "device/CommandChannel.h"
#include "device/SimHidBackend.h"
#include "platform/Trace.h"
#include "sim/DeviceEmulator.h"
#include "sim/EmulatorModels.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <string>
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

}  // namespace
}  // namespace quaro
