// Property changes and BLOB transfer against the recorded library calls.
#include <gtest/gtest.h>

#include <thread>

#include "Fakes.h"
#include "Records.h"
#include "kestor/ChangeBuffers.h"
#include "kestor/Model.h"

namespace {

TEST(ChangeBuffers, TextIsCutAtACharacterBoundary) {
  const QString e = QStringLiteral("\u00e9");         // 2 bytes in UTF-8
  const QString euro = QStringLiteral("\u20ac");      // 3 bytes
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
  ClientFixture fixture;
};

// Texts and numbers reach a real server in the end-to-end test; here the order and what is dropped.
TEST_F(Changes, SwitchesReachTheLibraryInTheOrderMade) {
  PropertyRecord switches("Dev", "S", KESTOR_SWITCH, 0, {switchItem("A", false), switchItem("B", true)});
  auto property = define(switches);
  fixture.kestor->changeText(nullptr, {{"item0", "value0"}});
  fixture.kestor->changeSwitch(property, "MISSING", true);
  for (int i = 0; i < 100; ++i) fixture.kestor->changeSwitch(property, i % 2 ? "B" : "A", i % 3 == 0);
  const auto calls = fixture.framework.changes(*fixture.kestor);
  ASSERT_EQ(calls.size(), 100u);
  for (size_t i = 0; i < 100; ++i) {
    ASSERT_EQ(calls[i].names.size(), 1u);
    EXPECT_EQ(calls[i].names[0], i % 2 ? "B" : "A");
    EXPECT_EQ(calls[i].switches[0], i % 3 == 0);
  }
}

TEST_F(Changes, EnableBlobModeByTypeVersionAndFlag) {
  const struct {
    uint32_t type;
    int16_t version;
    bool enabled;
    std::optional<uint32_t> mode;
  } cases[] = {
      {KESTOR_NUMBER, 0x200, true, std::nullopt},     {KESTOR_BLOB, 0x1FF, true, KESTOR_BLOB_ALSO},
      {KESTOR_BLOB, 0x200, true, KESTOR_BLOB_URL},    {KESTOR_BLOB, 0x107, false, KESTOR_BLOB_NEVER},
      {KESTOR_BLOB, 0x200, false, KESTOR_BLOB_NEVER}, {KESTOR_BLOB, -1, true, KESTOR_BLOB_ALSO},
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
  // Nothing for a deleted property, from a pool thread.
  PropertyRecord record("Dev", "CCD1", KESTOR_BLOB, 0, {{"B"}});
  auto property = define(record);
  fixture.kestor->handleDeleteProperty(record.get());
  const size_t before = fixture.framework.calls("enable_blob").size();
  std::thread([&] { fixture.kestor->enableBLOB(property, true); }).join();
  EXPECT_EQ(fixture.framework.calls("enable_blob").size(), before);
}

}  // namespace
