#pragma once

#include <filesystem>
#include <optional>
#include <sched.h>

namespace quaro::bench {

// Where the two ends of a measured pair run. Left to the scheduler, an echo sometimes lands on
// the writer's core (a pair then costs two thirds of what it costs across cores) and sometimes
// not, which moved the floor and the channel apart by more than the margin under test. Every
// pair this file measures runs its writer on one core and its echo on another; with a single
// core both share it.
struct PairCores {
    int writer = -1;
    int echo = -1;
};
// The first two cores this process may run on; both -1 when it may run on any one only.
PairCores ChoosePairCores();

// Pins the calling thread to one core (none for -1) for its lifetime, then gives back the cores
// it had. A thread or process started meanwhile inherits the pin.
class ScopedCore {
public:
    explicit ScopedCore(int core);
    ~ScopedCore();
    ScopedCore(const ScopedCore&) = delete;
    ScopedCore& operator=(const ScopedCore&) = delete;

private:
    bool m_pinned = false;
    cpu_set_t m_previous{};
};

// CPU the calling thread spent per request/reply pair, and the wall time a pair took.
struct PairCost {
    double cpuMicroseconds = 0;
    double wallMicroseconds = 0;
    int pairs = 0;
};

// The least a request/reply can cost here: a bare SOCK_SEQPACKET socket pair, an echo thread
// answering at once, 64-byte packets, one write and one blocking read per pair.
enum class FloorEcho {
    kThread,          // the echo is a thread of ours
    kThreadWaitable,  // each read is preceded by a poll on the socket and an eventfd, the wait
                      // a transfer needs to time out and be cancelled
    kProcess,         // the echo is another process, as the emulators are
    kProcessAfterMillisecond,  // the same, answering 1 ms after each request, as the streaming
                               // emulators do: every pair sleeps in its read, as a driver's does
};

std::optional<PairCost> MeasureFloor(int pairs, FloorEcho echo = FloorEcho::kThread);

// The command channel through the sim backend to the keyboard on the bus, started on the echo's
// core of ChoosePairCores: logged pairs (Begin,
// both packets traced into a sink that drops the text) or quiet ones (a one-packet light frame).
std::optional<PairCost> MeasureChannelPairs(const std::filesystem::path& bus, bool logged,
                                            int pairs);

// The same pairs answered by the floor's echo thread instead of an emulator: the channel's own
// cost, with the emulator's slower answer taken out.
std::optional<PairCost> MeasureChannelOverEcho(bool logged, int pairs);

}  // namespace quaro::bench
