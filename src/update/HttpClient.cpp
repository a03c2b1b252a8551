#include "update/HttpClient.h"

#include "platform/Trace.h"
#include "update/UpdateProtocol.h"

#include <curl/curl.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <memory>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace quaro {
namespace {

// libcurl's global state is set up once, before the first transfer of any thread.
void EnsureCurlReady() {
    struct CurlGlobal {
        CurlGlobal() { curl_global_init(CURL_GLOBAL_DEFAULT); }
        ~CurlGlobal() { curl_global_cleanup(); }
    };
    static CurlGlobal global;
}

using CurlHandle = std::unique_ptr<CURL, decltype(&curl_easy_cleanup)>;
using HeaderList = std::unique_ptr<curl_slist, decltype(&curl_slist_free_all)>;

CurlHandle NewHandle() {
    EnsureCurlReady();
    return CurlHandle(curl_easy_init(), &curl_easy_cleanup);
}

bool IsHttpsUrl(std::string_view url) {
    constexpr std::string_view kScheme = "https://";
    return url.size() > kScheme.size() &&
           EqualsIgnoringCase(url.substr(0, kScheme.size()), kScheme);
}

int CheckCancel(void* user, curl_off_t, curl_off_t, curl_off_t, curl_off_t);

// What every transfer shares: time-outs, identity, and TLS that always checks the peer's
// certificate chain and that it was issued for the host asked for.
void ApplyCommon(CURL* curl, const HttpClientSettings& settings,
                 const std::function<bool()>& cancelled) {
    curl_easy_setopt(curl, CURLOPT_NOPROGRESS, 0L);
    curl_easy_setopt(curl, CURLOPT_XFERINFOFUNCTION, &CheckCancel);
    curl_easy_setopt(curl, CURLOPT_XFERINFODATA, &cancelled);
    curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(curl, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(curl, CURLOPT_SSL_VERIFYPEER, 1L);
    curl_easy_setopt(curl, CURLOPT_SSL_VERIFYHOST, 2L);
    if (!settings.caFile.empty()) {
        curl_easy_setopt(curl, CURLOPT_CAINFO, settings.caFile.c_str());
    }
    if (settings.connectTimeoutMs != 0) {
        // Name resolution is part of connecting for libcurl, so its own limit adds to this one.
        curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT_MS,
                         static_cast<long>(settings.connectTimeoutMs) +
                             static_cast<long>(settings.resolveTimeoutMs));
    }
    // Sending and receiving time out when the line stays silent this long.
    const uint32_t silentMs = std::max(settings.sendTimeoutMs, settings.receiveTimeoutMs);
    if (silentMs != 0) {
        curl_easy_setopt(curl, CURLOPT_LOW_SPEED_LIMIT, 1L);
        curl_easy_setopt(curl, CURLOPT_LOW_SPEED_TIME,
                         std::max(1L, static_cast<long>(silentMs / 1000)));
    }
}

struct ReplySink {
    std::span<uint8_t> buffer;
    std::size_t stored = 0;
};

// Keeps what fits with a terminating zero behind it and lets the rest go by, so a long reply is
// cut rather than written past the caller's buffer.
size_t TakeReply(char* data, size_t size, size_t count, void* user) {
    auto* sink = static_cast<ReplySink*>(user);
    const size_t bytes = size * count;
    const size_t capacity = sink->buffer.empty() ? 0 : sink->buffer.size() - 1;
    const size_t room = capacity > sink->stored ? capacity - sink->stored : 0;
    const size_t taken = std::min(bytes, room);
    if (taken != 0) {
        std::memcpy(sink->buffer.data() + sink->stored, data, taken);
        sink->stored += taken;
    }
    return bytes;
}

struct DownloadSink {
    int fd = -1;
    curl_off_t total = 0;
    curl_off_t done = 0;
    curl_off_t reported = 0;
    const HttpClient::Progress* progress = nullptr;
    bool failed = false;
};

bool WriteAll(int fd, const char* data, size_t bytes) {
    while (bytes != 0) {
        const ssize_t written = ::write(fd, data, bytes);
        if (written < 0) {
            if (errno == EINTR) {
                continue;
            }
            return false;
        }
        data += written;
        bytes -= static_cast<size_t>(written);
    }
    return true;
}

// Writes the body and reports it in whole pieces, whatever sizes the network delivers in.
size_t TakeDownload(char* data, size_t size, size_t count, void* user) {
    auto* sink = static_cast<DownloadSink*>(user);
    const size_t bytes = size * count;
    // More than the server announced is not the file it announced.
    if (sink->done + static_cast<curl_off_t>(bytes) > sink->total ||
        !WriteAll(sink->fd, data, bytes)) {
        sink->failed = true;
        return 0;
    }
    sink->done += static_cast<curl_off_t>(bytes);
    constexpr auto kPiece = static_cast<curl_off_t>(HttpClient::kDownloadPiece);
    // The last piece is reported only once the file is complete under its own name.
    while (sink->reported + kPiece <= sink->done && sink->reported + kPiece < sink->total) {
        sink->reported += kPiece;
        if (*sink->progress) {
            (*sink->progress)(static_cast<double>(sink->total),
                              static_cast<double>(sink->reported));
        }
    }
    return bytes;
}

int CheckCancel(void* user, curl_off_t, curl_off_t, curl_off_t, curl_off_t) {
    const auto* cancelled = static_cast<const std::function<bool()>*>(user);
    return *cancelled && (*cancelled)() ? 1 : 0;
}

size_t DiscardBody(char*, size_t size, size_t count, void*) {
    return size * count;
}

}  // namespace

void HttpClient::ResetSettings() {
    HttpClientSettings fresh;
    fresh.caFile = m_settings.caFile;
    m_settings = std::move(fresh);
    m_lastError = 0;
}

int HttpClient::Request(std::string_view method, const std::string& url,
                        std::span<const uint8_t> body, std::span<uint8_t> reply,
                        bool useNamedProxy) {
    m_lastError = MethodError(method);
    if (m_lastError != 0) {
        return -1;
    }
    const bool post = EqualsIgnoringCase(method, "POST");

    ReplySink sink{reply, 0};
    bool sent = false;
    if (CurlHandle curl = NewHandle()) {
        CURL* handle = curl.get();
        ApplyCommon(handle, m_settings, m_cancelled);
        curl_easy_setopt(handle, CURLOPT_URL, url.c_str());
        curl_easy_setopt(handle, CURLOPT_USERAGENT, m_settings.userAgent.c_str());
        curl_easy_setopt(handle, CURLOPT_FOLLOWLOCATION, 1L);
        curl_easy_setopt(handle, CURLOPT_MAXREDIRS, 5L);
        curl_easy_setopt(handle, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
        curl_easy_setopt(handle, CURLOPT_WRITEFUNCTION, &TakeReply);
        curl_easy_setopt(handle, CURLOPT_WRITEDATA, &sink);

        // Three headers, each on its own line; "Expect:" keeps libcurl from adding a fourth.
        const std::string length = "Content-Length: " + std::to_string(body.size());
        HeaderList headers(nullptr, &curl_slist_free_all);
        for (const char* line : {length.c_str(), "Content-Type: application/x-www-form-urlencoded",
                                 "Accept:application/prs.Quaro.v1+json", "Expect:"}) {
            headers.reset(curl_slist_append(headers.release(), line));
        }
        curl_easy_setopt(handle, CURLOPT_HTTPHEADER, headers.get());
        if (post || !body.empty()) {
            curl_easy_setopt(handle, CURLOPT_POSTFIELDS, body.data());
            curl_easy_setopt(handle, CURLOPT_POSTFIELDSIZE_LARGE,
                             static_cast<curl_off_t>(body.size()));
            if (!post) {
                curl_easy_setopt(handle, CURLOPT_CUSTOMREQUEST, "GET");
            }
        }
        if (useNamedProxy && !m_settings.namedProxy.empty()) {
            curl_easy_setopt(handle, CURLOPT_PROXY, m_settings.namedProxy.c_str());
            if (!m_settings.proxyUserName.empty()) {
                curl_easy_setopt(handle, CURLOPT_PROXYUSERNAME, m_settings.proxyUserName.c_str());
                if (!m_settings.proxyPassword.empty()) {
                    curl_easy_setopt(handle, CURLOPT_PROXYPASSWORD,
                                     m_settings.proxyPassword.c_str());
                }
            }
        }

        const CURLcode code = curl_easy_perform(handle);
        long requestBytes = 0;
        curl_easy_getinfo(handle, CURLINFO_REQUEST_SIZE, &requestBytes);
        // A request that left this machine whole counts as sent, even if no reply followed.
        sent = requestBytes > 0;
        if (code != CURLE_OK) {
            m_lastError = static_cast<uint32_t>(code);
            TraceFormat("http request failed: %s", curl_easy_strerror(code));
        }
    }
    if (!sent) {
        const size_t bytes = std::min(kNoLinkServer.size(), reply.size());
        std::copy_n(kNoLinkServer.data(), bytes, reply.data());
        return 0;
    }
    return static_cast<int>(sink.stored);
}

bool HttpClient::Download(const std::string& url, const std::filesystem::path& file,
                          const Progress& progress, bool requireTls) {
    m_lastError = 0;
    curl_off_t total = 0;
    curl_off_t done = 0;
    std::string temporary;
    bool succeeded = false;

    auto fail = [&](const char* why) {
        TraceFormat("download failed (%s): %s", why, url.c_str());
        if (progress) {
            progress(0.0, static_cast<double>(done));
        }
        if (!temporary.empty()) {
            ::unlink(temporary.c_str());
        }
        return false;
    };

    if (requireTls && !IsHttpsUrl(url)) {
        return fail("not a verified address");
    }
    CurlHandle curl = NewHandle();
    if (!curl) {
        return fail("no transfer");
    }
    CURL* handle = curl.get();
    ApplyCommon(handle, m_settings, m_cancelled);
    curl_easy_setopt(handle, CURLOPT_URL, url.c_str());
    curl_easy_setopt(handle, CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(handle, CURLOPT_MAXREDIRS, 5L);
    curl_easy_setopt(handle, CURLOPT_REDIR_PROTOCOLS_STR, requireTls ? "https" : "http,https");
    curl_easy_setopt(handle, CURLOPT_FAILONERROR, 1L);
    // Downloads go straight to the server, never through the user's proxies.
    curl_easy_setopt(handle, CURLOPT_PROXY, "");

    // The size first: the body is checked against it.
    curl_easy_setopt(handle, CURLOPT_NOBODY, 1L);
    curl_easy_setopt(handle, CURLOPT_WRITEFUNCTION, &DiscardBody);
    CURLcode code = curl_easy_perform(handle);
    if (code != CURLE_OK) {
        m_lastError = static_cast<uint32_t>(code);
        return fail(curl_easy_strerror(code));
    }
    curl_easy_getinfo(handle, CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &total);
    if (total <= 0) {
        return fail("no size");
    }

    std::string pattern = file.string() + ".part-XXXXXX";
    const int fd = m_temporaryFile.empty()
                       ? ::mkstemp(pattern.data())
                       : ::open(m_temporaryFile.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC,
                                S_IRUSR | S_IWUSR);
    if (fd < 0) {
        m_lastError = static_cast<uint32_t>(errno);
        return fail("temporary file");
    }
    temporary = m_temporaryFile.empty() ? pattern : m_temporaryFile.string();

    DownloadSink sink;
    sink.fd = fd;
    sink.total = total;
    sink.progress = &progress;
    curl_easy_setopt(handle, CURLOPT_NOBODY, 0L);
    curl_easy_setopt(handle, CURLOPT_HTTPGET, 1L);
    curl_easy_setopt(handle, CURLOPT_WRITEFUNCTION, &TakeDownload);
    curl_easy_setopt(handle, CURLOPT_WRITEDATA, &sink);
    code = curl_easy_perform(handle);
    done = sink.done;
    if (code != CURLE_OK) {
        m_lastError = static_cast<uint32_t>(code);
    }
    // An installer is run, so it must be complete and only this user may write it.
    succeeded = code == CURLE_OK && !sink.failed && sink.done == total && ::fsync(fd) == 0 &&
                ::fchmod(fd, S_IRWXU) == 0;
    ::close(fd);
    if (!succeeded) {
        return fail(code != CURLE_OK ? curl_easy_strerror(code) : "size differs");
    }
    if (std::rename(temporary.c_str(), file.c_str()) != 0) {
        m_lastError = static_cast<uint32_t>(errno);
        return fail("rename");
    }
    if (progress) {
        progress(static_cast<double>(total), static_cast<double>(total));
    }
    return true;
}

int32_t HttpClient::VersionFromText(std::string_view text) {
    return quaro::VersionFromText(text);
}

int32_t HttpClient::InstalledVersion() {
    return quaro::InstalledVersion();
}

}  // namespace quaro
