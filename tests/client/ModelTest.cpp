// The device model built from hand-filled records.
#include <QTcpServer>
#include <QTemporaryDir>
#include <QUrl>

#include <gtest/gtest.h>

#include <future>
#include <thread>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include "Fakes.h"
#include "Records.h"
#include "EventLoopWait.h"
#include "core/Console.h"
#include "core/Dispatch.h"
#include "kestor/BlobBytes.h"
#include "kestor/GuiderSample.h"
#include "kestor/Model.h"
#include "kestor/MountPosition.h"

namespace {

using Item = KESTOR::Item;

std::shared_ptr<KESTOR::Property> define(KESTOR &kestor, const PropertyRecord &record) {
  kestor.handleDefineProperty(record.get());
  return kestor.devices.at(QString::fromUtf8(record->device))->properties.at(QString::fromUtf8(record->name));
}

TEST(Model, ItemObjectsFollowThePropertyType) {
  ClientFixture fixture;
  const struct {
    uint32_t type;
    const char *kind;  // expected class, or "" for none
  } cases[] = {{KESTOR_TEXT, "text"},   {KESTOR_NUMBER, "number"}, {KESTOR_SWITCH, "switch"},
               {KESTOR_LIGHT, "light"}, {KESTOR_BLOB, "blob"},     {0, ""},
               {6, ""}};
  for (const auto &c : cases) {
    SCOPED_TRACE(c.type);
    PropertyRecord record("Dev", "P" + std::to_string(c.type), c.type, 0, {{"A"}, {"B"}});
    auto property = define(*fixture.kestor, record);
    EXPECT_EQ(property->itemNames, (QStringList{"A", "B"}));
    if (*c.kind == '\0') {
      EXPECT_TRUE(property->items.empty());
      continue;
    }
    ASSERT_EQ(property->items.size(), 2u);
    const Item *item = property->items.at("A").get();
    const std::string kind = dynamic_cast<const KESTOR::TextItem *>(item)     ? "text"
                             : dynamic_cast<const KESTOR::NumberItem *>(item) ? "number"
                             : dynamic_cast<const KESTOR::SwitchItem *>(item) ? "switch"
                             : dynamic_cast<const KESTOR::LightItem *>(item)  ? "light"
                             : dynamic_cast<const KESTOR::BLOBItem *>(item)   ? "blob"
                                                                              : "?";
    EXPECT_EQ(kind, c.kind);
    EXPECT_EQ(item->item, &record.item(0));
  }
}

TEST(Model, PropertyWithoutItemsAndDuplicateItemNames) {
  ClientFixture fixture;
  PropertyRecord empty("Dev", "EMPTY", KESTOR_NUMBER);
  EXPECT_TRUE(define(*fixture.kestor, empty)->itemNames.isEmpty());
  PropertyRecord twice("Dev", "TWICE", KESTOR_NUMBER, 0, {numberItem("X", 1), numberItem("X", 2)});
  auto property = define(*fixture.kestor, twice);
  EXPECT_EQ(property->itemNames, (QStringList{"X", "X"}));
  ASSERT_EQ(property->items.size(), 1u);
  EXPECT_EQ(std::static_pointer_cast<KESTOR::NumberItem>(property->items.at("X"))->value(), 2);
}

TEST(Model, LiveValuesAreReadFromTheRecord) {
  ClientFixture fixture;
  PropertyRecord record("Dev", "N", KESTOR_NUMBER, KESTOR_STATE_OK, {numberItem("V", 1.5, "%010.6m")});
  auto property = define(*fixture.kestor, record);
  auto item = std::static_pointer_cast<KESTOR::NumberItem>(property->items.at("V"));
  EXPECT_EQ(item->format(), "%010.6m");
  record.item(0).number_value = 2.5;
  record.item(0).number_target = 3.5;
  record->state = KESTOR_STATE_ALERT;
  EXPECT_EQ(item->value(), 2.5);
  EXPECT_EQ(item->target(), 3.5);
  EXPECT_EQ(property->state(), KESTOR_STATE_ALERT);
  EXPECT_EQ(property->description(), "N label");
  EXPECT_EQ(item->description(), "V label");

  // Deleted, the property reads a copy of the record's last values: the library frees the record.
  fixture.kestor->handleDeleteProperty(record.get());
  std::memset(record.get(), 0, sizeof(kestor_property));
  EXPECT_EQ(item->value(), 2.5);
  EXPECT_EQ(property->state(), KESTOR_STATE_ALERT);
  EXPECT_EQ(property->description(), "N label");
}

TEST(Model, StateImages) {
  const std::pair<uint32_t, const char *> cases[] = {{0, "NSStatusNone"},
                                                     {1, "NSStatusAvailable"},
                                                     {2, "NSStatusPartiallyAvailable"},
                                                     {3, "NSStatusUnavailable"},
                                                     {7, "NSStatusNone"}};
  for (const auto &[state, image] : cases) EXPECT_EQ(statusImageName(state), image) << state;
}

TEST(Model, NamesAreReadWithinTheirFieldAndInvalidUtf8GivesTheEmptyName) {
  ClientFixture fixture;
  PropertyRecord record("Dev", "x", KESTOR_SWITCH, 0, {switchItem("A", true)});
  std::memset(record->name, 'N', sizeof record->name);  // no terminating NUL in the field
  auto &properties = fixture.kestor->device(record.get())->properties;
  fixture.kestor->handleDefineProperty(record.get());
  ASSERT_EQ(properties.size(), 1u);
  EXPECT_EQ(properties.begin()->first, QString(128, u'N'));

  PropertyRecord invalid("\xff\xfe", "P", KESTOR_SWITCH);
  fixture.kestor->handleDefineProperty(invalid.get());
  EXPECT_EQ(fixture.kestor->devices.count(QString()), 1u);
}

TEST(Model, RedefinitionKeepsTheFirstObjectAndConnectionPropertyIsSetOnce) {
  ClientFixture fixture;
  PropertyRecord first("Dev", "CONNECTION", KESTOR_SWITCH, 0, {switchItem("CONNECTED", false)});
  PropertyRecord second("Dev", "CONNECTION", KESTOR_SWITCH, 0, {switchItem("CONNECTED", true)});
  auto property = define(*fixture.kestor, first);
  auto again = define(*fixture.kestor, second);
  EXPECT_EQ(property, again);
  EXPECT_EQ(again->property, first.get());
  auto device = fixture.kestor->devices.at("Dev");
  EXPECT_EQ(device->connectionProperty.lock(), property);
  EXPECT_EQ(fixture.events, (QStringList{"defined Dev.CONNECTION"}));
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

TEST(Model, GuiderSampleNeedsAllSevenItems) {
  ClientFixture fixture;
  std::vector<ItemRecipe> items;
  double value = 1;
  for (const char *name : {"FRAME", "DRIFT_X", "DRIFT_Y", "DRIFT_RA", "DRIFT_DEC", "CORR_RA", "CORR_DEC"})
    items.push_back(numberItem(name, value++));
  PropertyRecord full("Guider", "AGENT_GUIDER_STATS", KESTOR_NUMBER, 0, items);
  const std::optional<GuiderSample> sample = GuiderSample::read(*define(*fixture.kestor, full));
  ASSERT_TRUE(sample);
  EXPECT_EQ(sample->driftXY, QPointF(2, 3));
  EXPECT_EQ(sample->driftEQ, QPointF(4, 5));
  EXPECT_EQ(sample->corrections, QPointF(6, 7));
  EXPECT_TRUE(sample->startsRun());  // frame 1
  full.item(0).number_value = 2;
  EXPECT_FALSE(GuiderSample::read(*define(*fixture.kestor, full))->startsRun());
  items.pop_back();
  PropertyRecord partial("Guider2", "AGENT_GUIDER_STATS", KESTOR_NUMBER, 0, items);
  EXPECT_FALSE(GuiderSample::read(*define(*fixture.kestor, partial)));
}

TEST(Model, BlobFormatFromUrlOrFormatText) {
  const struct {
    const char *url;
    const char *format;
    const char *expected;
  } cases[] = {{"http://h/x/image.fits", ".xisf", ".fits"},
               {"http://h/data", ".xisf", "./data"},
               {"", ".fits", ".fits"},
               {"http://[bad", ".raw", ".raw"}};
  for (const auto &c : cases) {
    PropertyRecord record("Dev", "B", KESTOR_BLOB, 0, {{"B1", [&](kestor_item &item) {
                                                          PropertyRecord::copy(item.blob_url, c.url);
                                                          PropertyRecord::copy(item.blob_format, c.format);
                                                        }}});
    KESTOR::BLOBItem blob("B1", &record.item(0));
    EXPECT_EQ(blob.format(), c.expected) << c.url;
  }
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

  // Bytes the library decoded into the model's memory are shared, and kept past the deletion.
  void *decoded = resizeBlobBytes(nullptr, 10);
  std::memcpy(decoded, "shared0123", 10);
  record.item(0).blob_value = decoded;
  fixture.kestor->handleUpdateProperty(record.get());
  fixture.kestor->handleDeleteProperty(record.get());
  freeBlobBytes(decoded);
  EXPECT_EQ(blob->value()->constData(), decoded);
  EXPECT_EQ(blob->value(), QByteArray("shared0123"));
}

TEST(Model, BlobWithoutDataHasNoValue) {
  PropertyRecord record("Dev", "CCD1", KESTOR_BLOB, 0, {{"B"}});
  KESTOR::BLOBItem blob("B", &record.item(0));
  EXPECT_FALSE(blob.value().has_value());
  record.item(0).blob_value = record->label;
  record.item(0).blob_size = -5;  // a negative size copies nothing
  EXPECT_EQ(blob.value(), QByteArray());
}

TEST(Model, RollOverSkipsAnItemWhoseLockIsHeld) {
  PropertyRecord record("Dev", "CCD1", KESTOR_BLOB, 0, {{"B"}});
  KESTOR::BLOBItem blob("B", &record.item(0));
  blob.cachedValue = QByteArray("old");
  std::promise<void> locked, release;
  std::thread holder([&] {
    std::lock_guard guard(blob.lock);
    locked.set_value();
    release.get_future().wait();
  });
  locked.get_future().wait();
  blob.rollOver();
  release.set_value();
  holder.join();
  EXPECT_EQ(blob.cachedValue, QByteArray("old"));
  EXPECT_FALSE(blob.previousValue.has_value());
  blob.rollOver();
  EXPECT_FALSE(blob.cachedValue.has_value());
  EXPECT_EQ(blob.previousValue, QByteArray("old"));
}

class BlobUrl : public ::testing::Test {
protected:
  void SetUp() override {
    setConsoleSink([this](const QByteArray &line) { console.append(QString::fromUtf8(line)); });
  }
  void TearDown() override {
    setConsoleSink({});
    KESTOR::BLOBItem::fetchTimeout = 30;
  }
  std::optional<QByteArray> valueOf(const QString &url) {
    record = std::make_unique<PropertyRecord>("Dev", "B", KESTOR_BLOB, 0,
                                              std::vector<ItemRecipe>{{"B", [&](kestor_item &item) {
                                                                       PropertyRecord::copy(item.blob_url, url.toStdString());
                                                                     }}});
    blob = std::make_unique<KESTOR::BLOBItem>("B", &record->item(0));
    return blob->value();
  }
  QStringList console;
  std::unique_ptr<PropertyRecord> record;
  std::unique_ptr<KESTOR::BLOBItem> blob;
};

TEST_F(BlobUrl, FileUrlIsRead) {
  QTemporaryDir dir;
  QFile file(dir.filePath("image.fits"));
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  file.write("SIMPLE");
  file.close();
  const QString url = QUrl::fromLocalFile(file.fileName()).toString();
  EXPECT_EQ(valueOf(url), QByteArray("SIMPLE"));
  EXPECT_EQ(blob->format(), ".fits");
  EXPECT_TRUE(console.isEmpty());
}

// A one-shot HTTP server on loopback, answering from its own thread.
class OneShotHttpServer {
public:
  explicit OneShotHttpServer(QByteArray body) {
    listener = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    ::bind(listener, reinterpret_cast<sockaddr *>(&address), length);
    ::listen(listener, 1);
    ::getsockname(listener, reinterpret_cast<sockaddr *>(&address), &length);
    port = ntohs(address.sin_port);
    server = std::thread([this, body] {
      const int client = ::accept(listener, nullptr, nullptr);
      char request[4096];
      [[maybe_unused]] const ssize_t received = ::recv(client, request, sizeof request, 0);
      const QByteArray answer = "HTTP/1.0 200 OK\r\nContent-Length: " + QByteArray::number(body.size()) + "\r\n\r\n" + body;
      [[maybe_unused]] const ssize_t sent = ::send(client, answer.constData(), static_cast<size_t>(answer.size()), 0);
      ::close(client);
    });
  }
  ~OneShotHttpServer() {
    server.join();
    ::close(listener);
  }
  int port = 0;

private:
  int listener;
  std::thread server;
};

TEST_F(BlobUrl, HttpUrlIsFetchedWithoutRunningTheMainEventLoop) {
  OneShotHttpServer server("SIMPLE  = T");
  bool mainLoopRan = false;
  asyncMain([&] { mainLoopRan = true; });
  EXPECT_EQ(valueOf(QStringLiteral("http://127.0.0.1:%1/image.fits").arg(server.port)), QByteArray("SIMPLE  = T"));
  EXPECT_FALSE(mainLoopRan);  // no queued block ran in the middle of the read
  EXPECT_EQ(blob->format(), ".fits");
  waitUntil([&] { return mainLoopRan; });
}

TEST_F(BlobUrl, FailedFetchWritesAConsoleLineAndIsRetried) {
  QTcpServer closed;
  ASSERT_TRUE(closed.listen(QHostAddress::LocalHost));
  const QString url = QStringLiteral("http://127.0.0.1:%1/x.fits").arg(closed.serverPort());
  closed.close();  // refused
  EXPECT_FALSE(valueOf(url).has_value());
  EXPECT_EQ(console, QStringList{"Failed to fetch " + url});
  EXPECT_FALSE(blob->value().has_value());
  EXPECT_EQ(console.size(), 2);
}

TEST_F(BlobUrl, SilentServerTimesOutWithoutBlockingForEver) {
  QTcpServer silent;  // accepts in the kernel's backlog, never answers
  ASSERT_TRUE(silent.listen(QHostAddress::LocalHost));
  KESTOR::BLOBItem::fetchTimeout = 0.2;
  EXPECT_FALSE(valueOf(QStringLiteral("http://127.0.0.1:%1/x.fits").arg(silent.serverPort())).has_value());
  EXPECT_EQ(console.size(), 1);
}

}  // namespace
