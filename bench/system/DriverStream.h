#pragma once

#include <filesystem>
#include <optional>
#include <string>

namespace quaro::bench {

// The application's drivers animating the three devices on the bus at the 5 ms frame tick.
struct StreamFigures {
    double seconds = 0;
    double cpuShare = 0;  // of one core, the whole process (every driver thread)
    // Of cpuShare, what the three light threads took (their passes, not the frames they feed);
    // negative when the threads' own clocks could not be read.
    double lightCpuShare = -1;
    // Context switches of every thread of the process, voluntary and not, per second: each is a
    // wake-up, and on a machine where a system call costs microseconds the wake-ups rather than
    // the work between them decide most of the CPU.
    double wakeUpsPerSecond = 0;
    double packetsPerSecond = 0;
    double repliedPacketsPerSecond = 0;  // of packetsPerSecond, those that wait for a reply
    double keyboardFramesPerSecond = 0;
    double padFramesPerSecond = 0;
    double headsetFramesPerSecond = 0;
    double longestKeyboardGapMs = 0;  // seen at the 5 ms tick, so up to 5 ms coarse
    // How late the benchmark's own tick (which both offers the frames and looks for them) came
    // at worst: a gap no longer than this is the ticking thread's wait for a core, not the
    // drivers'.
    double longestTickLatenessMs = 0;
};

std::optional<StreamFigures> MeasureStreaming(const std::filesystem::path& bus, double seconds,
                                              std::string& error);

// A keyboard profile switch (settings record, macros, key image) against its exchanges.
struct SwitchFigures {
    double switchMs = 0;
    double packets = 0;  // logged request packets per switch
    double ends = 0;     // End commands per switch, each after the protocol's 10 ms pause
    double roundTripMs = 0;
    double exchangesMs = 0;  // packets x round trip + ends x 10 ms
};

std::optional<SwitchFigures> MeasureProfileSwitch(const std::filesystem::path& bus, int switches,
                                                  std::string& error);

}  // namespace quaro::bench
