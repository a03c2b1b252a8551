#pragma once

#include <condition_variable>
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <sys/types.h>
#include <thread>
#include <vector>

namespace quaro::bench {

// Seconds on CLOCK_MONOTONIC, the clock Qt stamps "%{time boot}" with, so the application's own
// trace times and ours compare directly.
double MonotonicSeconds();

// One line the child wrote to standard error, with when it happened: the time stamp in front of
// the line when it has one (the application's trace lines), else when we read it.
struct TimedLine {
    double seconds = 0;
    std::string text;
};

// A program under measurement: started with extra environment, its standard input ours to write
// and its standard error read line by line on a thread of ours, so it never blocks on a full pipe.
class ChildProcess {
public:
    // Nothing when the program could not be started.
    static std::unique_ptr<ChildProcess> Start(const std::vector<std::string>& argv,
                                               const std::vector<std::string>& environment,
                                               bool stampedLines);
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    pid_t Pid() const { return m_pid; }
    bool WriteLine(std::string_view line);
    // The time of the first line holding `needle` stamped at or after `after`; nothing when none
    // comes within timeoutSeconds.
    std::optional<double> WaitForLine(std::string_view needle, double after, double timeoutSeconds);
    size_t CountLines(std::string_view needle) const;
    // Interrupts the program and waits for it; killed when it has not ended after five seconds.
    void Stop();

private:
    ChildProcess() = default;
    void ReadLines(int fd);

    pid_t m_pid = -1;
    int m_stdin = -1;
    bool m_stampedLines = false;
    std::thread m_reader;
    mutable std::mutex m_mutex;
    std::condition_variable m_lineAdded;
    std::vector<TimedLine> m_lines;
};

// What /proc says about a process, summed over all its threads.
struct ProcessSample {
    double cpuSeconds = 0;  // user + system
    // Voluntary + involuntary switches of each live thread by its id: how often it woke up.
    std::map<pid_t, std::uint64_t> threadSwitches;
    std::uint64_t residentKiB = 0;
    double wallSeconds = 0;
};

std::optional<ProcessSample> SampleProcess(pid_t pid);

// The switches between two samples of one process: threads started meanwhile count from zero,
// threads that ended meanwhile (an idle pool thread retiring) are left out, so a total never
// runs backwards.
std::uint64_t SwitchesBetween(const ProcessSample& before, const ProcessSample& after);

}  // namespace quaro::bench
