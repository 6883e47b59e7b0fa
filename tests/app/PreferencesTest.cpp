// The preferences sheet over a hand-made model: what confirming stores, switches and applies,
// cancel, the reset of every setting with its alert, and the title; the base delegate's general
// sheet shown and confirmed.
#include "Fakes.h"
#include "Records.h"
#include "app/ColorWell.h"
#include "app/GeneralPreferencesSheet.h"
#include "app/MainInterface.h"
#include "app/SystemVersion.h"
#include "core/Globals.h"
#include "core/Settings.h"

#include <QMessageBox>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <deque>

namespace {

// The BLOB transfer switches the library was asked for, on or off.
int blobCalls(bool on) {
  int count = 0;
  for (const FrameworkCall &call : FakeFramework::shared().calls("enable_blob"))
    count += (call.value != KESTOR_BLOB_NEVER) == on;
  return count;
}

class Preferences : public ::testing::Test {
protected:
  Preferences() {
    defaults().clear();
    auto client = makeFakeClient();
    client->refreshDelay = 0.2;
    interface = std::make_unique<MainInterface>(std::move(client));
    interface->window->show();
  }
  QMessageBox *alert() const { return interface->window->findChild<QMessageBox *>(); }
  QStringList keysOnDisk() const { return QSettings(defaults().fileName(), QSettings::IniFormat).allKeys(); }

  std::deque<PropertyRecord> records;
  std::unique_ptr<MainInterface> interface;
};

TEST_F(Preferences, ConfirmSwitchesEveryBLOBPropertyStoresAppliesAndRefreshesAndCancelChangesNothing) {
  for (const auto &[device, name, type] : {std::tuple{"Camera", "CCD1", KESTOR_BLOB},
                                           {"Guider", "CCD2", KESTOR_BLOB},
                                           {"Guider", "EXPOSURE", KESTOR_NUMBER}}) {
    records.emplace_back(device, name, type, KESTOR_STATE_IDLE, std::vector<ItemRecipe>{{"ITEM"}});
    interface->kestor->handleDefineProperty(records.back().get());
  }
  const struct {
    bool on;
    int level;  // -1: no selection, neither stored nor applied
    QDialogButtonBox::StandardButton button;
    int enabled, disabled, storedLevel;
    size_t refreshes;
  } steps[] = {{true, 2, QDialogButtonBox::Ok, 2, 0, 2, 1},
               {false, 1, QDialogButtonBox::Ok, 0, 2, 1, 2},
               {true, 3, QDialogButtonBox::Cancel, 0, 0, 1, 2},
               {true, -1, QDialogButtonBox::Ok, 2, 0, 1, 3}};
  for (const auto &step : steps) {
    SCOPED_TRACE(step.level);
    const int enabledBefore = blobCalls(true), disabledBefore = blobCalls(false);
    interface->mainUi.preferencesAction->trigger();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(interface->preferencePanel));
    interface->preferencesUi.enableBLOBTransferButton->setChecked(step.on);
    interface->preferencesUi.logLevelPopup->setCurrentIndex(step.level);
    QTest::mouseClick(interface->preferencesUi.buttonBox->button(step.button), Qt::LeftButton);
    EXPECT_FALSE(interface->preferencePanel->isVisible());
    // Every property is asked for again after the refresh delay, once per confirmation.
    const auto refreshes = [] { return FakeFramework::shared().calls("enumerate_properties").size(); };
    ASSERT_TRUE(QTest::qWaitFor([&] { return refreshes() == step.refreshes; }, 3000));
    QTest::qWait(300);
    EXPECT_EQ(refreshes(), step.refreshes);
    EXPECT_EQ(blobCalls(true) - enabledBefore, step.enabled);
    EXPECT_EQ(blobCalls(false) - disabledBefore, step.disabled);
    EXPECT_EQ(interface->kestor->framework.getLogLevel(), uint32_t(step.storedLevel));
    // Written to disk at once.
    const QSettings file(defaults().fileName(), QSettings::IniFormat);
    EXPECT_EQ(file.value(QStringLiteral("enableBLOBTransfer")).toBool(), step.enabled > 0);
    EXPECT_EQ(file.value(QStringLiteral("kestorLogLevel")).toInt(), step.storedLevel);
  }
}

TEST_F(Preferences, ResetAsksAndOnlyResetRemovesEverySettingAndTheTitleToggles) {
  defaults().setValue(QStringLiteral("enableBLOBTransfer"), true);
  defaults().setValue(QStringLiteral("kestorLogLevel"), 2);
  defaults().setValue(QStringLiteral("servers"), QVariantList{});
  defaults().sync();
  for (const auto &[answer, keysLeft] : {std::pair{"Cancel", 3}, {"Reset", 0}}) {
    SCOPED_TRACE(answer);
    interface->mainUi.resetPrefsAction->trigger();
    ASSERT_TRUE(QTest::qWaitFor([&] { return alert() != nullptr; }, 2000));
    EXPECT_EQ(alert()->icon(), QMessageBox::Warning);
    QStringList buttons;
    for (QAbstractButton *button : alert()->buttons()) buttons << button->text();
    ASSERT_EQ(buttons, (QStringList{"Reset", "Cancel"}));
    QTest::mouseClick(alert()->buttons().at(buttons.indexOf(answer)), Qt::LeftButton);
    ASSERT_TRUE(QTest::qWaitFor([&] { return alert() == nullptr; }, 2000));
    EXPECT_EQ(keysOnDisk().size(), keysLeft) << keysOnDisk().join(' ').toStdString();
  }
  EXPECT_TRUE(defaults().allKeys().isEmpty());

  const QString title = interface->window->windowTitle();
  interface->mainUi.toggleTitleAction->trigger();
  EXPECT_EQ(interface->delegate.titleVisibility(), ApplicationDelegate::TitleHidden);
  EXPECT_TRUE(interface->window->windowTitle().trimmed().isEmpty());
  interface->mainUi.toggleTitleAction->trigger();
  EXPECT_EQ(interface->delegate.titleVisibility(), ApplicationDelegate::TitleVisible);
  EXPECT_EQ(interface->window->windowTitle(), title);
}

TEST(GeneralPreferences, ShowingAndConfirmingKeepsWhatIsStored) {
  QTemporaryDir devices;
  for (const char *name : {"ttyS10", "ttyUSB0", "ttyS2", "ttyACM1", "null"})
    QFile(devices.filePath(name)).open(QIODevice::WriteOnly);
  QMainWindow window;
  window.show();
  const auto client = makeFakeClient();
  ApplicationDelegate delegate;
  delegate.window = &window;
  delegate.kestor = client.get();
  delegate.serialDeviceFolder = devices.path();
  QDialog *sheet = loadGeneralPreferencesSheet(delegate);

  const auto colours = [](const QColor &marker, const QColor &graph1, const QColor &graph2) {
    return QVariantMap{{"markerColor", UserDefaults::encodeColor(marker)},
                       {"graphColor1", UserDefaults::encodeColor(graph1)},
                       {"graphColor2", UserDefaults::encodeColor(graph2)}};
  };
  QVariantMap defaultsSaved = colours(markerColor(), graphColor1(), graphColor2()),
              everything = colours({1, 2, 3}, {4, 5, 6}, {7, 8, 9});
  defaultsSaved.insert({{"kestorPortNumber", 0},
                        {"kestorServiceName", appName()},
                        {"kestorServiceType", "_kestor._tcp"},
                        {"kestorLogLevel", 0},
                        {"kestorProfile", 0}});
  everything.insert({{"kestorPortNumber", 7700},
                     {"kestorServiceName", "Dome"},
                     {"kestorServiceType", "_dome._tcp"},
                     {"kestorLogLevel", 2},
                     {"kestorProfile", 3},
                     {"defaultMountPort", devices.filePath("ttyS10")},
                     {"defaultAuxiliary2Port", devices.filePath("ttyACM1")}});
  const struct {
    const char *name;
    QVariantMap stored, saved;
  } cases[] = {
      {"nothing stored: the defaults", {}, defaultsSaved},
      {"a port no longer there", {{"defaultFocuserPort", devices.filePath("ttyUSB9")}}, defaultsSaved},
      {"every setting (the live colours change last)", everything, everything},
  };
  for (const auto &c : cases) {
    SCOPED_TRACE(c.name);
    defaults().clear();
    for (auto it = c.stored.begin(); it != c.stored.end(); ++it) defaults().setValue(it.key(), it.value());
    delegate.defaultAuxiliary2PortPopup->clear();
    delegate.preferences();
    ASSERT_TRUE(sheet->isVisible());
    EXPECT_EQ(delegate.backgroundColorWell->isEnabled(), usesStoredBackground(operatingSystemVersion()));
    // The port pop-ups are filled half a second later: None, then the serial devices in order.
    ASSERT_TRUE(QTest::qWaitFor([&] { return delegate.defaultAuxiliary2PortPopup->count() > 0; }, 3000));
    QStringList items;
    for (int i = 0; i < delegate.defaultMountPortPopup->count(); ++i)
      items << delegate.defaultMountPortPopup->itemText(i);
    EXPECT_EQ(items, QStringList({"None", devices.filePath("ttyACM1"), devices.filePath("ttyS2"),
                                  devices.filePath("ttyS10"), devices.filePath("ttyUSB0")}));
    QTest::mouseClick(sheet->findChild<QDialogButtonBox *>()->button(QDialogButtonBox::Ok), Qt::LeftButton);
    EXPECT_FALSE(sheet->isVisible());
    QVariantMap saved;
    for (const QString &key : defaults().allKeys())
      if (key != QStringLiteral("backgroundColor")) saved.insert(key, defaults().value(key));
    EXPECT_EQ(saved, c.saved);
    EXPECT_EQ(client->framework.getLogLevel(), c.saved.value("kestorLogLevel").toUInt());
  }
}

}  // namespace
