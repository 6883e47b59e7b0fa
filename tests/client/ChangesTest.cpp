// Property changes and BLOB transfer against the recorded library calls.
#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "EventLoopWait.h"
#include "Fakes.h"
#include "Records.h"
#include "kestor/ChangeBuffers.h"
#include "kestor/Model.h"

namespace {

TEST(ChangeBuffers, TextIsCutAtACharacterBoundary) {
  const QString e = QStringLiteral("\u00e9");        // 2 bytes in UTF-8
  const QString euro = QStringLiteral("\u20ac");     // 3 bytes
  const QString clef = QStringLiteral("\U0001D11E");  // 4 bytes
  const struct {
    const char *what;
    QString text;
    size_t size;
    size_t expectedBytes;
  } cases[] = {
      {"511 bytes fit", QString(511, u'a'), 512, 511},
      {"600 bytes are cut", QString(600, u'a'), 512, 511},
      {"two-byte character at the end", QString(510, u'a') + e, 512, 510},
      {"three-byte character across the end", QString(509, u'a') + euro, 512, 509},
      {"four-byte character across the end", QString(508, u'a') + clef, 512, 508},
      {"four-byte character fits exactly", QString(507, u'a') + clef, 512, 511},
      {"name of 128 bytes", QString(128, u'n'), 128, 127},
      {"empty", QString(), 128, 0},
  };
  for (const auto &c : cases) {
    SCOPED_TRACE(c.what);
    std::vector<char> buffer(c.size, 'Z');
    copyToBuffer(c.text, buffer.data(), c.size);
    const size_t length = strnlen(buffer.data(), c.size);
    ASSERT_LT(length, c.size);
    EXPECT_EQ(length, c.expectedBytes);
    EXPECT_TRUE(c.text.toUtf8().startsWith(QByteArray(buffer.data(), static_cast<qsizetype>(length))));
    EXPECT_EQ(QString::fromUtf8(buffer.data()).toUtf8(), QByteArray(buffer.data()));  // valid UTF-8
  }
}

class Changes : public ::testing::Test {
protected:
  std::shared_ptr<KESTOR::Property> define(const PropertyRecord &record) {
    fixture.kestor->handleDefineProperty(record.get());
    return fixture.kestor->devices.at(record->device)->properties.at(record->name);
  }
  std::vector<FrameworkCall> sent(const std::string &function) {
    fixture.kestor->waitForChanges();
    return fixture.framework.calls(function);
  }
  ClientFixture fixture;
};

TEST_F(Changes, TextNamesPairWithTheirValues) {
  PropertyRecord record("Dev", "T", KESTOR_TEXT);
  auto property = define(record);
  QMap<QString, QString> values;
  for (int i = 0; i < 5; ++i) values.insert(QStringLiteral("item%1").arg(i), QStringLiteral("value%1").arg(i));
  values.insert(QStringLiteral("long"), QString(600, u'x'));
  fixture.kestor->changeText(property, values);
  fixture.kestor->changeText(property, {});
  fixture.kestor->changeText(nullptr, values);
  const auto calls = sent("change_text");
  ASSERT_EQ(calls.size(), 2u);
  EXPECT_EQ(calls[0].device, "Dev");
  EXPECT_EQ(calls[0].property, "T");
  ASSERT_EQ(calls[0].count, 6);
  for (int i = 0; i < 6; ++i) {
    const std::string &name = calls[0].names[static_cast<size_t>(i)];
    const std::string &value = calls[0].texts[static_cast<size_t>(i)];
    const std::string expected = name == "long" ? std::string(511, 'x') : "value" + name.substr(4);
    EXPECT_EQ(value, expected);
  }
  EXPECT_EQ(calls[1].count, 0);
}

TEST_F(Changes, NumbersAndSwitches) {
  PropertyRecord numbers("Dev", "N", KESTOR_NUMBER);
  PropertyRecord switches("Dev", "S", KESTOR_SWITCH, 0, {switchItem("ON", false), switchItem("OFF", true)});
  fixture.kestor->changeNumber(define(numbers), {{"A", 1500.5}, {"B", -2}});
  auto switchProperty = define(switches);
  fixture.kestor->changeSwitch(switchProperty, "MISSING", true);
  fixture.kestor->changeSwitch(switchProperty, "ON", true);
  const auto numberCalls = sent("change_number");
  ASSERT_EQ(numberCalls.size(), 1u);
  EXPECT_EQ(numberCalls[0].names, (std::vector<std::string>{"A", "B"}));
  EXPECT_EQ(numberCalls[0].numbers, (std::vector<double>{1500.5, -2}));
  const auto switchCalls = sent("change_switch");
  ASSERT_EQ(switchCalls.size(), 1u);
  EXPECT_EQ(switchCalls[0].count, 1);
  EXPECT_EQ(switchCalls[0].names, std::vector<std::string>{"ON"});
  EXPECT_EQ(switchCalls[0].switches, std::vector<bool>{true});
}

TEST_F(Changes, ChangesReachTheLibraryInTheOrderMade) {
  PropertyRecord switches("Dev", "S", KESTOR_SWITCH, 0, {switchItem("A", false), switchItem("B", false)});
  auto property = define(switches);
  for (int i = 0; i < 100; ++i) fixture.kestor->changeSwitch(property, i % 2 ? "B" : "A", i % 3 == 0);
  const auto calls = sent("change_switch");
  ASSERT_EQ(calls.size(), 100u);
  for (int i = 0; i < 100; ++i) {
    EXPECT_EQ(calls[static_cast<size_t>(i)].names[0], i % 2 ? "B" : "A");
    EXPECT_EQ(calls[static_cast<size_t>(i)].switches[0], i % 3 == 0);
  }
}

TEST_F(Changes, EnableBlobModeByTypeVersionAndFlag) {
  const struct {
    uint32_t type;
    int16_t version;
    bool enabled;
    std::optional<uint32_t> mode;
  } cases[] = {
      {KESTOR_NUMBER, 0x200, true, std::nullopt},
      {KESTOR_BLOB, 0x1FF, true, KESTOR_BLOB_ALSO},
      {KESTOR_BLOB, 0x200, true, KESTOR_BLOB_URL},
      {KESTOR_BLOB, 0x107, false, KESTOR_BLOB_NEVER},
      {KESTOR_BLOB, 0x200, false, KESTOR_BLOB_NEVER},
      {KESTOR_BLOB, -1, true, KESTOR_BLOB_ALSO},
  };
  int index = 0;
  for (const auto &c : cases) {
    PropertyRecord record("Dev", "P" + std::to_string(index++), c.type, 0, {{"I"}});
    record->version = c.version;
    auto property = define(record);
    const size_t before = fixture.framework.calls("enable_blob").size();
    fixture.kestor->enableBLOB(property, c.enabled);
    const auto calls = fixture.framework.calls("enable_blob");
    ASSERT_EQ(calls.size() - before, c.mode ? 1u : 0u) << index;
    if (c.mode) {
      EXPECT_EQ(calls.back().value, *c.mode);
      EXPECT_EQ(calls.back().property, record->name);
    }
  }
}

TEST_F(Changes, EnableBlobForADeletedPropertyDoesNothing) {
  PropertyRecord record("Dev", "CCD1", KESTOR_BLOB, 0, {{"B"}});
  auto property = define(record);
  fixture.kestor->handleDeleteProperty(record.get());
  std::atomic<bool> done{false};
  std::thread pool([&] {
    fixture.kestor->enableBLOB(property, true);
    done = true;
  });
  EXPECT_TRUE(waitUntil([&] { return done.load(); }));
  pool.join();
  EXPECT_TRUE(fixture.framework.calls("enable_blob").empty());
}

TEST_F(Changes, RefreshWaitsThenAsksForEveryProperty) {
  EXPECT_EQ(fixture.kestor->refreshDelay, 3.0);
  fixture.kestor->refreshDelay = 0.05;
  const auto begin = std::chrono::steady_clock::now();
  fixture.kestor->refreshProperties();
  EXPECT_GE(std::chrono::steady_clock::now() - begin, std::chrono::milliseconds(50));
  const auto calls = fixture.framework.calls("enumerate_properties");
  ASSERT_EQ(calls.size(), 1u);
  EXPECT_EQ(calls[0].record, &KESTOR_ALL_PROPERTIES);
}

}  // namespace
