#include "update/FetchProcessClient.h"

#include "platform/Paths.h"
#include "platform/Trace.h"
#include "platform/UniqueFd.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <random>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>
#include <utility>

extern char** environ;

namespace quaro {
namespace {

constexpr std::size_t kMaxTraceLine = 64 * 1024;

// Beside the target like HttpClient's own names, but chosen here, so that what a killed child
// left can be removed.
std::filesystem::path TemporaryNameFor(const std::filesystem::path& file) {
    std::random_device random;
    char suffix[32];
    std::snprintf(suffix, sizeof suffix, "%08x%08x", static_cast<unsigned>(random()),
                  static_cast<unsigned>(random()));
    return file.string() + ".part-" + suffix;
}

// The child and everything it still holds are gone once this returns.
void KillAndReap(pid_t pid) {
    ::kill(pid, SIGKILL);
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
}

void SetNonBlocking(int fd) {
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) | O_NONBLOCK);
}

struct Spawned {
    pid_t pid = -1;
    int error = 0;
};

// stdin and stdout are the given descriptors, stderr is shared with this process, and every
// other descriptor is closed: the child must not keep a device or socket of ours open.
Spawned Spawn(const std::filesystem::path& helper, int input, int output) {
    Spawned spawned;
    posix_spawn_file_actions_t actions;
    posix_spawnattr_t attributes;
    posix_spawn_file_actions_init(&actions);
    posix_spawnattr_init(&attributes);
    posix_spawn_file_actions_adddup2(&actions, input, STDIN_FILENO);
    posix_spawn_file_actions_adddup2(&actions, output, STDOUT_FILENO);
    posix_spawn_file_actions_addclosefrom_np(&actions, STDERR_FILENO + 1);
    // Worker threads may block signals or the application may ignore some; the child starts
    // with the defaults, so a parent that goes away ends it through SIGPIPE.
    sigset_t none;
    sigset_t all;
    sigemptyset(&none);
    sigfillset(&all);
    posix_spawnattr_setsigmask(&attributes, &none);
    posix_spawnattr_setsigdefault(&attributes, &all);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);
    std::string path = helper.string();
    char* argv[] = {path.data(), nullptr};
    spawned.error = ::posix_spawn(&spawned.pid, path.c_str(), &actions, &attributes, argv, environ);
    posix_spawnattr_destroy(&attributes);
    posix_spawn_file_actions_destroy(&actions);
    return spawned;
}

}  // namespace

FetchProcessClient::FetchProcessClient(HttpClientSettings settings, std::filesystem::path helper)
    : m_settings(std::move(settings)),
      m_helper(helper.empty() ? ExecutableDirectory() / "quaro-fetch" : std::move(helper)) {}

FetchProcessClient::Run FetchProcessClient::RunHelper(
    const FetchRequest& request, const std::function<void(double, double)>& onProgress,
    std::size_t maxLine) {
    Run run;
    const std::string document = EncodeFetchRequest(request);
    auto refuse = [&](const char* why) {
        TraceFormat("fetch helper %s refused: %s", m_helper.c_str(), why);
        run.end = RunEnd::Failed;
        run.haveResult = false;
        run.error = kErrorHelperFailed;
        return run;
    };

    // A socket for the request, written with MSG_NOSIGNAL: a child that dies before reading
    // it must not take this process with it through SIGPIPE.
    int inputPair[2];
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, inputPair) != 0) {
        return refuse(std::strerror(errno));
    }
    UniqueFd input(inputPair[0]);
    UniqueFd childInput(inputPair[1]);
    int outputPipe[2];
    if (::pipe2(outputPipe, O_CLOEXEC) != 0) {
        return refuse(std::strerror(errno));
    }
    UniqueFd output(outputPipe[0]);
    UniqueFd childOutput(outputPipe[1]);

    const Spawned spawned = Spawn(m_helper, childInput.Get(), childOutput.Get());
    childInput.Reset();
    childOutput.Reset();
    if (spawned.error != 0) {
        refuse(std::strerror(spawned.error));
        run.error = static_cast<uint32_t>(spawned.error);
        return run;
    }
    const pid_t pid = spawned.pid;
    SetNonBlocking(input.Get());
    SetNonBlocking(output.Get());

    std::size_t sent = 0;
    std::string pending;
    bool exited = false;
    int status = 0;
    // Every way out below has reaped the child.
    auto abandon = [&](const char* why) {
        KillAndReap(pid);
        return refuse(why);
    };
    while (!exited) {
        pollfd entries[2];
        nfds_t count = 0;
        if (output.Valid()) {
            entries[count++] = pollfd{output.Get(), POLLIN, 0};
        }
        if (input.Valid()) {
            entries[count++] = pollfd{input.Get(), POLLOUT, 0};
        }
        ::poll(count != 0 ? entries : nullptr, count, kCancelPollMs);

        if (m_cancelled && m_cancelled()) {
            KillAndReap(pid);
            TraceFormat("fetch helper stopped: %s", request.url.c_str());
            run.end = RunEnd::Cancelled;
            run.haveResult = false;
            run.error = kErrorCancelled;
            return run;
        }

        if (input.Valid()) {
            const ssize_t written = ::send(input.Get(), document.data() + sent,
                                           document.size() - sent, MSG_NOSIGNAL | MSG_DONTWAIT);
            if (written > 0) {
                sent += static_cast<std::size_t>(written);
            }
            // A child that stopped reading gets no more; its answer, or none, tells the rest.
            if (sent == document.size() ||
                (written < 0 && errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR)) {
                input.Reset();
            }
        }

        if (output.Valid()) {
            char chunk[16384];
            const ssize_t got = ::read(output.Get(), chunk, sizeof chunk);
            if (got == 0) {
                output.Reset();
            } else if (got > 0) {
                pending.append(chunk, static_cast<std::size_t>(got));
                std::size_t start = 0;
                for (std::size_t end = pending.find('\n'); end != std::string::npos;
                     end = pending.find('\n', start)) {
                    const std::string_view text(pending.data() + start, end - start);
                    start = end + 1;
                    std::optional<FetchLine> line =
                        text.size() <= maxLine ? ParseFetchLine(text) : std::nullopt;
                    if (!line || run.haveResult) {
                        return abandon(line ? "more after the result" : "unreadable answer");
                    }
                    if (line->kind == FetchLine::Kind::Progress) {
                        if (onProgress) {
                            onProgress(line->total, line->done);
                        }
                    } else if (line->kind == FetchLine::Kind::Trace) {
                        Trace(line->text);
                    } else {
                        run.result = std::move(*line);
                        run.haveResult = true;
                    }
                }
                pending.erase(0, start);
                if (pending.size() > maxLine) {
                    return abandon("answer too long");
                }
            } else if (errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR) {
                output.Reset();
            }
        }

        if (!output.Valid()) {
            const pid_t reaped = ::waitpid(pid, &status, WNOHANG);
            exited = reaped == pid || (reaped < 0 && errno != EINTR);
        }
    }

    if (!pending.empty()) {
        return refuse("unfinished line");
    }
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        return refuse(WIFSIGNALED(status) ? "killed by a signal" : "failed");
    }
    if (!run.haveResult) {
        return refuse("no result");
    }
    run.end = RunEnd::Answered;
    return run;
}

int FetchProcessClient::Request(std::string_view method, const std::string& url,
                                std::span<const uint8_t> body, std::span<uint8_t> reply,
                                bool useNamedProxy) {
    // The same checks as the helper's, made here so a wrong method costs no process.
    m_lastError = MethodError(method);
    if (m_lastError != 0) {
        return -1;
    }

    FetchRequest request;
    request.operation = FetchOperation::Request;
    request.settings = m_settings;
    request.url = url;
    request.method = std::string(method);
    request.body.assign(body.begin(), body.end());
    request.replyCapacity = std::min(reply.size(), kFetchMaxReplyCapacity);
    request.useNamedProxy = useNamedProxy;

    auto notSent = [&](uint32_t error) {
        m_lastError = error;
        const std::size_t bytes = std::min(kNoLinkServer.size(), reply.size());
        std::copy_n(kNoLinkServer.data(), bytes, reply.data());
        return 0;
    };
    // The reply travels in base64 within one line.
    const std::size_t maxLine = std::max(kMaxTraceLine, request.replyCapacity / 3 * 4 + 4096);
    const Run run = RunHelper(request, {}, maxLine);
    if (run.end != RunEnd::Answered) {
        return notSent(run.error);
    }
    const FetchLine& answer = run.result;
    const int64_t most =
        request.replyCapacity == 0 ? 0 : static_cast<int64_t>(request.replyCapacity) - 1;
    const bool fits =
        answer.result >= 0 && answer.result <= most && answer.reply.size() <= reply.size() &&
        (answer.result == 0 || answer.reply.size() == static_cast<std::size_t>(answer.result));
    if (!fits) {
        TraceFormat("fetch helper %s refused: reply of %lld bytes does not fit", m_helper.c_str(),
                    static_cast<long long>(answer.result));
        return notSent(kErrorHelperFailed);
    }
    std::copy(answer.reply.begin(), answer.reply.end(), reply.begin());
    m_lastError = answer.lastError;
    return static_cast<int>(answer.result);
}

bool FetchProcessClient::Download(const std::string& url, const std::filesystem::path& file,
                                  const Progress& progress, bool requireTls) {
    m_lastError = 0;
    FetchRequest request;
    request.operation = FetchOperation::Download;
    request.settings = m_settings;
    request.url = url;
    request.file = file;
    request.temporary = TemporaryNameFor(file);
    request.requireTls = requireTls;

    double done = 0;
    bool failureReported = false;
    const Run run = RunHelper(
        request,
        [&](double total, double bytes) {
            done = bytes;
            failureReported = failureReported || total == 0;
            if (progress) {
                progress(total, bytes);
            }
        },
        kMaxTraceLine);
    const bool answered =
        run.end == RunEnd::Answered && (run.result.result == 0 || run.result.result == 1);
    if (run.end == RunEnd::Answered && !answered) {
        TraceFormat("fetch helper %s refused: download result %lld", m_helper.c_str(),
                    static_cast<long long>(run.result.result));
    }
    // The child has been reaped. One that answered renamed its temporary file or removed it
    // itself; one that was killed, died or answered nonsense may have left it behind.
    if (!answered) {
        ::unlink(request.temporary.c_str());
    }
    m_lastError = answered ? run.result.lastError
                           : (run.end == RunEnd::Answered ? kErrorHelperFailed : run.error);
    const bool succeeded = answered && run.result.result == 1;
    if (!succeeded && !failureReported && progress) {
        progress(0.0, done);
    }
    return succeeded;
}

HttpTransportFactory FetchProcessFactory(std::filesystem::path helper) {
    return [helper = std::move(helper)](const HttpClientSettings& settings) {
        return std::make_unique<FetchProcessClient>(settings, helper);
    };
}

}  // namespace quaro
