// Start-up: the order of its steps, the client record it fills, the log hook.
#include <QRegularExpression>
#include <QSettings>

#include <gtest/gtest.h>

#include <cstring>

#include "Fakes.h"
#include "core/Globals.h"
#include "kestor/Callbacks.h"

namespace {

class Startup : public ::testing::Test {
protected:
  void TearDown() override { defaults().remove(QStringLiteral("kestorLogLevel")); }
  ClientFixture fixture;
};

std::vector<std::string> functionNames(const std::vector<FrameworkCall> &calls) {
  std::vector<std::string> names;
  for (const auto &call : calls) names.push_back(call.function);
  return names;
}

TEST_F(Startup, StepsRunInOrderAndStartedIsTheLastEntry) {
  fixture.delegate.onChanged = nullptr;
  fixture.kestor->start(false, true);
  EXPECT_EQ(functionNames(fixture.framework.calls()),
            (std::vector<std::string>{"set_log_level", "start", "attach_client"}));
  EXPECT_EQ(fixture.framework.calls("set_log_level").at(0).value, 0u);  // absent setting
  EXPECT_EQ(fixture.searches, (std::vector<QString>{"_kestor._tcp@local.", "_indi._tcp@local."}));
  EXPECT_EQ(KESTOR::clientInstance(), fixture.kestor.get());
  EXPECT_EQ(kestor_log_message_handler, &KESTOR::logMessageHandler);
  EXPECT_EQ(kestor_sync_executor, &runOnMainThread);
  EXPECT_TRUE(kestor_is_sandboxed);
  ASSERT_TRUE(fixture.waitForMessages(1));
  EXPECT_EQ(fixture.events, (QStringList{"attached", "message KESTOR Started..."}));
  EXPECT_TRUE(QRegularExpression(R"(^\d\d:\d\d:\d\d\.\d{3} KESTOR Started\.\.\.$)").match(fixture.kestor->messages.at(0)).hasMatch());
  if (!mainBundle().resourcePath.isEmpty()) {
    EXPECT_EQ(qgetenv("KESTOR_FIRMWARE_BASE"), mainBundle().resourcePath.toUtf8());
  }
}

TEST_F(Startup, ClientRecordIsZeroExceptVersionAndCallbacks) {
  fixture.kestor->start(false, false);
  kestor_client expected;
  std::memset(&expected, 0, sizeof expected);
  fillClientRecord(&expected);
  EXPECT_EQ(std::memcmp(fixture.kestor->client, &expected, sizeof expected), 0);
  EXPECT_EQ(fixture.kestor->client->version, 0x200u);
  EXPECT_NE(fixture.kestor->client->attach, nullptr);
  EXPECT_NE(fixture.kestor->client->detach, nullptr);
}

TEST_F(Startup, WithoutBrowsingNoSearchStartsAndASecondStartDoesNothing) {
  fixture.kestor->start(false, false);
  fixture.kestor->start(false, true);
  EXPECT_TRUE(fixture.searches.empty());
  EXPECT_EQ(fixture.framework.calls("start").size(), 1u);
}

TEST_F(Startup, LogLevelOutOfRangeIsNotPassedOn) {
  const std::pair<QVariant, std::optional<uint32_t>> cases[] = {
      {QVariant(3), 3u}, {QVariant(-1), std::nullopt}, {QVariant(qint64(1) << 33), std::nullopt}};
  for (const auto &[stored, passed] : cases) {
    ClientFixture fresh;
    defaults().setValue(QStringLiteral("kestorLogLevel"), stored);
    fresh.kestor->start(false, false);
    const auto calls = fresh.framework.calls("set_log_level");
    ASSERT_EQ(calls.size(), passed ? 1u : 0u) << stored.toString().toStdString();
    if (passed) {
      EXPECT_EQ(calls.at(0).value, *passed);
    }
  }
}

TEST_F(Startup, LogHookLogsLinesWithInvalidBytesReplacedAndIgnoresNull) {
  fixture.kestor->start(false, false);
  KESTOR::logMessageHandler(nullptr);
  KESTOR::logMessageHandler("bad \xff byte");
  ASSERT_TRUE(fixture.waitForMessages(2));
  EXPECT_EQ(fixture.messageTexts(), (QStringList{"KESTOR Started...", QStringLiteral("bad \uFFFD byte")}));
}

}  // namespace
