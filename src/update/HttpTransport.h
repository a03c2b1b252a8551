#pragma once

#include "profiles/StoredNames.h"

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <string_view>

namespace quaro {

// What one client sends with: identity, the named proxy, time-outs, and the certificate
// authorities it trusts. Each client holds its own, so workers on different threads never
// share them.
struct HttpClientSettings {
    std::string userAgent = "WinHTTP Client/1.0";
    std::string namedProxy;
    std::string proxyUserName;
    std::string proxyPassword;
    uint32_t resolveTimeoutMs = 0;  // no limit
    uint32_t connectTimeoutMs = 60000;
    uint32_t sendTimeoutMs = 30000;
    uint32_t receiveTimeoutMs = 30000;
    // A PEM bundle trusted instead of the system's; empty uses the system's store. Peers and
    // host names are verified either way.
    std::filesystem::path caFile;
};

// One way of making the update layer's transfers: in this process (HttpClient) or in a helper
// process (FetchProcessClient). Callers see the same results either way.
class HttpTransport {
public:
    // Written at the start of the reply buffer when no request could be sent.
    static constexpr std::string_view kNoLinkServer = "NO_LINK_SERVER";
    // Last error codes of the method check.
    static constexpr uint32_t kErrorInvalidFunction = 3;
    static constexpr uint32_t kErrorInvalidParameter = 87;
    // The last error of a transfer its cancel check ended (libcurl's "aborted by callback").
    static constexpr uint32_t kErrorCancelled = 42;
    // Downloads are handed to the caller in pieces of this size.
    static constexpr std::size_t kDownloadPiece = 1024;

    // (total bytes, bytes so far). A total of 0 means the download failed.
    using Progress = std::function<void(double total, double done)>;

    virtual ~HttpTransport() = default;

    // Sends method ("GET" or "POST", any case) with body to url and stores the reply body in
    // reply, whatever the HTTP status. Returns the number of bytes stored; the stored bytes
    // always leave room for a terminating zero. -1 for an empty or unsupported method. When no
    // request could be sent (unreachable host, refused TLS), "NO_LINK_SERVER" is written at
    // the start of reply and the result is 0.
    virtual int Request(std::string_view method, const std::string& url,
                        std::span<const uint8_t> body, std::span<uint8_t> reply,
                        bool useNamedProxy) = 0;

    // Downloads url into file. The size comes from a HEAD request; the body is written to a
    // temporary file beside file and renamed over it only when exactly that many bytes came.
    // Progress gets (total, done) after every full piece and at the end; any failure reports
    // (0, done) once, removes the partial file and returns false. With requireTls only https
    // addresses are fetched.
    virtual bool Download(const std::string& url, const std::filesystem::path& file,
                          const Progress& progress, bool requireTls = true) = 0;

    // Asked while a transfer runs; true ends it as a failure (the owner is stopping).
    virtual void SetCancelCheck(std::function<bool()> cancelled) = 0;

    // The libcurl or system error of the last call (0 when it succeeded).
    virtual uint32_t LastError() const = 0;

protected:
    // 0 for "GET" or "POST" in any case; otherwise the last error a request with it ends with.
    static uint32_t MethodError(std::string_view method) {
        if (method.empty()) {
            return kErrorInvalidFunction;
        }
        return EqualsIgnoringCase(method, "POST") || EqualsIgnoringCase(method, "GET")
                   ? 0
                   : kErrorInvalidParameter;
    }

    HttpTransport() = default;
    HttpTransport(const HttpTransport&) = default;
    HttpTransport(HttpTransport&&) = default;
    HttpTransport& operator=(const HttpTransport&) = default;
    HttpTransport& operator=(HttpTransport&&) = default;
};

// Makes the transport for one call with the given settings.
using HttpTransportFactory =
    std::function<std::unique_ptr<HttpTransport>(const HttpClientSettings&)>;

}  // namespace quaro
