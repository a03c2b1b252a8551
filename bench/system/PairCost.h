#pragma once

#include <filesystem>
#include <optional>

namespace quaro::bench {

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

// The command channel through the sim backend to the keyboard on the bus: logged pairs (Begin,
// both packets traced into a sink that drops the text) or quiet ones (a one-packet light frame).
std::optional<PairCost> MeasureChannelPairs(const std::filesystem::path& bus, bool logged,
                                            int pairs);

// The same pairs answered by the floor's echo thread instead of an emulator: the channel's own
// cost, with the emulator's slower answer taken out.
std::optional<PairCost> MeasureChannelOverEcho(bool logged, int pairs);

}  // namespace quaro::bench
