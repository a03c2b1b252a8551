// quaro-fetch: makes one HTTP(S) transfer for the application. The request comes as one JSON
// document on standard input; the answer goes out as JSON lines on standard output (see
// update/FetchProtocol.h). Exit status 0 when it answered, 2 when the request was malformed.

#include "platform/Trace.h"
#include "update/FetchProtocol.h"
#include "update/HttpClient.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

// Far more than any request the application sends; a runaway writer is cut off.
constexpr std::size_t kMaxRequestBytes = std::size_t{64} << 20;
constexpr int kMalformed = 2;

// The parent is the only reader; once it is gone there is nobody to answer.
void WriteOut(const std::string& text) {
    const char* data = text.data();
    std::size_t left = text.size();
    while (left != 0) {
        const ssize_t written = ::write(STDOUT_FILENO, data, left);
        if (written < 0) {
            if (errno == EINTR) {
                continue;
            }
            std::_Exit(1);
        }
        data += written;
        left -= static_cast<std::size_t>(written);
    }
}

bool ReadAll(std::string& text) {
    char chunk[16384];
    for (;;) {
        const ssize_t got = ::read(STDIN_FILENO, chunk, sizeof chunk);
        if (got == 0) {
            return true;
        }
        if (got < 0) {
            if (errno == EINTR) {
                continue;
            }
            return false;
        }
        text.append(chunk, static_cast<std::size_t>(got));
        if (text.size() > kMaxRequestBytes) {
            return false;
        }
    }
}

int Malformed(const std::string& why) {
    std::fprintf(stderr, "quaro-fetch: malformed request: %s\n", why.c_str());
    return kMalformed;
}

}  // namespace

int main() {
    using namespace quaro;
    // The client's diagnostics go to the application's log through the answer.
    SetTraceSink([](std::string_view text) { WriteOut(FetchTraceLine(text)); });

    std::string document;
    if (!ReadAll(document)) {
        return Malformed("standard input unreadable or too long");
    }
    std::string why;
    const std::optional<FetchRequest> request = DecodeFetchRequest(document, why);
    if (!request) {
        return Malformed(why);
    }

    HttpClient client(request->settings);
    if (request->operation == FetchOperation::Request) {
        std::vector<uint8_t> reply(request->replyCapacity, 0);
        const int result = client.Request(request->method, request->url, request->body, reply,
                                          request->useNamedProxy);
        // Nothing stored: the buffer holds only what the client writes when nothing was sent.
        const auto stored =
            result > 0 ? reply.begin() + result : std::find(reply.begin(), reply.end(), uint8_t{0});
        WriteOut(FetchResultLine(
            result, client.LastError(),
            std::span<const uint8_t>(reply.begin(), result < 0 ? reply.begin() : stored)));
        return 0;
    }
    client.SetTemporaryFile(request->temporary);
    const bool downloaded = client.Download(
        request->url, request->file,
        [](double total, double done) { WriteOut(FetchProgressLine(total, done)); },
        request->requireTls);
    WriteOut(FetchResultLine(downloaded ? 1 : 0, client.LastError(), {}));
    return 0;
}
