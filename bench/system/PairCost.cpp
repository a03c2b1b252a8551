#include "PairCost.h"

#include "SimBusDevices.h"
#include "device/CommandChannel.h"
#include "device/SimHidBackend.h"

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdint>
#include <ctime>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/prctl.h>
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

// Rounds each cost is measured in. What else the machine does (another process, a frequency
// step, a cache flushed) only ever adds to a round, so the cheapest round is the closest to the
// cost of the code itself, for the floor and for the channel alike; one long run instead
// carried a noise of about a tenth between runs, as large as the margin under test.
constexpr int kRounds = 20;

template <typename Pair>
std::optional<PairCost> Measure(int pairs, Pair pair) {
    for (int i = 0; i < kWarmUpPairs; ++i) {
        if (!pair()) {
            return std::nullopt;
        }
    }
    const int perRound = std::max(1, pairs / kRounds);
    std::optional<PairCost> best;
    for (int round = 0; round < kRounds; ++round) {
        const double cpuStart = ThreadCpuSeconds();
        const double wallStart = WallSeconds();
        for (int i = 0; i < perRound; ++i) {
            if (!pair()) {
                return std::nullopt;
            }
        }
        PairCost cost;
        cost.pairs = perRound;
        cost.cpuMicroseconds = (ThreadCpuSeconds() - cpuStart) * 1e6 / perRound;
        cost.wallMicroseconds = (WallSeconds() - wallStart) * 1e6 / perRound;
        if (!best || cost.cpuMicroseconds < best->cpuMicroseconds) {
            best = cost;
        }
    }
    return best;
}

// One end of a socket pair as an interface; the other end is the echo's.
class EchoBackend : public HidBackend {
public:
    static constexpr const char* kPath = "echo:0#vid_1234&pid_5678&mi_01";

    explicit EchoBackend(int fd) : m_fd(fd) {}
    bool Enumerate(std::vector<std::string>& paths) override {
        paths.push_back(kPath);
        return true;
    }
    bool Handles(const std::string&) const override { return true; }
    std::optional<HidOpenedInterface> Open(const std::string&, const HidOpenMode&) override {
        HidOpenedInterface opened;
        opened.fd = UniqueFd(::dup(m_fd));
        // One unnumbered vendor collection, 64 bytes each way.
        opened.reportDescriptor = {0x06, 0x00, 0xFF, 0x09, 0x01, 0xA1, 0x01, 0x15, 0x00,
                                   0x26, 0xFF, 0x00, 0x75, 0x08, 0x95, 0x40, 0x09, 0x01,
                                   0x81, 0x02, 0x09, 0x02, 0x91, 0x02, 0xC0};
        opened.attributes = {0x1234, 0x5678, 0x0100};
        opened.interfaceNumber = 1;
        return opened;
    }
    std::string Identity(const std::string&) override { return "echo"; }

private:
    int m_fd;
};

std::optional<PairCost> MeasureChannel(CommandChannel& channel, bool logged, int pairs) {
    channel.SetConnected(true);
    const std::vector<std::uint8_t> onePacketFrame(56, 0x5A);
    if (logged) {
        return Measure(pairs, [&] { return channel.Begin() == kResultSuccess; });
    }
    return Measure(pairs, [&] { return channel.SendLightFrame(onePacketFrame) == kResultSuccess; });
}

}  // namespace

PairCores ChoosePairCores() {
    cpu_set_t allowed;
    CPU_ZERO(&allowed);
    PairCores cores;
    if (::sched_getaffinity(0, sizeof(allowed), &allowed) != 0) {
        return cores;
    }
    for (int cpu = 0; cpu < CPU_SETSIZE; ++cpu) {
        if (!CPU_ISSET(cpu, &allowed)) {
            continue;
        }
        if (cores.writer < 0) {
            cores.writer = cpu;
        } else {
            cores.echo = cpu;
            return cores;
        }
    }
    return {};
}

ScopedCore::ScopedCore(int core) {
    if (core < 0 || ::sched_getaffinity(0, sizeof(m_previous), &m_previous) != 0) {
        return;
    }
    cpu_set_t one;
    CPU_ZERO(&one);
    CPU_SET(core, &one);
    m_pinned = ::sched_setaffinity(0, sizeof(one), &one) == 0;
}

ScopedCore::~ScopedCore() {
    if (m_pinned) {
        ::sched_setaffinity(0, sizeof(m_previous), &m_previous);
    }
}

std::optional<PairCost> MeasureFloor(int pairs, FloorEcho echo) {
    int fds[2];
    if (::socketpair(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC, 0, fds) != 0) {
        return std::nullopt;
    }
    const bool late = echo == FloorEcho::kProcessAfterMillisecond;
    const auto answer = [late](int fd) {
        if (late) {
            // As the emulators: the millisecond is not stretched by the timer slack.
            ::prctl(PR_SET_TIMERSLACK, 1UL, 0UL, 0UL, 0UL);
        }
        std::array<std::uint8_t, 64> packet{};
        for (;;) {
            const ssize_t got = ::read(fd, packet.data(), packet.size());
            if (got > 0 && late) {
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
            }
            if (got <= 0 || ::write(fd, packet.data(), static_cast<size_t>(got)) != got) {
                break;
            }
        }
    };
    const PairCores cores = ChoosePairCores();
    std::thread echoThread;
    pid_t echoProcess = -1;
    // The echo inherits the core it is started on.
    std::optional<ScopedCore> onEchoCore(std::in_place, cores.echo);
    if (echo == FloorEcho::kProcess || late) {
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
    onEchoCore.reset();
    const ScopedCore onWriterCore(cores.writer);
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
    const ScopedCore onWriterCore(ChoosePairCores().writer);
    CommandChannel channel(backend);
    {
        std::lock_guard lock(channel.TransferLock());
        if (!channel.Device().Open(devices->keyboardCommand, true, true, true, false)) {
            return std::nullopt;
        }
    }
    return MeasureChannel(channel, logged, pairs);
}

std::optional<PairCost> MeasureChannelOverEcho(bool logged, int pairs) {
    int fds[2];
    if (::socketpair(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC, 0, fds) != 0) {
        return std::nullopt;
    }
    const PairCores cores = ChoosePairCores();
    std::optional<ScopedCore> onEchoCore(std::in_place, cores.echo);
    // A reply is the request itself: report id, the command echoed, status 0.
    std::thread echo([fd = fds[1]] {
        std::array<std::uint8_t, 64> packet{};
        for (;;) {
            const ssize_t got = ::read(fd, packet.data(), packet.size());
            if (got <= 0 || ::write(fd, packet.data(), static_cast<size_t>(got)) != got) {
                break;
            }
        }
    });
    onEchoCore.reset();
    std::optional<PairCost> cost;
    {
        const ScopedCore onWriterCore(cores.writer);
        CommandChannel channel(std::make_shared<EchoBackend>(fds[0]));
        bool opened = false;
        {
            std::lock_guard lock(channel.TransferLock());
            opened = channel.Device().Open(EchoBackend::kPath, true, true, true, false);
        }
        if (opened) {
            cost = MeasureChannel(channel, logged, pairs);
        }
    }
    ::shutdown(fds[0], SHUT_RDWR);
    echo.join();
    ::close(fds[0]);
    ::close(fds[1]);
    return cost;
}

}  // namespace quaro::bench
