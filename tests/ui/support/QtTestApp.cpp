#include "QtTestApp.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QThread>
#include <gtest/gtest.h>

namespace quaro::test {
namespace {

// One application object for every test of the program (tests run with the offscreen platform).
class QtApplicationEnvironment : public ::testing::Environment {
public:
    void SetUp() override {
        static int argc = 1;
        static char name[] = "quaro-test";
        static char* argv[] = {name, nullptr};
        m_app = new QApplication(argc, argv);
        QApplication::setQuitOnLastWindowClosed(false);
    }
    void TearDown() override {
        delete m_app;
        m_app = nullptr;
    }

private:
    QApplication* m_app = nullptr;
};

[[maybe_unused]] ::testing::Environment* const kEnvironment =
    ::testing::AddGlobalTestEnvironment(new QtApplicationEnvironment);

}  // namespace

std::filesystem::path SourceSkinFolder() {
    return QUARO_SOURCE_DIR "/skin";
}

std::filesystem::path SourceDefaultDataFolder() {
    return QUARO_SOURCE_DIR "/DefaultData";
}

QString SourceSkinPath() {
    return QStringLiteral(QUARO_SOURCE_DIR "/skin");
}

bool WaitFor(const std::function<bool()>& condition, int timeoutMs) {
    QElapsedTimer timer;
    timer.start();
    while (!condition()) {
        if (timer.elapsed() > timeoutMs) {
            return false;
        }
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        QThread::msleep(1);
    }
    return true;
}

}  // namespace quaro::test
