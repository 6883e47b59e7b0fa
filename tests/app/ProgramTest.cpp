// The built program and its settings tool as separate processes on a scratch configuration: bad
// arguments to the tool write nothing, a colour it stores reads back; the program, with a server
// that never answers, ends within 2 s of SIGTERM or SIGINT with status 0, after logging its start;
// installed, it finds its own resources.
#include "core/Settings.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QSettings>
#include <QTcpServer>
#include <QTemporaryDir>

#include <csignal>

#include <gtest/gtest.h>

namespace {

class ProgramTest : public testing::Test {
protected:
  void SetUp() override {
    environment.insert(QStringLiteral("HOME"), folder.path());
    environment.insert(QStringLiteral("XDG_CONFIG_HOME"), folder.filePath(QStringLiteral("config")));
    environment.insert(QStringLiteral("KESTOR_BUILD_DIR"), QStringLiteral(KESTOR_BUILD_DIR));
  }
  // Runs the settings tool (or another program) to its end; returns its exit code.
  int run(const QStringList &arguments, const QString &program = QStringLiteral(KESTOR_SETTINGS_TOOL)) {
    QProcess process;
    process.setProcessEnvironment(environment);
    process.start(program, arguments);
    return process.waitForFinished(10000) ? process.exitCode() : -1;
  }
  // Reads the program's output until it holds the text, the program ends or 20 s pass.
  static QByteArray readUntil(QProcess &program, const QByteArray &text) {
    QByteArray output;
    QElapsedTimer clock;
    clock.start();
    while (!output.contains(text) && clock.elapsed() < 20000 && program.state() == QProcess::Running) {
      program.waitForReadyRead(100);
      output += program.readAll();
    }
    return output;
  }
  QVariant stored(const QString &key) const {
    return QSettings(folder.filePath(QStringLiteral("config/" KESTOR_SETTINGS_FILE)), QSettings::IniFormat).value(key);
  }

  QTemporaryDir folder;
  QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
};

// What ./run.sh adds through scripts/configure-servers.sh the first-run test reads back; here what
// neither may write.
TEST_F(ProgramTest, BadArgumentsToTheToolAndTheScriptWriteNothing) {
  for (const QStringList &arguments : {QStringList{},
                                       {"add-servers"},
                                       {"add-servers", "localhost"},
                                       {"add-servers", "localhost:0"},
                                       {"add-servers", "localhost:70000"},
                                       {"add-servers", ":7624"},
                                       {"set", "key"},
                                       {"set-color", "markerColor"},
                                       {"set-color", "markerColor", "not a colour"},
                                       {"unknown"}})
    EXPECT_EQ(run(arguments), 2) << arguments.join(' ').toStdString();
  EXPECT_EQ(run({"localhost"}, QStringLiteral(CONFIGURE_SERVERS_SCRIPT)), 2);
  EXPECT_FALSE(QFile::exists(folder.filePath(QStringLiteral("config/" KESTOR_SETTINGS_FILE))));
}

// A colour set with the tool reads back through the program's own colour reader.
TEST_F(ProgramTest, TheToolStoresAColourTheProgramReads) {
  ASSERT_EQ(run({"set-color", "markerColor", "#ff8000"}), 0);
  const std::optional<QColor> color = UserDefaults::decodeColor(stored(QStringLiteral("markerColor")).toByteArray());
  ASSERT_TRUE(color.has_value());
  EXPECT_EQ(color->name(), QStringLiteral("#ff8000"));
}

class ProgramExitTest : public ProgramTest, public testing::WithParamInterface<int> {};

TEST_P(ProgramExitTest, EndsWithinTwoSecondsOfTheSignal) {
  QTcpServer silentServer;  // accepts connections and never says a word
  ASSERT_TRUE(silentServer.listen(QHostAddress::LocalHost));
  ASSERT_EQ(run({"add-servers", QStringLiteral("127.0.0.1:%1").arg(silentServer.serverPort())}), 0);
  ASSERT_EQ(run({"set", "initialized_" KESTOR_APP_VERSION, "true"}), 0);
  QProcess program;
  program.setProcessEnvironment(environment);
  program.setProcessChannelMode(QProcess::MergedChannels);
  program.start(QStringLiteral(KESTOR_PANEL_PROGRAM), {});
  ASSERT_TRUE(program.waitForStarted(10000));

  QByteArray output = readUntil(program, " KESTOR 2.0_88 OS ");
  // The banner follows the client's start on the console.
  const qsizetype started = output.indexOf("KESTOR Started...");
  ASSERT_GE(started, 0) << output.toStdString();
  EXPECT_GT(output.indexOf(" KESTOR 2.0_88 OS "), started);
  // Past the moment the saved servers are restored and connecting begins.
  program.waitForFinished(1300);
  ASSERT_EQ(program.state(), QProcess::Running) << output.toStdString();

  QElapsedTimer clock;
  clock.start();
  kill(pid_t(program.processId()), GetParam());
  ASSERT_TRUE(program.waitForFinished(5000));
  EXPECT_LT(clock.elapsed(), 2000);
  EXPECT_EQ(program.exitStatus(), QProcess::NormalExit);
  EXPECT_EQ(program.exitCode(), 0) << (output + program.readAll()).toStdString();
  EXPECT_EQ(stored(QStringLiteral("NSInitialToolTipDelay")).toString(), QStringLiteral("300"));
}

INSTANTIATE_TEST_SUITE_P(Signals, ProgramExitTest, testing::Values(SIGTERM, SIGINT));

// Installed into a prefix of its own and run with the build tree's resources out of reach (an empty
// folder mounted over them in a private mount namespace), the program hands the drivers its
// installed resource folder, which it finds before the application object exists.
TEST_F(ProgramTest, AnInstalledCopyNamesItsOwnResourceFolder) {
  if (run({"--mount", "--map-root-user", "true"}, QStringLiteral("unshare")) != 0)
    GTEST_SKIP() << "mount namespaces are refused on this machine";
  const QString prefix = folder.filePath(QStringLiteral("prefix"));
  ASSERT_EQ(run({"--install", KESTOR_BUILD_DIR, "--prefix", prefix}, QStringLiteral(CMAKE_COMMAND)), 0);
  const QString resources = QDir(prefix).filePath(QStringLiteral(INSTALLED_RESOURCES));
  ASSERT_TRUE(QFileInfo(resources).isDir());
  ASSERT_EQ(run({"set", "initialized_" KESTOR_APP_VERSION, "true"}), 0);
  const QString empty = folder.filePath(QStringLiteral("empty")), log = folder.filePath(QStringLiteral("setenv.log"));
  ASSERT_TRUE(QDir().mkpath(empty));
  environment.insert(QStringLiteral("KESTOR_SETENV_LOG"), log);

  QProcess program;  // unshare and the shell hand their process over to the program
  program.setProcessEnvironment(environment);
  program.setProcessChannelMode(QProcess::MergedChannels);
  program.start(
      QStringLiteral("unshare"),
      {"--mount", "--map-root-user", "sh", "-c", R"(mount --bind "$1" "$2" && exec env LD_PRELOAD="$3" "$4")", "sh",
       empty, BUILD_RESOURCES_PARENT, SETENV_LOG_MODULE, QDir(prefix).filePath(QStringLiteral(INSTALLED_PROGRAM))});
  ASSERT_TRUE(program.waitForStarted(10000));
  const QByteArray output = readUntil(program, "KESTOR Started...");
  kill(pid_t(program.processId()), SIGTERM);
  program.waitForFinished(5000);
  ASSERT_TRUE(output.contains("KESTOR Started...")) << (output + program.readAll()).toStdString();
  QFile written(log);  // absent when the program set no variable
  written.open(QIODevice::ReadOnly);
  const QByteArrayList lines = written.readAll().split('\n');
  EXPECT_TRUE(lines.contains("KESTOR_FIRMWARE_BASE=" + QFile::encodeName(QFileInfo(resources).canonicalFilePath())))
      << lines.join('\n').toStdString();
}

}  // namespace
