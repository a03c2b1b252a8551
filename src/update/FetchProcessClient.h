#pragma once

#include "update/FetchProtocol.h"
#include "update/HttpTransport.h"

#include <filesystem>
#include <functional>
#include <string>
#include <sys/types.h>

namespace quaro {

// Makes each transfer in a short-lived helper process, quaro-fetch, so this process never loads
// the network and TLS libraries (which stay resident once loaded) nor parses what the network
// sent. One child per call; the request and its settings, proxy credentials among them, go
// through a pipe and never onto a command line. The child inherits the environment, so the
// proxy variables reach it.
//
// Results are those of HttpClient. A helper that cannot be started, dies or answers something
// unreadable is refused with a trace: Request then fails as when nothing could be sent, Download
// as a failed download. A cancelled call kills the child and fails the same way, with
// kErrorCancelled as its last error; a download's temporary file goes with it.
class FetchProcessClient : public HttpTransport {
public:
    // How often the cancel check is asked while the child works.
    static constexpr int kCancelPollMs = 50;
    // The last error when the helper could not be run or answered nothing usable.
    static constexpr uint32_t kErrorHelperFailed = 71;  // EPROTO

    // helper empty: quaro-fetch beside the running executable.
    explicit FetchProcessClient(HttpClientSettings settings = {},
                                std::filesystem::path helper = {});

    int Request(std::string_view method, const std::string& url, std::span<const uint8_t> body,
                std::span<uint8_t> reply, bool useNamedProxy) override;
    bool Download(const std::string& url, const std::filesystem::path& file,
                  const Progress& progress, bool requireTls = true) override;
    void SetCancelCheck(std::function<bool()> cancelled) override {
        m_cancelled = std::move(cancelled);
    }
    uint32_t LastError() const override { return m_lastError; }

    const std::filesystem::path& Helper() const { return m_helper; }

private:
    enum class RunEnd { Answered, Cancelled, Failed };
    struct Run {
        RunEnd end = RunEnd::Failed;
        bool haveResult = false;
        FetchLine result;
        uint32_t error = 0;
    };
    // Starts the helper, hands it the request and reads its lines until it exits; progress
    // lines go to onProgress as they come.
    Run RunHelper(const FetchRequest& request,
                  const std::function<void(double, double)>& onProgress, std::size_t maxLine);

    HttpClientSettings m_settings;
    std::filesystem::path m_helper;
    uint32_t m_lastError = 0;
    std::function<bool()> m_cancelled;
};

// A factory of process clients; helper as in FetchProcessClient's constructor.
HttpTransportFactory FetchProcessFactory(std::filesystem::path helper = {});

}  // namespace quaro
