#pragma once

#include "update/HttpTransport.h"

#include <cstdint>
#include <filesystem>
#include <functional>
#include <span>
#include <string>
#include <string_view>

namespace quaro {

// A small synchronous HTTP(S) client over libcurl: a request with an in-memory reply, a
// download into a file with progress reports, and the installed version. Proxies come from the
// environment as libcurl reads them (http_proxy, https_proxy, no_proxy), or from the named proxy
// when a request asks for it. Every call opens and closes its own transfer.
class HttpClient : public HttpTransport {
public:
    HttpClient() = default;
    explicit HttpClient(HttpClientSettings settings) : m_settings(std::move(settings)) {}

    // Back to the defaults of a fresh client; the trusted authorities are kept.
    void ResetSettings();
    HttpClientSettings& Settings() { return m_settings; }
    const HttpClientSettings& Settings() const { return m_settings; }

    int Request(std::string_view method, const std::string& url, std::span<const uint8_t> body,
                std::span<uint8_t> reply, bool useNamedProxy) override;
    bool Download(const std::string& url, const std::filesystem::path& file,
                  const Progress& progress, bool requireTls = true) override;
    void SetCancelCheck(std::function<bool()> cancelled) override {
        m_cancelled = std::move(cancelled);
    }
    // The libcurl or system error of the last call (0 when it succeeded).
    uint32_t LastError() const override { return m_lastError; }

    // Downloads write to this file, created anew (never one that exists), instead of a name of
    // their own beside the target; empty goes back to a name of their own. A process that runs
    // the download for another can then be ended mid-transfer and its owner still removes
    // what it left.
    void SetTemporaryFile(std::filesystem::path temporary) {
        m_temporaryFile = std::move(temporary);
    }

    // The version this build was installed as, digits only ("1.0.3" gives 103).
    static int32_t InstalledVersion();
    // Every "." removed, the rest read as a decimal number; 0 when it is empty or not a number.
    static int32_t VersionFromText(std::string_view text);

private:
    HttpClientSettings m_settings;
    uint32_t m_lastError = 0;
    std::function<bool()> m_cancelled;
    std::filesystem::path m_temporaryFile;
};

}  // namespace quaro
