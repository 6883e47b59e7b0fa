// The library's callbacks and the model maintenance they drive.
#include <gtest/gtest.h>

#include <thread>

#include "EventLoopWait.h"
#include "Fakes.h"
#include "Records.h"
#include "kestor/Callbacks.h"
#include "kestor/Model.h"

namespace {

// One "CONNECTION" property changing state and switches; the flags after each step.
struct ConnectionStep {
  uint32_t state;
  bool connectedSwitch;
  bool disconnectedSwitch;
  bool connected;
  bool disconnected;
};

TEST(ConnectionRule, FlagsFollowStateAndSwitches) {
  ClientFixture fixture;
  PropertyRecord record("Dev", "CONNECTION", KESTOR_SWITCH, 0,
                        {switchItem("CONNECTED", false), switchItem("DISCONNECTED", true)});
  const ConnectionStep steps[] = {
      {KESTOR_STATE_OK, true, false, true, false},     // defined connected
      {KESTOR_STATE_ALERT, true, false, false, true},  // alert wins over the switches
      {KESTOR_STATE_OK, false, true, false, true},     // disconnected
      {KESTOR_STATE_BUSY, true, true, false, false},   // busy: both false
      {KESTOR_STATE_IDLE, true, false, false, false},  // idle: both false
      {KESTOR_STATE_OK, true, false, true, false},
  };
  bool first = true;
  for (const auto &step : steps) {
    record->state = step.state;
    record.item(0).switch_value = step.connectedSwitch;
    record.item(1).switch_value = step.disconnectedSwitch;
    if (first) fixture.kestor->handleDefineProperty(record.get());
    else fixture.kestor->handleUpdateProperty(record.get());
    first = false;
    const auto device = fixture.kestor->devices.at("Dev");
    EXPECT_EQ(device->connected, step.connected) << "state " << step.state;
    EXPECT_EQ(device->disconnected, step.disconnected) << "state " << step.state;
  }
}

TEST(ConnectionRule, MissingOrNonSwitchItemsKeepTheirFlag) {
  ClientFixture fixture;
  PropertyRecord onlyConnected("Dev", "CONNECTION", KESTOR_SWITCH, KESTOR_STATE_OK, {switchItem("CONNECTED", true)});
  fixture.kestor->handleDefineProperty(onlyConnected.get());
  auto device = fixture.kestor->devices.at("Dev");
  EXPECT_TRUE(device->connected);
  EXPECT_TRUE(device->disconnected);  // as created

  PropertyRecord numbers("Other", "CONNECTION", KESTOR_NUMBER, KESTOR_STATE_OK, {numberItem("CONNECTED", 1)});
  fixture.kestor->handleDefineProperty(numbers.get());
  EXPECT_FALSE(fixture.kestor->devices.at("Other")->connected);
}

TEST(ModelMaintenance, DeviceWideDeleteRemovesEveryPropertyThenTheDevice) {
  ClientFixture fixture;
  PropertyRecord a("Dev", "A", KESTOR_NUMBER, 0, {}, "G1");
  PropertyRecord b("Dev", "B", KESTOR_NUMBER, 0, {}, "G1");
  PropertyRecord c("Dev", "C", KESTOR_NUMBER, 0, {}, "G2");
  for (auto *record : {&a, &b, &c}) fixture.kestor->handleDefineProperty(record->get());
  auto device = fixture.kestor->devices.at("Dev");
  std::vector<bool> listedAtNotification;
  fixture.delegate.onDeleted = [&](const auto &property) {
    EXPECT_TRUE(property->deleted);
    listedAtNotification.push_back(fixture.kestor->devices.count("Dev") != 0);
  };
  fixture.events.clear();
  PropertyRecord all("Dev", "", KESTOR_TYPE_NONE);
  fixture.kestor->handleDeleteProperty(all.get());
  EXPECT_EQ(fixture.events, (QStringList{"deleted Dev.A", "deleted Dev.B", "deleted Dev.C"}));
  EXPECT_EQ(listedAtNotification, (std::vector<bool>{true, true, false}));
  EXPECT_TRUE(device->groups.empty());
  EXPECT_TRUE(fixture.kestor->devices.empty());
}

TEST(ModelMaintenance, DeletingTheLastPropertyOfAGroupKeepsTheDevice) {
  ClientFixture fixture;
  PropertyRecord a("Dev", "A", KESTOR_NUMBER, 0, {}, "G1");
  PropertyRecord c("Dev", "C", KESTOR_NUMBER, 0, {}, "G2");
  fixture.kestor->handleDefineProperty(a.get());
  fixture.kestor->handleDefineProperty(c.get());
  fixture.kestor->handleDeleteProperty(c.get());
  auto device = fixture.kestor->devices.at("Dev");
  EXPECT_EQ(device->groups.count("G2"), 0u);
  EXPECT_EQ(device->groups.count("G1"), 1u);
  // Defined again after the delete: a new object.
  fixture.kestor->handleDefineProperty(c.get());
  EXPECT_EQ(device->groups.at("G2")->properties.size(), 1u);
}

TEST(ModelMaintenance, UpdateOrDeleteOfAnUnknownPropertyOnlyCreatesTheDevice) {
  ClientFixture fixture;
  PropertyRecord unknown("Ghost", "P", KESTOR_NUMBER);
  fixture.kestor->handleUpdateProperty(unknown.get());
  fixture.kestor->handleDeleteProperty(unknown.get());
  ASSERT_EQ(fixture.kestor->devices.count("Ghost"), 1u);
  EXPECT_TRUE(fixture.kestor->devices.at("Ghost")->properties.empty());
  EXPECT_TRUE(fixture.events.isEmpty());
}

class Callbacks : public ::testing::Test {
protected:
  void SetUp() override {
    fillClientRecord(&record);
    fixture.kestor->start(false, false);
    ASSERT_TRUE(fixture.waitForMessages(1));  // "KESTOR Started..."
    fixture.events.clear();
  }
  ClientFixture fixture;
  kestor_client record{};
};

TEST_F(Callbacks, DefineLogsItsMessageAfterTheNotification) {
  PropertyRecord property("Dev", "P", KESTOR_NUMBER);
  EXPECT_EQ(record.define_property(&record, nullptr, property.get(), "hello"), KESTOR_OK);
  ASSERT_TRUE(fixture.waitForMessages(2));
  EXPECT_EQ(fixture.events, (QStringList{"defined Dev.P", "message hello"}));
}

TEST_F(Callbacks, NullRecordAndInvalidMessagesAreDropped) {
  EXPECT_EQ(record.update_property(&record, nullptr, nullptr, "dropped"), KESTOR_OK);
  EXPECT_EQ(record.send_message(&record, nullptr, "\xff bad"), KESTOR_OK);
  EXPECT_EQ(record.send_message(&record, nullptr, nullptr), KESTOR_OK);
  EXPECT_EQ(record.send_message(&record, nullptr, "fine"), KESTOR_OK);
  ASSERT_TRUE(fixture.waitForMessages(2));
  spinFor(20);
  EXPECT_EQ(fixture.messageTexts(), (QStringList{"KESTOR Started...", "fine"}));
}

TEST_F(Callbacks, AttachAndDetachAreLoggedOnlyAtLevelOne) {
  for (uint32_t level : {0u, 2u, 1u}) {
    fixture.framework.logLevel = level;
    record.attach(&record);
    record.detach(&record);
  }
  ASSERT_TRUE(fixture.waitForMessages(3));
  spinFor(20);
  EXPECT_EQ(fixture.messageTexts(),
            (QStringList{"KESTOR Started...", "KESTOR Client attached...", "KESTOR Client detached..."}));
}

TEST_F(Callbacks, UpdatesFromSeveralThreadsAreAppliedOneAtATimeOnTheMainThread) {
  PropertyRecord property("Dev", "N", KESTOR_NUMBER, 0, {numberItem("V", 0)});
  record.define_property(&record, nullptr, property.get(), nullptr);
  auto model = fixture.kestor->devices.at("Dev")->properties.at("N");
  constexpr int perThread = 200;
  std::atomic<int> done{0};
  std::vector<std::thread> threads;
  for (int t = 0; t < 4; ++t) {
    threads.emplace_back([&] {
      for (int i = 0; i < perThread; ++i) {
        runOnMainThread([](void *arg) { static_cast<kestor_property *>(arg)->items[0].number_value += 1; }, property.get());
        record.update_property(&record, nullptr, property.get(), nullptr);
      }
      ++done;
    });
  }
  EXPECT_TRUE(waitUntil([&] { return done == 4; }, 20000));
  for (auto &thread : threads) thread.join();
  EXPECT_EQ(model->seq, 4 * perThread);
  EXPECT_EQ(std::static_pointer_cast<KESTOR::NumberItem>(model->items.at("V"))->value(), 4 * perThread);
}

}  // namespace
