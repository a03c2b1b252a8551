#include "LoopbackHttpServer.h"

#include <arpa/inet.h>
#include <cctype>
#include <csignal>
#include <cstring>
#include <netinet/in.h>
#include <openssl/err.h>
#include <openssl/ssl.h>
#include <poll.h>
#include <stdexcept>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <unistd.h>

namespace quaro::test {
namespace {

constexpr int kIoTimeoutMs = 5000;

// Reads and writes over a plain socket or a TLS session on it.
struct Connection {
    int fd;
    SSL* ssl = nullptr;

    bool WaitReadable() const {
        if (ssl != nullptr && SSL_pending(ssl) > 0) {
            return true;
        }
        pollfd entry{fd, POLLIN, 0};
        return ::poll(&entry, 1, kIoTimeoutMs) > 0;
    }
    ssize_t Read(char* data, size_t size) const {
        if (!WaitReadable()) {
            return -1;
        }
        if (ssl != nullptr) {
            const int got = SSL_read(ssl, data, static_cast<int>(size));
            return got > 0 ? got : (SSL_get_error(ssl, got) == SSL_ERROR_ZERO_RETURN ? 0 : -1);
        }
        return ::recv(fd, data, size, 0);
    }
    bool Write(const std::string& bytes) const {
        size_t sent = 0;
        while (sent < bytes.size()) {
            const ssize_t n =
                ssl != nullptr
                    ? SSL_write(ssl, bytes.data() + sent, static_cast<int>(bytes.size() - sent))
                    : ::send(fd, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
            if (n <= 0) {
                return false;
            }
            sent += static_cast<size_t>(n);
        }
        return true;
    }
};

std::string Lower(std::string text) {
    for (char& c : text) {
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    return text;
}

const char* Reason(int status) {
    switch (status) {
        case 200:
            return "OK";
        case 404:
            return "Not Found";
        default:
            return "Status";
    }
}

}  // namespace

std::filesystem::path TestCertificateFolder() {
    return std::filesystem::path(QUARO_TEST_CERTS);
}

LoopbackHttpServer::LoopbackHttpServer(Handler handler, std::optional<Tls> tls)
    : m_handler(std::move(handler)), m_tls(tls.has_value()) {
    // TLS writes go through write(), which raises SIGPIPE when a client was killed mid-reply;
    // that client's test expects the failure, not the end of the test program.
    ::signal(SIGPIPE, SIG_IGN);
    if (tls) {
        SSL_CTX* context = SSL_CTX_new(TLS_server_method());
        if (context == nullptr ||
            SSL_CTX_use_certificate_chain_file(context, tls->certificate.c_str()) != 1 ||
            SSL_CTX_use_PrivateKey_file(context, tls->key.c_str(), SSL_FILETYPE_PEM) != 1) {
            SSL_CTX_free(context);
            throw std::runtime_error("test server: certificate not usable");
        }
        m_context = context;
    }
    m_listenFd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    if (m_listenFd < 0 || ::bind(m_listenFd, reinterpret_cast<sockaddr*>(&address), length) != 0 ||
        ::listen(m_listenFd, 8) != 0 ||
        ::getsockname(m_listenFd, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
        throw std::runtime_error("test server: cannot listen");
    }
    m_port = ntohs(address.sin_port);
    m_wakeFd = ::eventfd(0, EFD_CLOEXEC);
    m_thread = std::thread([this] { Serve(); });
}

LoopbackHttpServer::~LoopbackHttpServer() {
    const uint64_t one = 1;
    (void)!::write(m_wakeFd, &one, sizeof one);
    m_thread.join();
    ::close(m_listenFd);
    ::close(m_wakeFd);
    SSL_CTX_free(static_cast<SSL_CTX*>(m_context));
}

std::string LoopbackHttpServer::BaseUrl() const {
    return std::string(m_tls ? "https" : "http") + "://127.0.0.1:" + std::to_string(m_port);
}

std::vector<LoopbackHttpServer::Request> LoopbackHttpServer::Requests() const {
    std::lock_guard lock(m_mutex);
    return m_requests;
}

uint16_t LoopbackHttpServer::ClosedPort() {
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    ::bind(fd, reinterpret_cast<sockaddr*>(&address), length);
    ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length);
    ::close(fd);  // bound but never listening, and now released: connecting is refused
    return ntohs(address.sin_port);
}

void LoopbackHttpServer::Serve() {
    for (;;) {
        pollfd entries[2] = {{m_listenFd, POLLIN, 0}, {m_wakeFd, POLLIN, 0}};
        if (::poll(entries, 2, -1) < 0) {
            continue;
        }
        if ((entries[1].revents & POLLIN) != 0) {
            return;
        }
        const int fd = ::accept4(m_listenFd, nullptr, nullptr, SOCK_CLOEXEC);
        if (fd >= 0) {
            HandleConnection(fd);
            ::close(fd);
        }
    }
}

void LoopbackHttpServer::HandleConnection(int fd) {
    Connection connection{fd};
    SSL* ssl = nullptr;
    if (m_tls) {
        ssl = SSL_new(static_cast<SSL_CTX*>(m_context));
        SSL_set_fd(ssl, fd);
        if (SSL_accept(ssl) != 1) {
            ++m_refusedHandshakes;
            ERR_clear_error();
            SSL_free(ssl);
            return;
        }
        connection.ssl = ssl;
    }

    std::string received;
    char chunk[4096];
    size_t headEnd = std::string::npos;
    while ((headEnd = received.find("\r\n\r\n")) == std::string::npos) {
        const ssize_t got = connection.Read(chunk, sizeof chunk);
        if (got <= 0) {
            SSL_free(ssl);
            return;
        }
        received.append(chunk, static_cast<size_t>(got));
    }
    Request request;
    request.head = received.substr(0, headEnd);
    const size_t lineEnd = request.head.find("\r\n");
    const std::string requestLine = request.head.substr(0, lineEnd);
    const size_t space = requestLine.find(' ');
    request.method = requestLine.substr(0, space);
    request.target = requestLine.substr(space + 1, requestLine.rfind(' ') - space - 1);
    size_t bodyLength = 0;
    for (size_t at = lineEnd; at != std::string::npos && at < request.head.size();) {
        const size_t next = request.head.find("\r\n", at + 2);
        const std::string line = request.head.substr(
            at + 2, next == std::string::npos ? std::string::npos : next - at - 2);
        const size_t colon = line.find(':');
        if (colon != std::string::npos) {
            std::string value = line.substr(colon + 1);
            value.erase(0, value.find_first_not_of(' '));
            request.headers.emplace_back(line.substr(0, colon), value);
            if (Lower(line.substr(0, colon)) == "content-length") {
                bodyLength = std::stoul(value);
            }
        }
        at = next;
    }
    request.body = received.substr(headEnd + 4);
    while (request.body.size() < bodyLength) {
        const ssize_t got = connection.Read(chunk, sizeof chunk);
        if (got <= 0) {
            break;
        }
        request.body.append(chunk, static_cast<size_t>(got));
    }
    {
        std::lock_guard lock(m_mutex);
        m_requests.push_back(request);
    }

    const Response response = m_handler(request);
    std::string reply = "HTTP/1.1 " + std::to_string(response.status) + " " +
                        Reason(response.status) + "\r\nConnection: close\r\n";
    if (!response.omitLength) {
        reply += "Content-Length: " +
                 std::to_string(response.announcedLength.value_or(response.body.size())) + "\r\n";
    }
    reply += "Content-Type: application/octet-stream\r\n\r\n";
    if (request.method != "HEAD") {
        reply += response.body;
    }
    connection.Write(reply);
    if (ssl != nullptr) {
        // A body cut short ends without the close notice a finished one gets.
        if (!response.announcedLength) {
            SSL_shutdown(ssl);
        }
        SSL_free(ssl);
    }
}

}  // namespace quaro::test
