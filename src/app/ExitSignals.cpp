#include "app/ExitSignals.h"

#include "platform/Trace.h"

#include <QSocketNotifier>

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>

namespace quaro {
namespace {

constexpr int kSignals[] = {SIGTERM, SIGINT, SIGHUP};

// [0]: written by the handlers; [1]: read on the event loop. -1 while not installed.
int g_pair[2] = {-1, -1};

void OnSignal(int signalNumber) {
    const int savedErrno = errno;
    const unsigned char number = static_cast<unsigned char>(signalNumber);
    // Only async-signal-safe calls here. A full pair (signals far faster than the loop reads
    // them) loses the extra notices, which say nothing new.
    [[maybe_unused]] const ssize_t written = ::write(g_pair[0], &number, 1);
    errno = savedErrno;
}

}  // namespace

bool ExitSignals::Install() {
    if (g_pair[0] >= 0) {
        return true;
    }
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, g_pair) != 0) {
        g_pair[0] = g_pair[1] = -1;
        return false;
    }
    ::fcntl(g_pair[0], F_SETFL, ::fcntl(g_pair[0], F_GETFL) | O_NONBLOCK);
    ::fcntl(g_pair[1], F_SETFL, ::fcntl(g_pair[1], F_GETFL) | O_NONBLOCK);
    struct sigaction action {};
    action.sa_handler = &OnSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    bool installed = true;
    for (int signalNumber : kSignals) {
        installed = ::sigaction(signalNumber, &action, nullptr) == 0 && installed;
    }
    return installed;
}

void ExitSignals::Uninstall() {
    struct sigaction action {};
    action.sa_handler = SIG_DFL;
    sigemptyset(&action.sa_mask);
    for (int signalNumber : kSignals) {
        ::sigaction(signalNumber, &action, nullptr);
    }
}

ExitSignals::ExitSignals(Handler handler, QObject* parent)
    : QObject(parent), m_handler(std::move(handler)) {
    if (g_pair[1] < 0) {
        return;
    }
    m_notifier = new QSocketNotifier(g_pair[1], QSocketNotifier::Read, this);
    QObject::connect(m_notifier, &QSocketNotifier::activated, this, [this] { OnReadable(); });
}

ExitSignals::~ExitSignals() = default;

void ExitSignals::OnReadable() {
    unsigned char number = 0;
    while (::read(g_pair[1], &number, 1) == 1) {
        TraceFormat("signal %d: leaving", static_cast<int>(number));
        if (m_handler) {
            m_handler(number);
        }
    }
}

}  // namespace quaro
