#include "Eventually.h"
#include "LoopbackHttpServer.h"
#include "TempDir.h"
#include "TraceCapture.h"
#include "platform/Paths.h"
#include "update/FetchProcessClient.h"
#include "update/FetchProtocol.h"
#include "update/HttpClient.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <cstring>
#include <elf.h>
#include <fstream>
#include <iterator>
#include <mutex>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <utility>
#include <vector>

namespace quaro {
namespace {

using test::LoopbackHttpServer;
using ::testing::ElementsAre;
using ::testing::Pair;

HttpClientSettings TrustingTestAuthority() {
    HttpClientSettings settings;
    settings.caFile = test::TestCertificateFolder() / "ca.pem";
    return settings;
}

LoopbackHttpServer::Tls TrustedCertificate() {
    return {test::TestCertificateFolder() / "server.pem",
            test::TestCertificateFolder() / "server.key"};
}

LoopbackHttpServer::Handler Answer(int status, std::string body) {
    return [status, body](const LoopbackHttpServer::Request&) {
        return LoopbackHttpServer::Response{status, body, std::nullopt, false};
    };
}

std::size_t OpenDescriptors() {
    return static_cast<std::size_t>(
        std::distance(std::filesystem::directory_iterator("/proc/self/fd"),
                      std::filesystem::directory_iterator()));
}

// True when this process has no child left, reaped or not.
bool NoChildren() {
    return ::waitpid(-1, nullptr, WNOHANG) < 0 && errno == ECHILD;
}

struct RequestRun {
    int result = 0;
    uint32_t lastError = 0;
    std::vector<uint8_t> reply;
};

RequestRun RunRequest(HttpTransport& client, std::string_view method, const std::string& url,
                      const std::vector<uint8_t>& body, std::size_t replySize) {
    RequestRun run;
    run.reply.assign(replySize, 0xEE);
    run.result = client.Request(method, url, body, run.reply, false);
    run.lastError = client.LastError();
    return run;
}

struct DownloadRun {
    bool ok = false;
    std::vector<std::pair<double, double>> reports;
    std::vector<bool> fileThere;
};

DownloadRun RunDownload(HttpTransport& client, const std::string& url,
                        const std::filesystem::path& file) {
    DownloadRun run;
    run.ok = client.Download(url, file, [&](double total, double done) {
        run.reports.emplace_back(total, done);
        run.fileThere.push_back(std::filesystem::exists(file));
    });
    return run;
}

std::vector<std::string> OurHeaders(const LoopbackHttpServer::Request& request) {
    std::vector<std::string> lines;
    for (const auto& [name, value] : request.headers) {
        lines.push_back(name + ": " + value);
    }
    return lines;
}

TEST(FetchProcessClient, RequestsAnswerAsTheInProcessClient) {
    LoopbackHttpServer server(Answer(200, std::string(100, 'x') + "\x01\xff"),
                              TrustedCertificate());
    const std::vector<uint8_t> body = {'a', '=', '1', 0, 0xfe};
    const std::string url = server.BaseUrl() + "/api/updates";
    const std::string closed =
        "http://127.0.0.1:" + std::to_string(LoopbackHttpServer::ClosedPort()) + "/api/updates";
    const std::size_t descriptors = OpenDescriptors();

    for (const std::size_t replySize : {std::size_t{256}, std::size_t{11}, std::size_t{0}}) {
        SCOPED_TRACE(replySize);
        HttpClient local(TrustingTestAuthority());
        FetchProcessClient remote(TrustingTestAuthority());
        const RequestRun expected = RunRequest(local, "POST", url, body, replySize);
        const RequestRun got = RunRequest(remote, "POST", url, body, replySize);
        EXPECT_EQ(got.result, expected.result);
        EXPECT_EQ(got.lastError, expected.lastError);
        EXPECT_EQ(got.reply, expected.reply);

        const RequestRun expectedDown = RunRequest(local, "GET", closed, {}, replySize);
        const RequestRun gotDown = RunRequest(remote, "GET", closed, {}, replySize);
        EXPECT_EQ(gotDown.result, 0);
        EXPECT_EQ(gotDown.lastError, expectedDown.lastError);
        EXPECT_EQ(gotDown.reply, expectedDown.reply);
    }
    const auto requests = server.Requests();
    ASSERT_EQ(requests.size(), 6u);
    EXPECT_EQ(OurHeaders(requests[1]), OurHeaders(requests[0]));
    EXPECT_EQ(requests[1].body, requests[0].body);
    EXPECT_EQ(requests[1].body, std::string("a=1\0\xfe", 5));

    // A wrong method is refused here, without a process or a request.
    FetchProcessClient remote(TrustingTestAuthority(), "/nonexistent/quaro-fetch");
    std::vector<uint8_t> reply(16, 0);
    EXPECT_EQ(remote.Request("PUT", url, {}, reply, false), -1);
    EXPECT_EQ(remote.LastError(), HttpTransport::kErrorInvalidParameter);
    EXPECT_EQ(remote.Request("", url, {}, reply, false), -1);
    EXPECT_EQ(remote.LastError(), HttpTransport::kErrorInvalidFunction);
    EXPECT_EQ(server.Requests().size(), 6u);

    EXPECT_EQ(OpenDescriptors(), descriptors);
    EXPECT_TRUE(NoChildren());
}

TEST(FetchProcessClient, DownloadReportsEveryPieceAndPutsAPrivateFileInPlace) {
    const std::string payload(2500, 'q');
    LoopbackHttpServer server(
        [&](const LoopbackHttpServer::Request& request) {
            return request.target == "/files/AP.exe"
                       ? LoopbackHttpServer::Response{200, payload, std::nullopt, false}
                       : LoopbackHttpServer::Response{404, "not here", std::nullopt, false};
        },
        TrustedCertificate());
    test::TempDir folder;
    FetchProcessClient client(TrustingTestAuthority());

    const DownloadRun run =
        RunDownload(client, server.BaseUrl() + "/files/AP.exe", folder / "AP.exe");

    ASSERT_TRUE(run.ok);
    EXPECT_EQ(client.LastError(), 0u);
    EXPECT_THAT(run.reports, ElementsAre(Pair(2500, 1024), Pair(2500, 2048), Pair(2500, 2500)));
    EXPECT_THAT(run.fileThere, ElementsAre(false, false, true));
    EXPECT_EQ(test::ReadFileBytes(folder / "AP.exe"), payload);
    struct stat info {};
    ASSERT_EQ(::stat((folder / "AP.exe").c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0700u);

    const DownloadRun missing =
        RunDownload(client, server.BaseUrl() + "/files/gone.exe", folder / "gone.exe");
    EXPECT_FALSE(missing.ok);
    EXPECT_NE(client.LastError(), 0u);
    EXPECT_THAT(missing.reports, ElementsAre(Pair(0, 0)));
    // Only the finished file: no temporary one of either download is left.
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.Path()),
                            std::filesystem::directory_iterator()),
              1);
    EXPECT_TRUE(NoChildren());
}

TEST(FetchProcessClient, CancelMidDownloadKillsTheHelperAndLeavesNothing) {
    // The server holds the body back until told, or for far longer than the test may take.
    std::mutex mutex;
    std::condition_variable released;
    bool release = false;
    std::atomic<bool> bodyAsked{false};
    LoopbackHttpServer server(
        [&](const LoopbackHttpServer::Request& request) {
            if (request.method == "GET") {
                bodyAsked = true;
                std::unique_lock lock(mutex);
                released.wait_for(lock, std::chrono::seconds(60), [&] { return release; });
            }
            return LoopbackHttpServer::Response{200, std::string(5000, 'q'), std::nullopt, false};
        },
        TrustedCertificate());
    test::TempDir folder;
    test::TraceCapture traces;
    const std::size_t descriptors = OpenDescriptors();
    FetchProcessClient client(TrustingTestAuthority());
    // Cancelled only once the helper has its temporary file open and waits for the body.
    client.SetCancelCheck([&] { return bodyAsked.load(); });

    const DownloadRun run = RunDownload(client, server.BaseUrl() + "/AP.exe", folder / "AP.exe");
    bool heldStill = false;
    {
        std::lock_guard lock(mutex);
        heldStill = !release;
        release = true;
    }
    released.notify_all();

    EXPECT_TRUE(heldStill);
    EXPECT_FALSE(run.ok);
    EXPECT_EQ(client.LastError(), HttpTransport::kErrorCancelled);
    EXPECT_THAT(run.reports, ElementsAre(Pair(0, 0)));
    EXPECT_TRUE(std::filesystem::is_empty(folder.Path()));
    EXPECT_EQ(traces.Count("fetch helper stopped: " + server.BaseUrl() + "/AP.exe"), 1u);
    // The server closes its side of the killed connection once it has given up the reply.
    EXPECT_TRUE(test::Eventually([&] { return OpenDescriptors() == descriptors; }));
    EXPECT_TRUE(NoChildren());
}

TEST(FetchProcessClient, BrokenHelpersFailAsNothingSentAndAsAFailedDownload) {
    LoopbackHttpServer server(Answer(200, "hello"), TrustedCertificate());
    test::TempDir folder;
    const std::filesystem::path garbage = folder / "garbage-fetch";
    test::WriteFileBytes(garbage, "#!/bin/sh\ncat >/dev/null\necho '{\"result\": \"lots\"}'\n");
    ::chmod(garbage.c_str(), 0700);
    const std::filesystem::path truncated = folder / "truncated-fetch";
    test::WriteFileBytes(truncated, "#!/bin/sh\nprintf '{\"progress\":[10,'\n");
    ::chmod(truncated.c_str(), 0700);
    const std::size_t descriptors = OpenDescriptors();

    for (const std::filesystem::path& helper :
         {folder / "missing-fetch", std::filesystem::path("/bin/false"), garbage, truncated}) {
        SCOPED_TRACE(helper.string());
        test::TraceCapture traces;
        FetchProcessClient client(TrustingTestAuthority(), helper);

        std::vector<uint8_t> reply(32, 0);
        EXPECT_EQ(client.Request("POST", server.BaseUrl() + "/api/updates", {}, reply, false), 0);
        EXPECT_STREQ(reinterpret_cast<const char*>(reply.data()), "NO_LINK_SERVER");
        EXPECT_NE(client.LastError(), 0u);

        const DownloadRun run =
            RunDownload(client, server.BaseUrl() + "/AP.exe", folder / "AP.exe");
        EXPECT_FALSE(run.ok);
        EXPECT_THAT(run.reports, ElementsAre(Pair(0, 0)));
        EXPECT_FALSE(std::filesystem::exists(folder / "AP.exe"));

        const auto lines = traces.Lines();
        EXPECT_EQ(std::count_if(lines.begin(), lines.end(),
                                [](const std::string& line) {
                                    return line.find("fetch helper") != std::string::npos &&
                                           line.find("refused") != std::string::npos;
                                }),
                  2);
    }
    EXPECT_TRUE(server.Requests().empty());
    EXPECT_EQ(OpenDescriptors(), descriptors);
    EXPECT_TRUE(NoChildren());

    // The helper itself turns away what is not a whole request.
    const std::string helper = (ExecutableDirectory() / "quaro-fetch").string();
    for (const char* input : {"", "{}", "not json", R"({"operation":"request","url":"x"})"}) {
        SCOPED_TRACE(input);
        const std::string command =
            "printf '%s' '" + std::string(input) + "' | '" + helper + "' 2>/dev/null";
        const int status = std::system(command.c_str());
        ASSERT_TRUE(WIFEXITED(status));
        EXPECT_EQ(WEXITSTATUS(status), 2);
    }
}

// The libraries an ELF executable names as NEEDED in its dynamic section.
std::vector<std::string> NeededLibraries(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    const std::string image((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::vector<std::string> needed;
    Elf64_Ehdr header{};
    if (image.size() < sizeof header) {
        return needed;
    }
    std::memcpy(&header, image.data(), sizeof header);
    if (std::memcmp(header.e_ident, ELFMAG, SELFMAG) != 0 ||
        header.e_ident[EI_CLASS] != ELFCLASS64 ||
        header.e_shoff + std::size_t{header.e_shnum} * sizeof(Elf64_Shdr) > image.size()) {
        return needed;
    }
    auto section = [&](std::size_t index) {
        Elf64_Shdr entry{};
        std::memcpy(&entry, image.data() + header.e_shoff + index * sizeof entry, sizeof entry);
        return entry;
    };
    for (std::size_t i = 0; i < header.e_shnum; ++i) {
        const Elf64_Shdr dynamic = section(i);
        if (dynamic.sh_type != SHT_DYNAMIC || dynamic.sh_link >= header.e_shnum) {
            continue;
        }
        const Elf64_Shdr strings = section(dynamic.sh_link);
        for (std::size_t at = dynamic.sh_offset;
             at + sizeof(Elf64_Dyn) <= dynamic.sh_offset + dynamic.sh_size &&
             at + sizeof(Elf64_Dyn) <= image.size();
             at += sizeof(Elf64_Dyn)) {
            Elf64_Dyn entry{};
            std::memcpy(&entry, image.data() + at, sizeof entry);
            if (entry.d_tag == DT_NEEDED && strings.sh_offset + entry.d_un.d_val < image.size()) {
                needed.emplace_back(image.c_str() + strings.sh_offset + entry.d_un.d_val);
            }
        }
    }
    return needed;
}

bool NamesNetworkLibrary(const std::vector<std::string>& needed) {
    return std::any_of(needed.begin(), needed.end(), [](const std::string& name) {
        return name.starts_with("libcurl") || name.starts_with("libssl") ||
               name.starts_with("libcrypto");
    });
}

TEST(FetchProcessClient, OnlyTheHelperLinksTheNetworkLibraries) {
    // The same reading must find libcurl in the helper, or it could never fail below.
    EXPECT_TRUE(NamesNetworkLibrary(NeededLibraries(ExecutableDirectory() / "quaro-fetch")));
    const std::filesystem::path application = ExecutableDirectory() / "quaro";
    if (!std::filesystem::exists(application)) {
        GTEST_SKIP() << "the application is not built";
    }
    const std::vector<std::string> needed = NeededLibraries(application);
    EXPECT_FALSE(needed.empty());
    EXPECT_FALSE(NamesNetworkLibrary(needed)) << ::testing::PrintToString(needed);
}

}  // namespace

TEST(FetchProtocol, RequestTextsSurviveAsBytesEvenWhenNotUtf8) {
    FetchRequest request;
    request.operation = FetchOperation::Download;
    request.url = "https://update.example/\xe8o/\xff\xfe file\n";
    request.settings.proxyPassword = "p\xc3\x28ss\nword";
    request.file = "/tmp/\xe9t\xe9.bin";
    request.temporary = "/tmp/\xe9t\xe9.bin.part";
    const std::string encoded = EncodeFetchRequest(request);
    EXPECT_EQ(encoded.find('\n'), std::string::npos);
    std::string why;
    const std::optional<FetchRequest> decoded = DecodeFetchRequest(encoded, why);
    ASSERT_TRUE(decoded) << why;
    EXPECT_EQ(decoded->url, request.url);
    EXPECT_EQ(decoded->settings.proxyPassword, request.settings.proxyPassword);
    EXPECT_EQ(decoded->file, request.file);
}

}  // namespace quaro
