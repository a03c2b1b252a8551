// Sends a registered message to the running application, or listens to its broadcasts.
//
//   quaro-msg [--socket PATH] NAME [WPARAM [LPARAM]]
//   quaro-msg [--socket PATH] --listen [--count N]
//
// NAME is a registered message name such as "QUARO_MIREL_001" or
// "{4695579F-999A-41d4-9FAF-EFFCE93EBF17}". Exit code 0 on success, 1 when no copy is running,
// 2 on bad arguments.

#include "platform/EndpointClient.h"
#include "shell/MessageEndpoint.h"

#include <QCoreApplication>
#include <QFile>
#include <QStringList>

#include <cerrno>
#include <cstdio>
#include <string>
#include <unistd.h>

namespace {

int Usage() {
    std::fprintf(stderr,
                 "usage: quaro-msg [--socket PATH] NAME [WPARAM [LPARAM]]\n"
                 "       quaro-msg [--socket PATH] --listen [--count N]\n");
    return 2;
}

int Listen(const QString& socketPath, int count) {
    const int fd = quaro::ConnectToRunningApplication(QFile::encodeName(socketPath).toStdString());
    if (fd < 0) {
        std::fprintf(stderr, "quaro-msg: no running copy at %s\n", qPrintable(socketPath));
        return 1;
    }
    std::printf("listening\n");
    std::fflush(stdout);
    int received = 0;
    std::string pending;
    char buffer[512];
    while (count <= 0 || received < count) {
        const ssize_t n = ::read(fd, buffer, sizeof(buffer));
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            break;
        }
        pending.append(buffer, static_cast<size_t>(n));
        size_t lineEnd = 0;
        while ((count <= 0 || received < count) &&
               (lineEnd = pending.find('\n')) != std::string::npos) {
            std::fwrite(pending.data(), 1, lineEnd + 1, stdout);
            std::fflush(stdout);
            pending.erase(0, lineEnd + 1);
            ++received;
        }
    }
    ::close(fd);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QStringList args = app.arguments().mid(1);
    QString socketPath = quaro::MessageEndpoint::DefaultSocketPath();
    if (args.size() >= 2 && args[0] == u"--socket") {
        socketPath = args[1];
        args = args.mid(2);
    }
    if (args.isEmpty()) {
        return Usage();
    }
    if (args[0] == u"--listen") {
        int count = 0;
        if (args.size() == 3 && args[1] == u"--count") {
            count = args[2].toInt();
        }
        return Listen(socketPath, count);
    }
    bool wOk = true;
    bool lOk = true;
    const qulonglong wParam = args.size() > 1 ? args[1].toULongLong(&wOk, 0) : 0;
    const qlonglong lParam = args.size() > 2 ? args[2].toLongLong(&lOk, 0) : 0;
    if (!wOk || !lOk || args.size() > 3 || args[0].contains(u' ')) {
        return Usage();
    }
    if (!quaro::MessageEndpoint::SendToRunning(socketPath, args[0], wParam, lParam)) {
        std::fprintf(stderr, "quaro-msg: no running copy at %s\n", qPrintable(socketPath));
        return 1;
    }
    return 0;
}
