// The settings tool and scripts/configure-servers.sh add to the server list in the form the
// program reads back: a list of maps with a text "host" and an integer "port".
#include <QProcess>
#include <QSettings>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

class SettingsToolTest : public testing::Test {
protected:
  void SetUp() override { ASSERT_TRUE(folder.isValid()); }

  // Runs a program with the scratch configuration folder; returns its exit code.
  int run(const QString &program, const QStringList &arguments) {
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("XDG_CONFIG_HOME"), config());
    environment.insert(QStringLiteral("KESTOR_BUILD_DIR"), QStringLiteral(KESTOR_BUILD_DIR));
    process.setProcessEnvironment(environment);
    process.start(program, arguments);
    if (!process.waitForFinished(10000)) return -1;
    return process.exitCode();
  }

  QString config() const { return folder.filePath(QStringLiteral("config")); }
  QVariant stored(const QString &key) const {
    return QSettings(config() + QStringLiteral("/" KESTOR_SETTINGS_FILE), QSettings::IniFormat).value(key);
  }

  QTemporaryDir folder;
};

TEST_F(SettingsToolTest, TheScriptAddsServersAsTheProgramReadsThemKeepingTheUsersOwn) {
  ASSERT_EQ(run(QStringLiteral(KESTOR_SETTINGS_TOOL), {"add-servers", "mine.local:7000"}), 0);
  for (int run = 0; run < 2; ++run)  // the second run finds both listed
    ASSERT_EQ(this->run(QStringLiteral(CONFIGURE_SERVERS_SCRIPT), {"127.0.0.1", "7624", "::1", "7625"}), 0);
  const QVariantList servers = stored(QStringLiteral("servers")).toList();
  ASSERT_EQ(servers.size(), 3);
  const QVariantMap own = servers[0].toMap(), first = servers[1].toMap(), second = servers[2].toMap();
  EXPECT_EQ(own.value(QStringLiteral("host")), QVariant(QStringLiteral("mine.local")));
  EXPECT_EQ(first.value(QStringLiteral("host")), QVariant(QStringLiteral("127.0.0.1")));
  EXPECT_EQ(first.value(QStringLiteral("port")), QVariant(7624));
  EXPECT_EQ(first.value(QStringLiteral("port")).typeId(), QMetaType::Int);
  EXPECT_EQ(second.value(QStringLiteral("host")), QVariant(QStringLiteral("::1")));
  EXPECT_EQ(second.value(QStringLiteral("port")), QVariant(7625));
}

TEST_F(SettingsToolTest, BadArgumentsWriteNothing) {
  for (const QStringList &arguments :
       {QStringList{}, QStringList{"add-servers"}, QStringList{"add-servers", "localhost"},
        QStringList{"add-servers", "localhost:0"}, QStringList{"add-servers", "localhost:70000"},
        QStringList{"add-servers", ":7624"}, QStringList{"set", "key"}, QStringList{"unknown"}}) {
    EXPECT_EQ(run(QStringLiteral(KESTOR_SETTINGS_TOOL), arguments), 2) << arguments.join(' ').toStdString();
  }
  EXPECT_FALSE(QFile::exists(config() + QStringLiteral("/" KESTOR_SETTINGS_FILE)));
  EXPECT_EQ(run(QStringLiteral(CONFIGURE_SERVERS_SCRIPT), {QStringLiteral("localhost")}), 2);
}

TEST_F(SettingsToolTest, SetStoresOneValue) {
  ASSERT_EQ(run(QStringLiteral(KESTOR_SETTINGS_TOOL), {"set", "kestorLogLevel", "1"}), 0);
  EXPECT_EQ(stored(QStringLiteral("kestorLogLevel")).toString(), QStringLiteral("1"));
}

}  // namespace
