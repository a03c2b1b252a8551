#include "LoopbackHttpServer.h"
#include "TempDir.h"
#include "update/HttpClient.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <sys/stat.h>
#include <utility>
#include <vector>

namespace quaro {
namespace {

using test::LoopbackHttpServer;
using ::testing::ElementsAre;
using ::testing::Pair;

LoopbackHttpServer::Tls TrustedCertificate() {
    return {test::TestCertificateFolder() / "server.pem",
            test::TestCertificateFolder() / "server.key"};
}

LoopbackHttpServer::Tls SelfSignedCertificate() {
    return {test::TestCertificateFolder() / "selfsigned.pem",
            test::TestCertificateFolder() / "selfsigned.key"};
}

HttpClient TrustingTestAuthority() {
    HttpClientSettings settings;
    settings.caFile = test::TestCertificateFolder() / "ca.pem";
    return HttpClient(settings);
}

LoopbackHttpServer::Handler Answer(int status, std::string body) {
    return [status, body](const LoopbackHttpServer::Request&) {
        return LoopbackHttpServer::Response{status, body, std::nullopt, false};
    };
}

std::string Text(const std::vector<uint8_t>& buffer, int bytes) {
    return std::string(buffer.begin(), buffer.begin() + bytes);
}

TEST(HttpClientRequest, PostSendsRequestLineThreeHeadersAndTheBodyBytes) {
    LoopbackHttpServer server(Answer(200, "{}"));
    HttpClient client;
    const std::string bodyText = "app_key=NULL&version=1";
    std::vector<uint8_t> body(bodyText.begin(), bodyText.end());
    body.push_back(0);
    std::vector<uint8_t> reply(64, 0);

    ASSERT_EQ(client.Request("POST", server.BaseUrl() + "/api/updates", body, reply, false), 2);

    const auto requests = server.Requests();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].method, "POST");
    EXPECT_EQ(requests[0].target, "/api/updates");
    std::vector<std::pair<std::string, std::string>> ours;
    for (const auto& header : requests[0].headers) {
        if (header.first == "Content-Length" || header.first == "Content-Type" ||
            header.first == "Accept") {
            ours.push_back(header);
        }
    }
    EXPECT_THAT(ours, ElementsAre(Pair("Content-Length", "23"),
                                  Pair("Content-Type", "application/x-www-form-urlencoded"),
                                  Pair("Accept", "application/prs.Quaro.v1+json")));
    EXPECT_EQ(requests[0].body, std::string(bodyText + '\0'));
    for (const auto& header : requests[0].headers) {
        EXPECT_NE(header.first, "Expect");
    }
}

TEST(HttpClientRequest, MethodsAreCheckedBeforeAnythingIsSent) {
    LoopbackHttpServer server(Answer(200, "ok"));
    HttpClient client;
    std::vector<uint8_t> reply(16, 0);

    EXPECT_EQ(client.Request("get", server.BaseUrl() + "/", {}, reply, false), 2);
    EXPECT_EQ(Text(reply, 2), "ok");
    EXPECT_EQ(client.Request("PUT", server.BaseUrl() + "/", {}, reply, false), -1);
    EXPECT_EQ(client.LastError(), HttpClient::kErrorInvalidParameter);
    EXPECT_EQ(client.Request("", server.BaseUrl() + "/", {}, reply, false), -1);
    EXPECT_EQ(client.LastError(), HttpClient::kErrorInvalidFunction);
    EXPECT_EQ(server.Requests().size(), 1u);
}

TEST(HttpClientRequest, ErrorStatusBodyIsTheResultLikeAnyOther) {
    LoopbackHttpServer server(Answer(404, R"({"name":"missing"})"));
    HttpClient client;
    std::vector<uint8_t> reply(64, 0);
    const int bytes = client.Request("POST", server.BaseUrl() + "/api/updates", {}, reply, false);
    ASSERT_EQ(bytes, 18);
    EXPECT_EQ(Text(reply, bytes), R"({"name":"missing"})");
}

TEST(HttpClientRequest, LongReplyIsCutAndLeavesRoomForTheTerminator) {
    LoopbackHttpServer server(Answer(200, std::string(100, 'x')));
    HttpClient client;
    std::vector<uint8_t> reply(11, 0xEE);
    EXPECT_EQ(client.Request("GET", server.BaseUrl() + "/", {}, reply, false), 10);
    EXPECT_EQ(reply[10], 0xEE);  // never written
}

TEST(HttpClientRequest, UnreachableServerWritesNoLinkServer) {
    HttpClient client;
    std::vector<uint8_t> reply(32, 0);
    const std::string url =
        "http://127.0.0.1:" + std::to_string(LoopbackHttpServer::ClosedPort()) + "/api/updates";
    EXPECT_EQ(client.Request("POST", url, {}, reply, false), 0);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(reply.data())), "NO_LINK_SERVER");
    EXPECT_NE(client.LastError(), 0u);
}

TEST(HttpClientTls, SelfSignedServerIsRefusedAndNothingIsSent) {
    LoopbackHttpServer server(Answer(200, "secret"), SelfSignedCertificate());
    HttpClient client = TrustingTestAuthority();
    std::vector<uint8_t> reply(32, 0);
    EXPECT_EQ(client.Request("POST", server.BaseUrl() + "/api/updates", {}, reply, false), 0);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(reply.data())), "NO_LINK_SERVER");
    EXPECT_TRUE(server.Requests().empty());
}

TEST(HttpClientTls, ServerOfTheTrustedAuthorityIsAccepted) {
    LoopbackHttpServer server(Answer(200, "hello"), TrustedCertificate());
    HttpClient client = TrustingTestAuthority();
    std::vector<uint8_t> reply(32, 0);
    ASSERT_EQ(client.Request("POST", server.BaseUrl() + "/api/updates", {}, reply, false), 5);
    EXPECT_EQ(Text(reply, 5), "hello");
}

TEST(HttpClientTls, WithoutTheAuthorityTheSameServerIsRefused) {
    LoopbackHttpServer server(Answer(200, "hello"), TrustedCertificate());
    HttpClientSettings settings;
    settings.caFile = test::TestCertificateFolder() / "selfsigned.pem";
    HttpClient client(settings);
    std::vector<uint8_t> reply(32, 0);
    EXPECT_EQ(client.Request("GET", server.BaseUrl() + "/", {}, reply, false), 0);
    EXPECT_TRUE(server.Requests().empty());
}

TEST(HttpClientTls, ResetKeepsTheTrustedAuthority) {
    HttpClient client = TrustingTestAuthority();
    client.Settings().userAgent = "other";
    client.ResetSettings();
    EXPECT_EQ(client.Settings().userAgent, "WinHTTP Client/1.0");
    EXPECT_EQ(client.Settings().connectTimeoutMs, 60000u);
    EXPECT_EQ(client.Settings().caFile, test::TestCertificateFolder() / "ca.pem");
}

struct DownloadRun {
    bool ok = false;
    std::vector<std::pair<double, double>> reports;
    // Whether the file stood under its own name at each report.
    std::vector<bool> fileThere;
};

DownloadRun RunDownload(HttpClient& client, const std::string& url,
                        const std::filesystem::path& file, bool requireTls = true) {
    DownloadRun run;
    run.ok = client.Download(
        url, file,
        [&](double total, double done) {
            run.reports.emplace_back(total, done);
            run.fileThere.push_back(std::filesystem::exists(file));
        },
        requireTls);
    return run;
}

TEST(HttpClientDownload, ReportsEveryPieceAndWritesAPrivateFile) {
    const std::string payload(2500, 'q');
    LoopbackHttpServer server(Answer(200, payload), TrustedCertificate());
    test::TempDir folder;
    HttpClient client = TrustingTestAuthority();

    const DownloadRun run =
        RunDownload(client, server.BaseUrl() + "/files/AP.exe", folder / "AP.exe");

    ASSERT_TRUE(run.ok);
    EXPECT_THAT(run.reports, ElementsAre(Pair(2500, 1024), Pair(2500, 2048), Pair(2500, 2500)));
    // Done is only told once the installer can be run.
    EXPECT_THAT(run.fileThere, ElementsAre(false, false, true));
    EXPECT_EQ(test::ReadFileBytes(folder / "AP.exe"), payload);
    struct stat info {};
    ASSERT_EQ(::stat((folder / "AP.exe").c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0700u);
    const auto requests = server.Requests();
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_EQ(requests[0].method, "HEAD");
    EXPECT_EQ(requests[1].method, "GET");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.Path()),
                            std::filesystem::directory_iterator()),
              1);
}

TEST(HttpClientDownload, BodyShorterThanAnnouncedFailsAndLeavesNoFile) {
    LoopbackHttpServer server(
        [](const LoopbackHttpServer::Request&) {
            return LoopbackHttpServer::Response{200, std::string(1500, 'q'), 2500, false};
        },
        TrustedCertificate());
    test::TempDir folder;
    HttpClient client = TrustingTestAuthority();

    const DownloadRun run = RunDownload(client, server.BaseUrl() + "/AP.exe", folder / "AP.exe");

    EXPECT_FALSE(run.ok);
    ASSERT_FALSE(run.reports.empty());
    EXPECT_EQ(run.reports.back().first, 0.0);
    EXPECT_TRUE(std::filesystem::is_empty(folder.Path()));
}

TEST(HttpClientDownload, MissingSizeFailsWithOneReport) {
    LoopbackHttpServer server(
        [](const LoopbackHttpServer::Request&) {
            return LoopbackHttpServer::Response{200, "abc", std::nullopt, true};
        },
        TrustedCertificate());
    test::TempDir folder;
    HttpClient client = TrustingTestAuthority();

    const DownloadRun run = RunDownload(client, server.BaseUrl() + "/AP.exe", folder / "AP.exe");

    EXPECT_FALSE(run.ok);
    EXPECT_THAT(run.reports, ElementsAre(Pair(0, 0)));
    EXPECT_TRUE(std::filesystem::is_empty(folder.Path()));
}

TEST(HttpClientDownload, ErrorPageIsNotTakenForTheFile) {
    LoopbackHttpServer server(Answer(404, "not here"), TrustedCertificate());
    test::TempDir folder;
    HttpClient client = TrustingTestAuthority();
    const DownloadRun run = RunDownload(client, server.BaseUrl() + "/AP.exe", folder / "AP.exe");
    EXPECT_FALSE(run.ok);
    EXPECT_THAT(run.reports, ElementsAre(Pair(0, 0)));
    EXPECT_FALSE(std::filesystem::exists(folder / "AP.exe"));
}

TEST(HttpClientDownload, InstallersOnlyComeOverVerifiedTls) {
    LoopbackHttpServer plain(Answer(200, "abc"));
    LoopbackHttpServer selfSigned(Answer(200, "abc"), SelfSignedCertificate());
    test::TempDir folder;
    HttpClient client = TrustingTestAuthority();

    EXPECT_FALSE(RunDownload(client, plain.BaseUrl() + "/AP.exe", folder / "AP.exe").ok);
    EXPECT_TRUE(plain.Requests().empty());
    EXPECT_FALSE(RunDownload(client, selfSigned.BaseUrl() + "/AP.exe", folder / "AP.exe").ok);
    EXPECT_FALSE(std::filesystem::exists(folder / "AP.exe"));
    // Plain HTTP only where the caller does not mean to run the file.
    EXPECT_TRUE(RunDownload(client, plain.BaseUrl() + "/AP.exe", folder / "AP.exe", false).ok);
}

TEST(HttpClientVersion, DotsAreDroppedAndTheRestReadAsDecimal) {
    EXPECT_EQ(HttpClient::VersionFromText("1.0.3"), 103);
    EXPECT_EQ(HttpClient::VersionFromText(""), 0);
    EXPECT_EQ(HttpClient::VersionFromText("1.x"), 0);
    EXPECT_EQ(HttpClient::VersionFromText("99999999999"), 0);
    EXPECT_GT(HttpClient::InstalledVersion(), 0);
}

}  // namespace
}  // namespace quaro
