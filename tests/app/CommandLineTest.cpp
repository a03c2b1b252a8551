#include "TempDir.h"
#include "app/CommandLine.h"

#include <QCoreApplication>
#include <QProcess>
#include <QProcessEnvironment>
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

namespace quaro {
namespace {

AppCommandLine Parse(std::vector<const char*> args) {
    args.insert(args.begin(), "quaro");
    return ParseAppCommandLine(static_cast<int>(args.size()), args.data());
}

TEST(AppCommandLine, TakesItsOwnOptionsAndLeavesQtsAlone) {
    EXPECT_TRUE(Parse({"--tray"}).tray);
    EXPECT_FALSE(Parse({}).tray);
    EXPECT_TRUE(Parse({"--version"}).version);
    EXPECT_TRUE(Parse({"--help"}).help);
    EXPECT_TRUE(Parse({"-h"}).help);

    const AppCommandLine qt = Parse({"-style", "fusion", "--platform", "offscreen", "--reverse",
                                     "--stylesheet=a.qss", "--tray"});
    EXPECT_TRUE(qt.error.empty()) << qt.error;
    EXPECT_TRUE(qt.tray);
    EXPECT_TRUE(qt.platformGiven);
    EXPECT_TRUE(Parse({"-platform", "offscreen"}).platformGiven);
    EXPECT_FALSE(Parse({"--tray"}).platformGiven);
    // A value that looks like an option belongs to the option before it.
    EXPECT_TRUE(Parse({"--style", "--odd"}).error.empty());
}

TEST(AppCommandLine, AMistypedOptionIsNamed) {
    const AppCommandLine parsed = Parse({"--trya"});
    EXPECT_FALSE(parsed.tray);
    EXPECT_NE(parsed.error.find("'--trya'"), std::string::npos) << parsed.error;
}

TEST(AppCommandLine, NoDisplayIsToldOnlyWhenNoneCanBeReached) {
    std::map<std::string, std::string> variables;
    const EnvironmentLookup lookup = [&variables](const char* name) -> const char* {
        const auto found = variables.find(name);
        return found == variables.end() ? nullptr : found->second.c_str();
    };
    EXPECT_NE(MissingDisplayReason(lookup, false).find("no display"), std::string::npos);
    EXPECT_TRUE(MissingDisplayReason(lookup, true).empty());
    variables["DISPLAY"] = "";
    EXPECT_FALSE(MissingDisplayReason(lookup, false).empty());
    variables["DISPLAY"] = ":0";
    EXPECT_TRUE(MissingDisplayReason(lookup, false).empty());
    variables = {{"WAYLAND_DISPLAY", "wayland-0"}};
    EXPECT_TRUE(MissingDisplayReason(lookup, false).empty());
    variables = {{"QT_QPA_PLATFORM", "offscreen"}};
    EXPECT_TRUE(MissingDisplayReason(lookup, false).empty());
    variables = {{"QT_QPA_PLATFORM", "xcb"}};
    EXPECT_FALSE(MissingDisplayReason(lookup, false).empty());
}

// The built application, started with no display of any kind and a private runtime folder.
class HeadlessStart : public ::testing::Test {
protected:
    HeadlessStart() {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) {
            environment.remove(QLatin1String(name));
        }
        environment.insert(QStringLiteral("XDG_RUNTIME_DIR"),
                           QString::fromStdString(m_runtime.Path().string()));
        environment.insert(QStringLiteral("XDG_CONFIG_HOME"),
                           QString::fromStdString(m_runtime.Path().string()));
        m_process.setProcessEnvironment(environment);
        m_process.setProgram(QCoreApplication::applicationDirPath() + QStringLiteral("/quaro"));
    }
    ~HeadlessStart() override {
        if (m_process.state() != QProcess::NotRunning) {
            m_process.kill();
            m_process.waitForFinished(5000);
        }
    }

    // Runs quaro with args to its end; false when it did not end on its own.
    bool Run(const QStringList& args) {
        m_process.setArguments(args);
        m_process.start();
        if (!m_process.waitForFinished(30000)) {
            return false;
        }
        m_out = m_process.readAllStandardOutput().toStdString();
        m_err = m_process.readAllStandardError().toStdString();
        return m_process.exitStatus() == QProcess::NormalExit;
    }

    test::TempDir m_runtime;
    QProcess m_process;
    std::string m_out;
    std::string m_err;
};

TEST_F(HeadlessStart, VersionAndHelpNeedNoDisplay) {
    ASSERT_TRUE(Run({QStringLiteral("--version")}));
    EXPECT_EQ(m_process.exitCode(), 0) << m_err;
    EXPECT_EQ(m_out, "quaro " QUARO_VERSION "\n");

    ASSERT_TRUE(Run({QStringLiteral("--help")}));
    EXPECT_EQ(m_process.exitCode(), 0) << m_err;
    EXPECT_NE(m_out.find("--tray"), std::string::npos) << m_out;

    ASSERT_TRUE(Run({QStringLiteral("--bogus")}));
    EXPECT_EQ(m_process.exitCode(), 2);
    EXPECT_NE(m_err.find("'--bogus'"), std::string::npos) << m_err;
}

TEST_F(HeadlessStart, WithoutADisplayItSaysSoAndLeaves) {
    ASSERT_TRUE(Run({QStringLiteral("--tray")}));
    EXPECT_EQ(m_process.exitCode(), 1);
    EXPECT_NE(m_err.find("no display"), std::string::npos) << m_err;
    // The single-instance guard was given back: a later copy is not taken for a running one.
    EXPECT_FALSE(std::filesystem::exists(m_runtime / "MIREL_QUARO.lock"));
}

}  // namespace
}  // namespace quaro
