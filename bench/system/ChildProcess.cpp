#include "ChildProcess.h"

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <spawn.h>
#include <sstream>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace quaro::bench {

double MonotonicSeconds() {
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) * 1e-9;
}

std::unique_ptr<ChildProcess> ChildProcess::Start(const std::vector<std::string>& argv,
                                                  const std::vector<std::string>& environment,
                                                  bool stampedLines) {
    int input[2];
    int errors[2];
    if (::pipe2(input, O_CLOEXEC) != 0) {
        return nullptr;
    }
    if (::pipe2(errors, O_CLOEXEC) != 0) {
        ::close(input[0]);
        ::close(input[1]);
        return nullptr;
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, input[0], STDIN_FILENO);
    posix_spawn_file_actions_adddup2(&actions, errors[1], STDERR_FILENO);
    // The devices' packet lines and the application's output are not ours to read.
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);

    std::vector<std::string> env;
    for (char** e = environ; *e != nullptr; ++e) {
        env.emplace_back(*e);
    }
    for (const std::string& extra : environment) {
        const std::string key = extra.substr(0, extra.find('=') + 1);
        std::erase_if(env, [&](const std::string& e) { return e.starts_with(key); });
        env.push_back(extra);
    }
    std::vector<char*> argvPointers;
    for (const std::string& a : argv) {
        argvPointers.push_back(const_cast<char*>(a.c_str()));
    }
    argvPointers.push_back(nullptr);
    std::vector<char*> envPointers;
    for (const std::string& e : env) {
        envPointers.push_back(const_cast<char*>(e.c_str()));
    }
    envPointers.push_back(nullptr);

    auto child = std::unique_ptr<ChildProcess>(new ChildProcess);
    child->m_stampedLines = stampedLines;
    const int spawned = ::posix_spawn(&child->m_pid, argv[0].c_str(), &actions, nullptr,
                                      argvPointers.data(), envPointers.data());
    posix_spawn_file_actions_destroy(&actions);
    ::close(input[0]);
    ::close(errors[1]);
    if (spawned != 0) {
        ::close(input[1]);
        ::close(errors[0]);
        return nullptr;
    }
    child->m_stdin = input[1];
    child->m_reader = std::thread([raw = child.get(), fd = errors[0]] { raw->ReadLines(fd); });
    return child;
}

ChildProcess::~ChildProcess() {
    Stop();
}

void ChildProcess::ReadLines(int fd) {
    std::string pending;
    char chunk[4096];
    for (;;) {
        const ssize_t got = ::read(fd, chunk, sizeof chunk);
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got <= 0) {
            break;
        }
        const double readAt = MonotonicSeconds();
        pending.append(chunk, static_cast<size_t>(got));
        for (size_t end; (end = pending.find('\n')) != std::string::npos;) {
            TimedLine line{readAt, pending.substr(0, end)};
            pending.erase(0, end + 1);
            if (m_stampedLines) {
                // "<seconds since boot> <text>"
                char* rest = nullptr;
                const double stamp = std::strtod(line.text.c_str(), &rest);
                if (rest != line.text.c_str() && *rest == ' ') {
                    line.seconds = stamp;
                    line.text.erase(0, static_cast<size_t>(rest - line.text.c_str()) + 1);
                }
            }
            std::lock_guard lock(m_mutex);
            m_lines.push_back(std::move(line));
            m_lineAdded.notify_all();
        }
    }
    ::close(fd);
}

bool ChildProcess::WriteLine(std::string_view line) {
    std::string text(line);
    text += '\n';
    return ::write(m_stdin, text.data(), text.size()) == static_cast<ssize_t>(text.size());
}

std::optional<double> ChildProcess::WaitForLine(std::string_view needle, double after,
                                                double timeoutSeconds) {
    const auto end = std::chrono::steady_clock::now() +
                     std::chrono::duration_cast<std::chrono::steady_clock::duration>(
                         std::chrono::duration<double>(timeoutSeconds));
    std::unique_lock lock(m_mutex);
    size_t checked = 0;
    for (;;) {
        for (; checked < m_lines.size(); ++checked) {
            const TimedLine& line = m_lines[checked];
            if (line.seconds >= after && line.text.find(needle) != std::string::npos) {
                return line.seconds;
            }
        }
        if (m_lineAdded.wait_until(lock, end) == std::cv_status::timeout &&
            checked == m_lines.size()) {
            return std::nullopt;
        }
    }
}

size_t ChildProcess::CountLines(std::string_view needle) const {
    std::lock_guard lock(m_mutex);
    size_t count = 0;
    for (const TimedLine& line : m_lines) {
        count += line.text.find(needle) != std::string::npos ? 1 : 0;
    }
    return count;
}

void ChildProcess::Stop() {
    if (m_pid > 0) {
        ::kill(m_pid, SIGTERM);
        int status = 0;
        bool ended = false;
        for (int i = 0; i < 500 && !ended; ++i) {
            ended = ::waitpid(m_pid, &status, WNOHANG) == m_pid;
            if (!ended) {
                ::usleep(10000);
            }
        }
        if (!ended) {
            ::kill(m_pid, SIGKILL);
            ::waitpid(m_pid, &status, 0);
        }
        m_pid = -1;
    }
    if (m_stdin >= 0) {
        ::close(m_stdin);
        m_stdin = -1;
    }
    if (m_reader.joinable()) {
        m_reader.join();
    }
}

namespace {

std::optional<std::string> ReadText(const std::filesystem::path& path) {
    std::ifstream file(path);
    if (!file) {
        return std::nullopt;
    }
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

// The value after "\n<name>"; the line feed keeps "voluntary_..." from matching
// "nonvoluntary_...".
std::uint64_t StatusField(const std::string& status, const std::string& name) {
    const size_t at = status.find("\n" + name);
    if (at == std::string::npos) {
        return 0;
    }
    return std::strtoull(status.c_str() + at + 1 + name.size(), nullptr, 10);
}

}  // namespace

std::optional<ProcessSample> SampleProcess(pid_t pid) {
    const std::filesystem::path proc = "/proc/" + std::to_string(pid);
    ProcessSample sample;
    sample.wallSeconds = MonotonicSeconds();
    const std::optional<std::string> stat = ReadText(proc / "stat");
    const std::optional<std::string> status = ReadText(proc / "status");
    if (!stat || !status) {
        return std::nullopt;
    }
    // The command name may hold spaces; the fields after it start behind its closing ')'.
    const size_t close = stat->rfind(')');
    if (close == std::string::npos) {
        return std::nullopt;
    }
    std::istringstream fields(stat->substr(close + 2));
    std::string field;
    std::uint64_t utime = 0;
    std::uint64_t stime = 0;
    for (int index = 3; fields >> field && index <= 15; ++index) {
        if (index == 14) {
            utime = std::strtoull(field.c_str(), nullptr, 10);
        } else if (index == 15) {
            stime = std::strtoull(field.c_str(), nullptr, 10);
        }
    }
    sample.cpuSeconds =
        static_cast<double>(utime + stime) / static_cast<double>(sysconf(_SC_CLK_TCK));
    sample.residentKiB = StatusField(*status, "VmRSS:");
    std::error_code error;
    for (const auto& task : std::filesystem::directory_iterator(proc / "task", error)) {
        if (const std::optional<std::string> taskStatus = ReadText(task.path() / "status")) {
            const auto tid =
                static_cast<pid_t>(std::strtol(task.path().filename().c_str(), nullptr, 10));
            sample.threadSwitches[tid] = StatusField(*taskStatus, "voluntary_ctxt_switches:") +
                                         StatusField(*taskStatus, "nonvoluntary_ctxt_switches:");
        }
    }
    return sample;
}

std::uint64_t SwitchesBetween(const ProcessSample& before, const ProcessSample& after) {
    std::uint64_t switches = 0;
    for (const auto& [tid, count] : after.threadSwitches) {
        const auto earlier = before.threadSwitches.find(tid);
        const std::uint64_t start = earlier != before.threadSwitches.end() ? earlier->second : 0;
        // A thread id reused by a new thread may show fewer switches than the old one had.
        switches += count >= start ? count - start : count;
    }
    return switches;
}

}  // namespace quaro::bench
