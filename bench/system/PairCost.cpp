#include "PairCost.h"

#include "SimBusDevices.h"
#include "device/CommandChannel.h"
#include "device/SimHidBackend.h"
#include "platform/Trace.h"

#include <array>
#include <cstdint>
#include <ctime>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace quaro::bench {
namespace {

constexpr int kWarmUpPairs = 200;

double ThreadCpuSeconds() {
    timespec ts{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) * 1e-9;
}

double WallSeconds() {
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) * 1e-9;
}

template <typename Pair>
std::optional<PairCost> Measure(int pairs, Pair pair) {
    for (int i = 0; i < kWarmUpPairs; ++i) {
        if (!pair()) {
            return std::nullopt;
        }
    }
    const double cpuStart = ThreadCpuSeconds();
    const double wallStart = WallSeconds();
    for (int i = 0; i < pairs; ++i) {
        if (!pair()) {
            return std::nullopt;
        }
    }
    PairCost cost;
    cost.pairs = pairs;
    cost.cpuMicroseconds = (ThreadCpuSeconds() - cpuStart) * 1e6 / pairs;
    cost.wallMicroseconds = (WallSeconds() - wallStart) * 1e6 / pairs;
    return cost;
}

}  // namespace

std::optional<PairCost> MeasureFloor(int pairs, FloorEcho echo) {
    int fds[2];
    if (::socketpair(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC, 0, fds) != 0) {
        return std::nullopt;
    }
    const auto answer = [](int fd) {
        std::array<std::uint8_t, 64> packet{};
        for (;;) {
            const ssize_t got = ::read(fd, packet.data(), packet.size());
            if (got <= 0 || ::write(fd, packet.data(), static_cast<size_t>(got)) != got) {
                break;
            }
        }
    };
    std::thread echoThread;
    pid_t echoProcess = -1;
    if (echo == FloorEcho::kProcess) {
        // Only the measuring thread runs at this point, so the child may run ordinary code.
        echoProcess = ::fork();
        if (echoProcess == 0) {
            ::close(fds[0]);
            answer(fds[1]);
            ::_exit(0);
        }
    } else {
        echoThread = std::thread(answer, fds[1]);
    }
    std::array<std::uint8_t, 64> request{};
    request[0] = 4;
    std::array<std::uint8_t, 64> reply{};
    const int cancel = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    std::optional<PairCost> cost;
    if (echoProcess != -1 || echoThread.joinable()) {
        cost = Measure(pairs, [&] {
            if (::write(fds[0], request.data(), request.size()) != 64) {
                return false;
            }
            if (echo == FloorEcho::kThreadWaitable) {
                pollfd wait[2] = {{fds[0], POLLIN, 0}, {cancel, POLLIN, 0}};
                if (::poll(wait, 2, 1000) != 1) {
                    return false;
                }
            }
            return ::read(fds[0], reply.data(), reply.size()) == 64;
        });
    }
    ::close(cancel);
    ::shutdown(fds[0], SHUT_RDWR);
    if (echoThread.joinable()) {
        echoThread.join();
    }
    if (echoProcess > 0) {
        ::waitpid(echoProcess, nullptr, 0);
    }
    ::close(fds[0]);
    ::close(fds[1]);
    return cost;
}

std::optional<PairCost> MeasureChannelPairs(const std::filesystem::path& bus, bool logged,
                                            int pairs) {
    auto backend = std::make_shared<SimHidBackend>(bus);
    const std::optional<SimBusDevices> devices = FindSimBusDevices(*backend);
    if (!devices || devices->keyboardCommand.empty()) {
        return std::nullopt;
    }
    CommandChannel channel(backend);
    {
        std::lock_guard lock(channel.TransferLock());
        if (!channel.Device().Open(devices->keyboardCommand, true, true, true, false)) {
            return std::nullopt;
        }
    }
    channel.SetConnected(true);
    // The text is formatted as in the application; only where it goes differs.
    const TraceSink previous = SetTraceSink([](std::string_view) {});
    const std::vector<std::uint8_t> onePacketFrame(56, 0x5A);
    std::optional<PairCost> cost;
    if (logged) {
        cost = Measure(pairs, [&] { return channel.Begin() == kResultSuccess; });
    } else {
        cost = Measure(pairs,
                       [&] { return channel.SendLightFrame(onePacketFrame) == kResultSuccess; });
    }
    SetTraceSink(previous);
    return cost;
}

}  // namespace quaro::bench
