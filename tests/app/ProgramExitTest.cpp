// The program as a whole: started on a scratch configuration with a server that never answers,
// it ends within 2 s of SIGTERM or SIGINT, with status 0, after logging its start.
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QSettings>
#include <QTcpServer>
#include <QTemporaryDir>

#include <csignal>

#include <gtest/gtest.h>

namespace {

class ProgramExitTest : public testing::TestWithParam<int> {
protected:
  void SetUp() override {
    ASSERT_TRUE(folder.isValid());
    // Accepts connections and never says a word.
    ASSERT_TRUE(silentServer.listen(QHostAddress::LocalHost));
    environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    environment.insert(QStringLiteral("HOME"), folder.path());
    environment.insert(QStringLiteral("XDG_CONFIG_HOME"), folder.filePath(QStringLiteral("config")));
    settings({QStringLiteral("add-servers"), QStringLiteral("127.0.0.1:%1").arg(silentServer.serverPort())});
    settings({QStringLiteral("set"), QStringLiteral("initialized_" KESTOR_APP_VERSION), QStringLiteral("true")});
  }

  void settings(const QStringList &arguments) {
    QProcess tool;
    tool.setProcessEnvironment(environment);
    tool.start(QStringLiteral(KESTOR_SETTINGS_TOOL), arguments);
    ASSERT_TRUE(tool.waitForFinished(10000));
    ASSERT_EQ(tool.exitCode(), 0) << tool.readAllStandardError().toStdString();
  }

  QTemporaryDir folder;
  QTcpServer silentServer;
  QProcessEnvironment environment;
};

TEST_P(ProgramExitTest, EndsWithinTwoSecondsOfTheSignal) {
  QProcess program;
  program.setProcessEnvironment(environment);
  program.setProcessChannelMode(QProcess::MergedChannels);
  program.start(QStringLiteral(KESTOR_PANEL_PROGRAM), {});
  ASSERT_TRUE(program.waitForStarted(10000));

  QByteArray output;
  QElapsedTimer running;
  running.start();
  while (!output.contains(" KESTOR 2.0_88 OS ") && running.elapsed() < 20000 && program.state() == QProcess::Running) {
    program.waitForReadyRead(100);
    output += program.readAll();
  }
  // The banner follows the client's start on the console.
  const qsizetype started = output.indexOf("KESTOR Started..."), banner = output.indexOf(" KESTOR 2.0_88 OS ");
  ASSERT_GE(started, 0) << output.toStdString();
  EXPECT_GT(banner, started);
  // Past the moment the saved servers are restored and connecting begins.
  program.waitForFinished(1300);
  ASSERT_EQ(program.state(), QProcess::Running) << output.toStdString();

  QElapsedTimer ending;
  ending.start();
  kill(pid_t(program.processId()), GetParam());
  ASSERT_TRUE(program.waitForFinished(5000));
  EXPECT_LT(ending.elapsed(), 2000);
  EXPECT_EQ(program.exitStatus(), QProcess::NormalExit);
  EXPECT_EQ(program.exitCode(), 0) << (output + program.readAll()).toStdString();
  const QSettings stored(folder.filePath(QStringLiteral("config/" KESTOR_SETTINGS_FILE)), QSettings::IniFormat);
  EXPECT_EQ(stored.value(QStringLiteral("NSInitialToolTipDelay")).toString(), QStringLiteral("300"));
}

INSTANTIATE_TEST_SUITE_P(Signals, ProgramExitTest, testing::Values(SIGTERM, SIGINT));

}  // namespace

int main(int argc, char **argv) {
  QCoreApplication application(argc, argv);
  testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
