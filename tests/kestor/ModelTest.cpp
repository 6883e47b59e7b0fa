// The device model built from hand-filled records.
#include <QTemporaryDir>
#include <QUrl>

#include <gtest/gtest.h>

#include <cstring>
#include <thread>
#include <typeinfo>

#include "EventLoopWait.h"
#include "Fakes.h"
#include "Records.h"
#include "ConsoleCapture.h"
#include "core/Dispatch.h"
#include "kestor/BlobBytes.h"
#include "kestor/GuiderSample.h"
#include "kestor/Model.h"
#include "kestor/MountPosition.h"
#include "support/FreePort.h"
#include "support/ScriptedServer.h"

namespace {

std::shared_ptr<KESTOR::Property> define(KESTOR &kestor, const PropertyRecord &record) {
  kestor.handleDefineProperty(record.get());
  return kestor.devices.at(QString::fromUtf8(record->device))->properties.at(QString::fromUtf8(record->name));
}

TEST(Model, ItemObjectsFollowThePropertyType) {
  ClientFixture fixture;
  const std::pair<uint32_t, const std::type_info *> cases[] = {{KESTOR_TEXT, &typeid(KESTOR::TextItem)},
                                                               {KESTOR_NUMBER, &typeid(KESTOR::NumberItem)},
                                                               {KESTOR_SWITCH, &typeid(KESTOR::SwitchItem)},
                                                               {KESTOR_LIGHT, &typeid(KESTOR::LightItem)},
                                                               {KESTOR_BLOB, &typeid(KESTOR::BLOBItem)},
                                                               {0, nullptr},
                                                               {6, nullptr}};  // nullptr: no items
  for (const auto &[type, kind] : cases) {
    SCOPED_TRACE(type);
    PropertyRecord record("Dev", "P" + std::to_string(type), type, 0, {{"A"}, {"B"}});
    auto property = define(*fixture.kestor, record);
    EXPECT_EQ(property->itemNames, (QStringList{"A", "B"}));
    ASSERT_EQ(property->items.size(), kind ? 2u : 0u);
    if (!kind) continue;
    const KESTOR::Item *item = property->items.at("A").get();
    EXPECT_EQ(typeid(*item), *kind);
    EXPECT_EQ(item->item, &record.item(0));
  }
  // One name twice: the last item of that name stands for it.
  PropertyRecord twice("Dev", "TWICE", KESTOR_NUMBER, 0, {numberItem("X", 1), numberItem("X", 2)});
  auto property = define(*fixture.kestor, twice);
  EXPECT_EQ(property->itemNames, (QStringList{"X", "X"}));
  ASSERT_EQ(property->items.size(), 1u);
  EXPECT_EQ(std::static_pointer_cast<KESTOR::NumberItem>(property->items.at("X"))->value(), 2);
}

TEST(Model, LiveValuesAreReadFromTheRecordAndCopiedWhenItIsDeleted) {
  ClientFixture fixture;
  PropertyRecord record("Dev", "N", KESTOR_NUMBER, KESTOR_STATE_OK, {numberItem("V", 1.5, "%010.6m")});
  auto property = define(*fixture.kestor, record);
  auto item = std::static_pointer_cast<KESTOR::NumberItem>(property->items.at("V"));
  EXPECT_EQ(item->format(), "%010.6m");
  record.item(0).number_value = 2.5;
  record.item(0).number_target = 3.5;
  record->state = KESTOR_STATE_ALERT;
  EXPECT_EQ(property->number("V"), 2.5);
  EXPECT_EQ(item->target(), 3.5);
  EXPECT_EQ(property->state(), KESTOR_STATE_ALERT);
  EXPECT_EQ(item->description(), "V label");
  fixture.kestor->handleDeleteProperty(record.get());
  std::memset(record.get(), 0, sizeof(kestor_property));  // the library frees the record
  EXPECT_EQ(item->value(), 2.5);
  EXPECT_EQ(property->stateImage(), "NSStatusUnavailable");
  EXPECT_EQ(property->description(), "N label");
}

TEST(Model, NamesRedefinitionAndTheConnectionProperty) {
  ClientFixture fixture;
  PropertyRecord unterminated("Dev", "x", KESTOR_SWITCH, 0, {switchItem("A", true)});
  std::memset(unterminated->name, 'N', sizeof unterminated->name);  // no NUL in the field
  fixture.kestor->handleDefineProperty(unterminated.get());
  EXPECT_EQ(fixture.kestor->devices.at("Dev")->properties.count(QString(128, u'N')), 1u);
  PropertyRecord invalid("\xff\xfe", "P", KESTOR_SWITCH);  // invalid UTF-8: the empty name
  fixture.kestor->handleDefineProperty(invalid.get());
  EXPECT_EQ(fixture.kestor->devices.count(QString()), 1u);

  PropertyRecord first("Dev", "CONNECTION", KESTOR_SWITCH, 0, {switchItem("CONNECTED", false)});
  PropertyRecord second("Dev", "CONNECTION", KESTOR_SWITCH, 0, {switchItem("CONNECTED", true)});
  auto property = define(*fixture.kestor, first);
  EXPECT_EQ(define(*fixture.kestor, second), property);  // redefined: the first object, its record
  EXPECT_EQ(property->property, first.get());
  EXPECT_EQ(fixture.kestor->devices.at("Dev")->connectionProperty.lock(), property);
  EXPECT_EQ(fixture.events.filter("CONNECTION"), (QStringList{"defined Dev.CONNECTION"}));
}

// An update reaches the property of its record, also when the library reuses a deleted property's
// record for a property the model has under another record.
TEST(Model, UpdatesReachThePropertyOfTheirRecord) {
  ClientFixture fixture;
  PropertyRecord record("Dev", "P", KESTOR_NUMBER, 0, {numberItem("V", 1)});
  PropertyRecord other("Dev", "Q", KESTOR_NUMBER, 0, {numberItem("V", 1)});
  define(*fixture.kestor, record);
  define(*fixture.kestor, other);
  fixture.kestor->handleUpdateProperty(record.get());
  fixture.kestor->handleDeleteProperty(record.get());
  std::strncpy(record->name, "Q", sizeof record->name);
  fixture.kestor->handleDefineProperty(record.get());  // Q is there: the model keeps its object
  fixture.kestor->handleUpdateProperty(record.get());
  EXPECT_EQ(fixture.events.filter("changed"), (QStringList{"changed Dev.P", "changed Dev.Q"}));
}

TEST(Model, MountPositionFromTheEquatorialSiteAndHorizontalProperties) {
  ClientFixture fixture;
  const std::vector<ItemRecipe> radec{numberItem("RA", 3), numberItem("DEC", 60)};
  const std::vector<ItemRecipe> site{numberItem("LATITUDE", 45), numberItem("LONGITUDE", 7),
                                     numberItem("ELEVATION", 300)};
  const std::vector<ItemRecipe> altaz{numberItem("ALT", 20), numberItem("AZ", 180)};
  const struct {
    uint32_t state;
    std::vector<ItemRecipe> equatorial, site, horizontal;  // no items: the device lacks the property
    std::optional<MountPosition> position;
  } rows[] = {
      {KESTOR_STATE_OK, radec, {}, {}, MountPosition{3, 60, {}, {}, false}},
      {KESTOR_STATE_BUSY, radec, site, altaz, MountPosition{3, 60, {{45, 7, 300}}, {{20, 180}}, true}},
      {KESTOR_STATE_OK, radec, {site[0], site[1]}, {altaz[0]}, MountPosition{3, 60, {}, {}, false}},
      {KESTOR_STATE_OK, {radec[0]}, site, altaz, std::nullopt},
  };
  int row = 0;
  for (const auto &r : rows) {
    const std::string device = "Mount" + std::to_string(row++);
    std::vector<std::unique_ptr<PropertyRecord>> records;
    for (const auto &[name, items] :
         {std::pair{"GEOGRAPHIC_COORDINATES", r.site}, {"MOUNT_HORIZONTAL_COORDINATES", r.horizontal}}) {
      if (items.empty()) continue;
      records.push_back(std::make_unique<PropertyRecord>(device, name, KESTOR_NUMBER, 0, items));
      define(*fixture.kestor, *records.back());
    }
    PropertyRecord equatorial(device, "MOUNT_EQUATORIAL_COORDINATES", KESTOR_NUMBER, r.state, r.equatorial);
    EXPECT_EQ(MountPosition::read(*define(*fixture.kestor, equatorial)), r.position) << device;
  }
  // The map centres on the mount while it slews, or when it has no centre yet.
  EXPECT_FALSE((MountPosition{3, 60, {}, {}, false}.centresMap(true)));
  EXPECT_TRUE((MountPosition{3, 60, {}, {}, true}.centresMap(true)));
  EXPECT_TRUE((MountPosition{3, 60, {}, {}, false}.centresMap(false)));
}

// Whole samples are read in the end-to-end test of the guider graph.
TEST(Model, GuiderSampleNeedsAllSevenItems) {
  ClientFixture fixture;
  std::vector<ItemRecipe> items;
  for (const char *name : {"FRAME", "DRIFT_X", "DRIFT_Y", "DRIFT_RA", "DRIFT_DEC", "CORR_RA"})
    items.push_back(numberItem(name, 1));
  PropertyRecord partial("Guider", "AGENT_GUIDER_STATS", KESTOR_NUMBER, 0, items);
  EXPECT_FALSE(GuiderSample::read(*define(*fixture.kestor, partial)));
}

TEST(Model, BlobValueIsCopiedOncePerUpdateAndRolledOver) {
  ClientFixture fixture;
  char bytes[] = "0123456789";
  PropertyRecord record("Dev", "CCD1", KESTOR_BLOB, KESTOR_STATE_OK, {{"B", [&](kestor_item &item) {
                                                                         item.blob_value = bytes;
                                                                         item.blob_size = 10;
                                                                       }}});
  auto property = define(*fixture.kestor, record);
  auto blob = std::static_pointer_cast<KESTOR::BLOBItem>(property->items.at("B"));
  EXPECT_EQ(blob->value(), QByteArray("0123456789"));
  bytes[0] = 'X';
  EXPECT_EQ(blob->value(), QByteArray("0123456789"));  // still the first copy

  std::optional<QByteArray> seen;
  fixture.delegate.onChanged = [&](const auto &) { seen = blob->cachedValue; };
  fixture.kestor->handleUpdateProperty(record.get());
  EXPECT_FALSE(seen.has_value());  // emptied before the delegates heard of the update
  EXPECT_EQ(blob->previousValue, QByteArray("0123456789"));
  EXPECT_EQ(blob->value(), QByteArray("X123456789"));
  EXPECT_EQ(property->seq, 1);
  {
    std::lock_guard busy(blob->lock);  // a reader holds the item: no roll-over, the cached value
    std::thread([&] { fixture.kestor->handleUpdateProperty(record.get()); }).join();
  }
  EXPECT_EQ(blob->cachedValue, QByteArray("X123456789"));

  // Bytes the library decoded into the model's memory are shared, and kept past the deletion.
  void *decoded = resizeBlobBytes(nullptr, 10);
  std::memcpy(decoded, "shared0123", 10);
  record.item(0).blob_value = decoded;
  fixture.kestor->handleUpdateProperty(record.get());
  fixture.kestor->handleDeleteProperty(record.get());
  freeBlobBytes(decoded);
  EXPECT_EQ(blob->value()->constData(), decoded);
  EXPECT_EQ(blob->value(), QByteArray("shared0123"));

  record.item(0).blob_value = nullptr;
  EXPECT_FALSE(KESTOR::BLOBItem("B", &record.item(0)).value().has_value());
  record.item(0).blob_value = record->label;
  record.item(0).blob_size = -5;  // a negative size copies nothing
  EXPECT_EQ(KESTOR::BLOBItem("B", &record.item(0)).value(), QByteArray());
}

class BlobUrl : public ::testing::Test {
protected:
  void TearDown() override { KESTOR::BLOBItem::fetchTimeout = 30; }
  KESTOR::BLOBItem &blob(const QString &url, const char *format = "") {
    record = std::make_unique<PropertyRecord>(
        "Dev", "B", KESTOR_BLOB, 0, std::vector<ItemRecipe>{{"B", [&](kestor_item &item) {
                                                               PropertyRecord::copy(item.blob_url, url.toStdString());
                                                               PropertyRecord::copy(item.blob_format, format);
                                                             }}});
    item = std::make_unique<KESTOR::BLOBItem>("B", &record->item(0));
    return *item;
  }
  ConsoleCapture console;
  std::unique_ptr<PropertyRecord> record;
  std::unique_ptr<KESTOR::BLOBItem> item;
};

TEST_F(BlobUrl, FormatFromTheUrlOrTheFormatText) {
  const std::tuple<const char *, const char *, const char *> cases[] = {{"http://h/x/image.fits", ".xisf", ".fits"},
                                                                        {"http://h/data", ".xisf", "./data"},
                                                                        {"", ".fits", ".fits"},
                                                                        {"http://[bad", ".raw", ".raw"}};
  for (const auto &[url, format, expected] : cases) EXPECT_EQ(blob(url, format).format(), expected) << url;
}

TEST_F(BlobUrl, FileAndHttpUrlsAreReadWithoutRunningTheMainEventLoop) {
  QTemporaryDir dir;
  QFile file(dir.filePath("image.fits"));
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  file.write("SIMPLE");
  file.close();
  EXPECT_EQ(blob(QUrl::fromLocalFile(file.fileName()).toString()).value(), QByteArray("SIMPLE"));

  test_support::ScriptedServer server;
  std::thread answer([&] {
    if (server.waitForReceived("\r\n\r\n")) server.send("HTTP/1.0 200 OK\r\nContent-Length: 11\r\n\r\nSIMPLE  = T");
    server.closeClient();
  });
  bool mainLoopRan = false;
  asyncMain([&] { mainLoopRan = true; });
  EXPECT_EQ(blob(QStringLiteral("http://127.0.0.1:%1/image.fits").arg(server.port())).value(),
            QByteArray("SIMPLE  = T"));
  answer.join();
  EXPECT_FALSE(mainLoopRan);  // no queued block ran in the middle of the read
  EXPECT_TRUE(console.lines.isEmpty());
  waitUntil([&] { return mainLoopRan; });
}

TEST_F(BlobUrl, FailedOrSilentFetchWritesAConsoleLineAndIsRetried) {
  const QString refused = QStringLiteral("http://127.0.0.1:%1/x.fits").arg(test_support::freeLoopbackPort());
  EXPECT_FALSE(blob(refused).value().has_value());
  EXPECT_EQ(console.lines, QStringList{"Failed to fetch " + refused});
  EXPECT_FALSE(item->value().has_value());
  EXPECT_EQ(console.lines.size(), 2);
  test_support::ScriptedServer silent;  // accepts, never answers
  KESTOR::BLOBItem::fetchTimeout = 0.2;
  EXPECT_FALSE(blob(QStringLiteral("http://127.0.0.1:%1/x.fits").arg(silent.port())).value().has_value());
  EXPECT_EQ(console.lines.size(), 3);
}

}  // namespace
