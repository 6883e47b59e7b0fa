// The client object's own life: start-up, the library's callbacks and the model maintenance they
// drive, the message log.
#include <QRegularExpression>
#include <QSettings>
#include <QSignalSpy>
#include <QTextToSpeech>

#include <gtest/gtest.h>

#include <thread>

#include "ConsoleCapture.h"
#include "EventLoopWait.h"
#include "Fakes.h"
#include "Records.h"
#include "core/Globals.h"
#include "core/Settings.h"
#include "kestor/Callbacks.h"
#include "kestor/Model.h"
#include "kestor/Speech.h"

namespace {

TEST(Startup, StepsRunInOrderOnceAndStartedIsTheLastEntry) {
  ClientFixture fixture;
  fixture.kestor->start(false, true);
  fixture.kestor->start(false, true);  // a second start does nothing
  std::vector<std::string> steps;
  for (const auto &call : fixture.framework.calls()) steps.push_back(call.function);
  EXPECT_EQ(steps, (std::vector<std::string>{"set_log_level", "start", "attach_client"}));
  EXPECT_EQ(fixture.framework.calls("set_log_level").at(0).value, 0u);  // absent setting
  EXPECT_EQ(fixture.searches, (std::vector<QString>{"_kestor._tcp@local.", "_indi._tcp@local."}));

  KESTOR::logMessageHandler(nullptr);
  KESTOR::logMessageHandler("bad \xff byte");
  ASSERT_TRUE(fixture.waitForMessages(2));
  EXPECT_EQ(fixture.events.mid(0, 2), (QStringList{"attached", "message KESTOR Started..."}));
  EXPECT_EQ(fixture.messageTexts(), (QStringList{"KESTOR Started...", QStringLiteral("bad \uFFFD byte")}));
}

TEST(Startup, WithoutBrowsingNoSearchStartsAndALogLevelOutOfRangeIsNotPassedOn) {
  const std::pair<QVariant, std::optional<uint32_t>> cases[] = {
      {QVariant(3), 3u}, {QVariant(-1), std::nullopt}, {QVariant(qint64(1) << 33), std::nullopt}};
  for (const auto &[stored, passed] : cases) {
    ClientFixture fixture;
    defaults().setValue(QStringLiteral("kestorLogLevel"), stored);
    fixture.kestor->start(false, false);
    EXPECT_TRUE(fixture.searches.empty());
    const auto calls = fixture.framework.calls("set_log_level");
    ASSERT_EQ(calls.size(), passed ? 1u : 0u) << stored.toString().toStdString();
    EXPECT_EQ(calls.empty() ? passed : calls.at(0).value, passed);
  }
  defaults().remove(QStringLiteral("kestorLogLevel"));
}

TEST(ConnectionRule, FlagsFollowStateAndSwitches) {
  ClientFixture fixture;
  PropertyRecord record("Dev", "CONNECTION", KESTOR_SWITCH, 0,
                        {switchItem("CONNECTED", false), switchItem("DISCONNECTED", true)});
  const struct {
    uint32_t state;
    bool connectedSwitch, disconnectedSwitch, connected, disconnected;  // the flags after the step
  } steps[] = {
      {KESTOR_STATE_OK, true, false, true, false},     // defined connected
      {KESTOR_STATE_ALERT, true, false, false, true},  // alert wins over the switches
      {KESTOR_STATE_OK, false, true, false, true},     // disconnected
      {KESTOR_STATE_BUSY, true, true, false, false},   // busy: both false
      {KESTOR_STATE_IDLE, true, false, false, false},  // idle: both false
      {KESTOR_STATE_OK, true, false, true, false},
  };
  for (const auto &step : steps) {
    record->state = step.state;
    record.item(0).switch_value = step.connectedSwitch;
    record.item(1).switch_value = step.disconnectedSwitch;
    if (&step == steps)
      fixture.kestor->handleDefineProperty(record.get());
    else
      fixture.kestor->handleUpdateProperty(record.get());
    const auto device = fixture.kestor->devices.at("Dev");
    EXPECT_EQ(device->connected, step.connected) << "state " << step.state;
    EXPECT_EQ(device->disconnected, step.disconnected) << "state " << step.state;
  }
  // A missing or non-switch item keeps its flag as created.
  PropertyRecord onlyConnected("One", "CONNECTION", KESTOR_SWITCH, KESTOR_STATE_OK, {switchItem("CONNECTED", true)});
  PropertyRecord numbers("Other", "CONNECTION", KESTOR_NUMBER, KESTOR_STATE_OK, {numberItem("CONNECTED", 1)});
  fixture.kestor->handleDefineProperty(onlyConnected.get());
  fixture.kestor->handleDefineProperty(numbers.get());
  EXPECT_TRUE(fixture.kestor->devices.at("One")->connected && fixture.kestor->devices.at("One")->disconnected);
  EXPECT_FALSE(fixture.kestor->devices.at("Other")->connected);
}

TEST(ModelMaintenance, DeletesRemoveGroupsAndDevicesAndUnknownRecordsOnlyCreateTheDevice) {
  ClientFixture fixture;
  PropertyRecord a("Dev", "A", KESTOR_NUMBER, 0, {}, "G1");
  PropertyRecord b("Dev", "B", KESTOR_NUMBER, 0, {}, "G1");
  PropertyRecord c("Dev", "C", KESTOR_NUMBER, 0, {}, "G2");
  for (auto *record : {&a, &b, &c}) fixture.kestor->handleDefineProperty(record->get());
  auto device = fixture.kestor->devices.at("Dev");
  fixture.kestor->handleDeleteProperty(c.get());  // the last of its group
  EXPECT_EQ(device->groups.count("G2"), 0u);
  fixture.kestor->handleDefineProperty(c.get());  // defined again after the delete: a new object
  EXPECT_EQ(device->groups.at("G2")->properties.size(), 1u);

  std::vector<bool> listedAtNotification;
  fixture.delegate.onDeleted = [&](const auto &property) {
    EXPECT_TRUE(property->deleted);
    listedAtNotification.push_back(fixture.kestor->devices.count("Dev") != 0);
  };
  fixture.events.clear();
  PropertyRecord all("Dev", "", KESTOR_TYPE_NONE);  // device-wide
  fixture.kestor->handleDeleteProperty(all.get());
  EXPECT_EQ(fixture.events, (QStringList{"deleted Dev.A", "deleted Dev.B", "deleted Dev.C"}));
  EXPECT_EQ(listedAtNotification, (std::vector<bool>{true, true, false}));
  EXPECT_TRUE(device->groups.empty());
  EXPECT_TRUE(fixture.kestor->devices.empty());

  PropertyRecord unknown("Ghost", "P", KESTOR_NUMBER);
  fixture.kestor->handleUpdateProperty(unknown.get());
  fixture.kestor->handleDeleteProperty(unknown.get());
  EXPECT_TRUE(fixture.kestor->devices.at("Ghost")->properties.empty());
  EXPECT_EQ(fixture.events.size(), 3);
}

TEST(Callbacks, MessagesFollowTheirNotificationAndUpdatesFromSeveralThreadsAreAppliedOnTheMainThread) {
  ClientFixture fixture;
  kestor_client record{};
  fillClientRecord(&record);
  fixture.kestor->start(false, false);
  ASSERT_TRUE(fixture.waitForMessages(1));  // "KESTOR Started..."
  fixture.events.clear();
  PropertyRecord defined("Dev", "P", KESTOR_NUMBER);
  EXPECT_EQ(record.define_property(&record, nullptr, defined.get(), "hello"), KESTOR_OK);
  EXPECT_EQ(record.update_property(&record, nullptr, nullptr, "dropped"), KESTOR_OK);
  EXPECT_EQ(record.send_message(&record, nullptr, "\xff bad"), KESTOR_OK);
  EXPECT_EQ(record.send_message(&record, nullptr, nullptr), KESTOR_OK);
  for (uint32_t level : {0u, 2u, 1u}) {  // attach and detach are logged at level one only
    fixture.framework.logLevel = level;
    record.attach(&record);
    record.detach(&record);
  }
  EXPECT_EQ(record.send_message(&record, nullptr, "fine"), KESTOR_OK);
  ASSERT_TRUE(fixture.waitForMessages(5));
  EXPECT_EQ(fixture.messageTexts(), (QStringList{"KESTOR Started...", "hello", "KESTOR Client attached...",
                                                 "KESTOR Client detached...", "fine"}));
  EXPECT_EQ(fixture.events.mid(0, 2), (QStringList{"defined Dev.P", "message hello"}));

  PropertyRecord property("Dev", "N", KESTOR_NUMBER, 0, {numberItem("V", 0)});
  record.define_property(&record, nullptr, property.get(), nullptr);
  auto model = fixture.kestor->devices.at("Dev")->properties.at("N");
  constexpr int perThread = 200;
  std::atomic<int> done{0};
  std::vector<std::thread> threads;
  for (int t = 0; t < 4; ++t) {
    threads.emplace_back([&] {
      for (int i = 0; i < perThread; ++i) {
        runOnMainThread([](void *arg) { static_cast<kestor_property *>(arg)->items[0].number_value += 1; },
                        property.get());
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

TEST(MessageLog, EntriesAreAppendedLaterOnTheMainThreadWithATimeStampInTheOrderMade) {
  ConsoleCapture console;
  ClientFixture fixture;
  fixture.kestor->log(QStringLiteral("first\nsecond"));
  fixture.kestor->log(QString());
  fixture.kestor->log(QStringLiteral("100% %s %n"));
  EXPECT_TRUE(fixture.kestor->messages.isEmpty());  // not before the main loop has run
  EXPECT_EQ(console.lines, (QStringList{"first", "second", "", "100% %s %n"}));
  ASSERT_TRUE(fixture.waitForMessages(3));
  EXPECT_EQ(fixture.messageTexts(), (QStringList{"first\nsecond", "", "100% %s %n"}));
  EXPECT_TRUE(QRegularExpression(R"(^\d\d:\d\d:\d\d\.\d{3} $)").match(fixture.kestor->messages.at(1)).hasMatch());
  EXPECT_EQ(fixture.events, (QStringList{"message first\nsecond", "message ", "message 100% %s %n"}));

  // Clearing notifies every delegate, even when the log is empty.
  QStringList second;
  RecordingDelegate other(&second);
  fixture.kestor->addDelegate(&other);
  fixture.kestor->clearMessages();
  fixture.kestor->clearMessages();
  EXPECT_TRUE(fixture.kestor->messages.isEmpty());
  EXPECT_EQ(second, (QStringList{"message Log cleared...", "message Log cleared..."}));

  // Texts of one thread keep their order; the log holds at most MAX_MESSAGES entries.
  std::thread worker([&] {
    for (int i = 0; i <= KESTOR::MAX_MESSAGES; ++i) fixture.kestor->log(QString::number(i));
  });
  worker.join();
  ASSERT_TRUE(waitUntil([&] {
    return !fixture.kestor->messages.isEmpty() &&
           fixture.kestor->messages.last().endsWith(QString::number(KESTOR::MAX_MESSAGES));
  }));
  const QStringList texts = fixture.messageTexts();
  ASSERT_EQ(texts.size(), KESTOR::MAX_MESSAGES);
  for (int i = 0; i < KESTOR::MAX_MESSAGES; ++i) ASSERT_EQ(texts.at(i), QString::number(i + 1));
}

// An entry with sound is spoken only while "enableSounds" is on; where the machine has no engine,
// voice or audio device the voice fails without a word and the entry is there all the same.
TEST(MessageLog, EntriesWithSoundAreSpokenWhileSoundsAreEnabled) {
  ClientFixture fixture;
  if (speechSynthesizer().availableVoices().isEmpty()) GTEST_SKIP() << "no speech engine with a voice is installed";
  const struct {
    const char *text;
    bool sound;
    QVariant enableSounds;
    bool speaks;
  } cases[] = {
      {"sound off", false, true, false},
      {"sounds disabled", true, false, false},
      {"sounds disabled as text", true, QStringLiteral("NO"), false},
      {"sounds enabled by default", true, QVariant(), true},  // last: a failed voice stays failed
  };
  qsizetype entries = 0;
  for (const auto &c : cases) {
    SCOPED_TRACE(c.text);
    if (c.enableSounds.isValid())
      defaults().setValue(Setting::ENABLE_SOUNDS.name(), c.enableSounds);
    else
      defaults().remove(Setting::ENABLE_SOUNDS.name());
    QSignalSpy spoken(&speechSynthesizer(), &QTextToSpeech::stateChanged);
    // A voice that failed (in an earlier repetition of this test) stays failed and silent.
    const bool changes = c.speaks && speechSynthesizer().state() != QTextToSpeech::Error;
    fixture.kestor->log(QString::fromUtf8(c.text), c.sound);
    ASSERT_TRUE(fixture.waitForMessages(++entries));
    EXPECT_EQ(fixture.messageTexts().last(), QString::fromUtf8(c.text));
    // Speaking starts, or fails for want of an audio device; either way the state changes.
    EXPECT_EQ(waitUntil([&] { return !spoken.isEmpty(); }, changes ? 5000 : 300), changes);
  }
  defaults().remove(Setting::ENABLE_SOUNDS.name());
}

}  // namespace
