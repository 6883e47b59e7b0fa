// The message log: console lines, entries, their bound and order.
#include <QRegularExpression>

#include <gtest/gtest.h>

#include <thread>

#include "EventLoopWait.h"
#include "Fakes.h"
#include "core/Console.h"

namespace {

class MessageLog : public ::testing::Test {
protected:
  void SetUp() override {
    setConsoleSink([this](const QByteArray &line) { console.append(QString::fromUtf8(line)); });
  }
  void TearDown() override { setConsoleSink({}); }
  ClientFixture fixture;
  QStringList console;
};

TEST_F(MessageLog, EntriesAreAppendedLaterOnTheMainThreadWithATimeStamp) {
  fixture.kestor->log(QStringLiteral("first\nsecond"));
  fixture.kestor->log(QString());
  fixture.kestor->log(QStringLiteral("100% %s %n"));
  EXPECT_TRUE(fixture.kestor->messages.isEmpty());  // not before the main loop has run
  EXPECT_EQ(console, (QStringList{"first", "second", "", "100% %s %n"}));
  ASSERT_TRUE(fixture.waitForMessages(3));
  EXPECT_EQ(fixture.messageTexts(), (QStringList{"first\nsecond", "", "100% %s %n"}));
  EXPECT_TRUE(QRegularExpression(R"(^\d\d:\d\d:\d\d\.\d{3} $)").match(fixture.kestor->messages.at(1)).hasMatch());
  EXPECT_EQ(fixture.events, (QStringList{"message first\nsecond", "message ", "message 100% %s %n"}));
}

TEST_F(MessageLog, HoldsAtMostTenThousandAndOneEntries) {
  for (int i = 0; i < KESTOR::MAX_MESSAGES; ++i) fixture.kestor->log(QString::number(i));
  ASSERT_TRUE(fixture.waitForMessages(KESTOR::MAX_MESSAGES));
  EXPECT_EQ(fixture.messageTexts().first(), "0");
  fixture.kestor->log(QStringLiteral("last"));
  ASSERT_TRUE(waitUntil([&] { return fixture.messageTexts().last() == "last"; }));
  EXPECT_EQ(fixture.kestor->messages.size(), KESTOR::MAX_MESSAGES);
  EXPECT_EQ(fixture.messageTexts().first(), "1");
}

TEST_F(MessageLog, TextsOfOneThreadKeepTheirOrder) {
  std::thread worker([&] {
    for (int i = 0; i < 1000; ++i) fixture.kestor->log(QString::number(i));
  });
  worker.join();
  ASSERT_TRUE(fixture.waitForMessages(1000));
  const QStringList texts = fixture.messageTexts();
  for (int i = 0; i < 1000; ++i) ASSERT_EQ(texts.at(i), QString::number(i));
}

TEST_F(MessageLog, ClearingAnEmptyLogStillNotifies) {
  QStringList second;
  RecordingDelegate other(&second);
  fixture.kestor->addDelegate(&other);
  fixture.kestor->clearMessages();
  EXPECT_TRUE(fixture.kestor->messages.isEmpty());
  EXPECT_EQ(fixture.events, QStringList{"message Log cleared..."});
  EXPECT_EQ(second, QStringList{"message Log cleared..."});
}

}  // namespace
