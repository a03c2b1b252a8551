// Numbered messages between threads and windows, and the endpoint other processes use.

#include "TempDir.h"
#include "platform/EndpointClient.h"
#include "shell/MessageEndpoint.h"
#include "support/QtTestApp.h"
#include "support/RecordingWindow.h"
#include "ui/RegisteredMessages.h"

#include <QProcess>
#include <QTest>
#include <gtest/gtest.h>

#include <atomic>
#include <cerrno>
#include <string>
#include <sys/socket.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace quaro {
namespace {

using test::RecordingWindow;

// Another process's end of the endpoint, on a plain socket. Reads never block: the endpoint
// runs on this thread's event loop, which the waits keep turning.
class EndpointPeer {
public:
    explicit EndpointPeer(const QString& path)
        : m_fd(ConnectToRunningApplication(path.toStdString())) {}
    ~EndpointPeer() {
        if (m_fd >= 0) {
            ::close(m_fd);
        }
    }
    bool Connected() const { return m_fd >= 0; }
    bool Write(const std::string& data) const {
        return ::send(m_fd, data.data(), data.size(), MSG_NOSIGNAL) ==
               static_cast<ssize_t>(data.size());
    }
    // Takes what arrived; true once a whole line is there.
    bool HasLine() {
        char buffer[256];
        ssize_t n = 0;
        while ((n = ::recv(m_fd, buffer, sizeof(buffer), MSG_DONTWAIT)) > 0) {
            m_received.append(buffer, static_cast<size_t>(n));
        }
        m_hungUp = n == 0;
        return m_received.find('\n') != std::string::npos;
    }
    bool HungUp() {
        HasLine();
        return m_hungUp;
    }
    const std::string& Received() const { return m_received; }

private:
    int m_fd;
    std::string m_received;
    bool m_hungUp = false;
};

class Messaging : public ::testing::Test {
protected:
    Messaging() {
        test::WriteFileBytes(m_dir / "w.xml", "<Window><VerticalLayout name=\"root\"/></Window>");
        m_resources.SetResourcePath(QString::fromStdString(m_dir.Path().string()));
        m_window = new RecordingWindow(m_resources, QStringLiteral("w.xml"));
        m_window->Create(QStringLiteral("t"), Qt::Window);
    }
    ~Messaging() override { delete m_window; }

    QString SocketPath() const { return QString::fromStdString((m_dir / "endpoint").string()); }

    test::TempDir m_dir;
    CResourceManager m_resources;
    RecordingWindow* m_window;
};

TEST_F(Messaging, SendFromAWorkerWaitsForTheHandlersResult) {
    m_window->m_reply = 42;
    HWND port = m_window->GetHWND();
    std::atomic<LRESULT> result{0};
    std::atomic<bool> done{false};
    std::thread worker([&] {
        result = port->Send(3090, 5, 6);
        done = true;
    });
    ASSERT_TRUE(test::WaitFor([&] { return done.load(); }));
    worker.join();
    EXPECT_EQ(result.load(), 42);
    ASSERT_EQ(m_window->m_messages.size(), 1u);
    EXPECT_EQ(m_window->m_messages[0].message, 3090u);
    EXPECT_EQ(m_window->m_messages[0].wParam, 5u);
    EXPECT_EQ(m_window->m_messages[0].lParam, 6);
}

TEST_F(Messaging, PostIsQueuedAndHandledInOrder) {
    EXPECT_TRUE(m_window->PostMessage(1, 1, 0));
    EXPECT_TRUE(m_window->PostMessage(2, 2, 0));
    EXPECT_TRUE(m_window->m_messages.empty());
    ASSERT_TRUE(test::WaitFor([&] { return m_window->m_messages.size() == 2; }));
    EXPECT_EQ(m_window->m_messages[0].message, 1u);
    EXPECT_EQ(m_window->m_messages[1].message, 2u);
}

TEST_F(Messaging, SendToAWindowDestroyedMeanwhileReturnsInsteadOfHanging) {
    HWND port = m_window->GetHWND();
    std::atomic<bool> done{false};
    std::atomic<LRESULT> result{-1};
    std::thread worker([&] {
        result = port->Send(3091, 0, 0);  // queued; the UI thread never runs the loop for it
        done = true;
    });
    // Wait until the message is queued, then destroy the window without handling it.
    QThread::msleep(50);
    delete m_window;
    m_window = nullptr;
    worker.join();
    EXPECT_TRUE(done.load());
    EXPECT_EQ(result.load(), 0);
    EXPECT_FALSE(port->IsWindow());
    EXPECT_FALSE(port->Post(1, 0, 0));
    EXPECT_EQ(port->Send(1, 0, 0), 0);
}

TEST_F(Messaging, ClosingReleasesWaitingSendersAndDropsQueuedMessages) {
    HWND port = m_window->GetHWND();
    m_window->PostMessage(77, 0, 0);
    std::thread worker([&] { port->Send(78, 0, 0); });
    QThread::msleep(50);
    m_window->Close(0);  // destroys the window (it is not deleted yet)
    worker.join();
    QCoreApplication::processEvents();
    for (const auto& m : m_window->m_messages) {
        EXPECT_NE(m.message, 77u);
        EXPECT_NE(m.message, 78u);
    }
}

TEST(RegisteredMessages, NamesGetStableNumbersInTheRegisteredRange) {
    const unsigned instance = RegisterWindowMessage(registered::kInstanceMessage);
    EXPECT_GE(instance, kFirstRegisteredMessage);
    EXPECT_LE(instance, kLastRegisteredMessage);
    EXPECT_EQ(RegisterWindowMessage(registered::kInstanceMessage), instance);
    EXPECT_NE(RegisterWindowMessage(registered::kLightRequest), instance);
    EXPECT_EQ(FindWindowMessage(registered::kInstanceMessage), instance);
    EXPECT_EQ(WindowMessageName(instance), registered::kInstanceMessage);
    EXPECT_EQ(FindWindowMessage(QStringLiteral("never registered")), 0u);
    EXPECT_EQ(RegisterWindowMessage(QString()), 0u);
}

TEST(MessageEndpointParse, AcceptsOnlyWellFormedPosts) {
    QString name;
    WPARAM w = 0;
    LPARAM l = 0;
    EXPECT_TRUE(MessageEndpoint::ParsePost("POST QUARO_MIREL_001 0 1\n", name, w, l));
    EXPECT_EQ(name, u"QUARO_MIREL_001");
    EXPECT_EQ(w, 0u);
    EXPECT_EQ(l, 1);
    EXPECT_TRUE(MessageEndpoint::ParsePost("POST X 0x10 -3", name, w, l));
    EXPECT_EQ(w, 16u);
    EXPECT_EQ(l, -3);
    EXPECT_FALSE(MessageEndpoint::ParsePost("POST X 1", name, w, l));
    EXPECT_FALSE(MessageEndpoint::ParsePost("SEND X 1 2", name, w, l));
    EXPECT_FALSE(MessageEndpoint::ParsePost("POST X one 2", name, w, l));
    EXPECT_FALSE(MessageEndpoint::ParsePost("", name, w, l));
    EXPECT_FALSE(MessageEndpoint::ParsePost(QByteArray(600, 'a'), name, w, l));
}

TEST_F(Messaging, OnlyOneEndpointHoldsThePath) {
    MessageEndpoint first(SocketPath());
    ASSERT_EQ(first.Listen(), MessageEndpoint::StartResult::Listening);
    MessageEndpoint second(SocketPath());
    EXPECT_EQ(second.Listen(), MessageEndpoint::StartResult::AlreadyRunning);
}

TEST_F(Messaging, EndpointDeliversPostsAndBroadcasts) {
    MessageEndpoint endpoint(SocketPath());
    ASSERT_EQ(endpoint.Listen(), MessageEndpoint::StartResult::Listening);
    std::vector<std::tuple<QString, WPARAM, LPARAM>> received;
    endpoint.SetReceiver(
        [&](const QString& name, WPARAM w, LPARAM l) { received.emplace_back(name, w, l); });

    EndpointPeer listener(SocketPath());
    ASSERT_TRUE(listener.Connected());
    ASSERT_TRUE(
        listener.Write("garbage line\nPOST " + registered::kLightRequest.toStdString() + " 1 0\n"));
    ASSERT_TRUE(test::WaitFor([&] { return received.size() == 1; }));
    EXPECT_EQ(std::get<0>(received[0]), registered::kLightRequest);
    EXPECT_EQ(std::get<1>(received[0]), 1u);
    EXPECT_EQ(std::get<2>(received[0]), 0);

    ASSERT_EQ(endpoint.ListenerCount(), 1);
    endpoint.Broadcast(registered::kLightAnnounce, 1, 1);
    ASSERT_TRUE(test::WaitFor([&] { return listener.HasLine(); }));
    EXPECT_EQ(listener.Received(), registered::kLightAnnounce.toStdString() + " 1 1\n");

    // Lines may arrive in pieces; a peer that hangs up leaves the listeners.
    {
        EndpointPeer slow(SocketPath());
        ASSERT_TRUE(slow.Write("POST " + registered::kLightRequest.toStdString() + " 2"));
        QCoreApplication::processEvents();
        ASSERT_TRUE(slow.Write(" 5\n"));
        ASSERT_TRUE(test::WaitFor([&] { return received.size() == 2; }));
        EXPECT_EQ(std::get<1>(received[1]), 2u);
        EXPECT_EQ(std::get<2>(received[1]), 5);
        EXPECT_EQ(endpoint.ListenerCount(), 2);
    }
    ASSERT_TRUE(test::WaitFor([&] { return endpoint.ListenerCount() == 1; }));
}

TEST_F(Messaging, EndpointIsClosedToOtherUsersAndGoneWhenItCloses) {
    {
        MessageEndpoint endpoint(SocketPath());
        ASSERT_EQ(endpoint.Listen(), MessageEndpoint::StartResult::Listening);
        struct stat info {};
        ASSERT_EQ(::stat(SocketPath().toUtf8().constData(), &info), 0);
        EXPECT_TRUE(S_ISSOCK(info.st_mode));
        EXPECT_EQ(info.st_mode & (S_IRWXG | S_IRWXO), 0u);
    }
    struct stat info {};
    EXPECT_NE(::stat(SocketPath().toUtf8().constData(), &info), 0);
}

TEST_F(Messaging, PeersThatMisbehaveAreCutOff) {
    MessageEndpoint endpoint(SocketPath());
    ASSERT_EQ(endpoint.Listen(), MessageEndpoint::StartResult::Listening);
    int received = 0;
    endpoint.SetReceiver([&](const QString&, WPARAM, LPARAM) { ++received; });

    EndpointPeer endless(SocketPath());
    ASSERT_TRUE(endless.Write(std::string(4 * MessageEndpoint::kMaxLineBytes, 'x')));
    ASSERT_TRUE(test::WaitFor([&] { return endless.HungUp(); }));
    EXPECT_EQ(received, 0);

    // A listener that never reads: the application keeps a bounded backlog for it, then lets
    // it go, and the listeners that do read are not affected.
    EndpointPeer deaf(SocketPath());
    EndpointPeer reader(SocketPath());
    ASSERT_TRUE(test::WaitFor([&] { return endpoint.ListenerCount() == 2; }));
    for (int i = 0; i < 20000 && endpoint.ListenerCount() == 2; ++i) {
        endpoint.Broadcast(registered::kLightAnnounce, 1, 1);
        reader.HasLine();
    }
    EXPECT_EQ(endpoint.ListenerCount(), 1);
    endpoint.Broadcast(registered::kLightAnnounce, 7, 7);
    ASSERT_TRUE(test::WaitFor([&] {
        reader.HasLine();
        return reader.Received().ends_with(registered::kLightAnnounce.toStdString() + " 7 7\n");
    }));
}

TEST_F(Messaging, AnotherProcessReachesTheWindowsHandler) {
    MessageEndpoint endpoint(SocketPath());
    ASSERT_EQ(endpoint.Listen(), MessageEndpoint::StartResult::Listening);
    const unsigned request = RegisterWindowMessage(registered::kLightRequest);
    endpoint.SetReceiver([port = m_window->GetHWND()](const QString& name, WPARAM w, LPARAM l) {
        if (const unsigned message = FindWindowMessage(name)) {
            port->Post(message, w, l);
        }
    });
    QProcess sender;
    sender.start(QCoreApplication::applicationDirPath() + QStringLiteral("/quaro-msg"),
                 {QStringLiteral("--socket"), SocketPath(), registered::kLightRequest,
                  QStringLiteral("1"), QStringLiteral("0")});
    ASSERT_TRUE(test::WaitFor([&] { return sender.state() == QProcess::NotRunning; }, 10000));
    EXPECT_EQ(sender.exitCode(), 0);
    ASSERT_TRUE(test::WaitFor([&] {
        for (const auto& m : m_window->m_messages) {
            if (m.message == request && m.wParam == 1 && m.lParam == 0) {
                return true;
            }
        }
        return false;
    }));
}

TEST_F(Messaging, SenderReportsWhenNoCopyRuns) {
    EXPECT_FALSE(
        MessageEndpoint::SendToRunning(SocketPath(), registered::kInstanceMessage, 0, 1, 200));
}

}  // namespace
}  // namespace quaro
