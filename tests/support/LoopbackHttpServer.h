#pragma once

#include <atomic>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <utility>
#include <vector>

namespace quaro::test {

// A small HTTP/1.1 server on 127.0.0.1 for the update tests: one connection at a time, one
// request per connection, every request recorded byte for byte. With a certificate and key it
// speaks TLS (OpenSSL), so clients can be tried against trusted and untrusted certificates.
class LoopbackHttpServer {
public:
    struct Request {
        std::string method;
        std::string target;
        std::string head;  // request line and headers as received, up to the empty line
        std::vector<std::pair<std::string, std::string>> headers;  // in received order
        std::string body;
    };
    struct Response {
        int status = 200;
        std::string body;
        // Sent as Content-Length instead of the body's size (a body cut short).
        std::optional<size_t> announcedLength;
        bool omitLength = false;
    };
    using Handler = std::function<Response(const Request&)>;

    struct Tls {
        std::filesystem::path certificate;
        std::filesystem::path key;
    };

    explicit LoopbackHttpServer(Handler handler, std::optional<Tls> tls = std::nullopt);
    ~LoopbackHttpServer();
    LoopbackHttpServer(const LoopbackHttpServer&) = delete;
    LoopbackHttpServer& operator=(const LoopbackHttpServer&) = delete;

    uint16_t Port() const { return m_port; }
    // "http://127.0.0.1:<port>" or "https://localhost:<port>".
    std::string BaseUrl() const;
    std::vector<Request> Requests() const;
    // Connections whose TLS handshake failed.
    int RefusedHandshakes() const { return m_refusedHandshakes.load(); }

    // A port on 127.0.0.1 that nothing listens on.
    static uint16_t ClosedPort();

private:
    void Serve();
    void HandleConnection(int fd);

    Handler m_handler;
    bool m_tls = false;
    void* m_context = nullptr;  // SSL_CTX
    int m_listenFd = -1;
    int m_wakeFd = -1;
    uint16_t m_port = 0;
    std::atomic<int> m_refusedHandshakes{0};
    mutable std::mutex m_mutex;
    std::vector<Request> m_requests;
    std::thread m_thread;
};

// The test certificates beside the update tests: an authority, a server certificate it issued
// for 127.0.0.1 and localhost, and a self-signed one for the same names.
std::filesystem::path TestCertificateFolder();

}  // namespace quaro::test
