// The preferences sheet over a hand-made model: what opening shows, what confirming stores,
// switches and applies, cancel, the reset of every setting with its alert, and the title; the
// base delegate's general sheet shown and confirmed.
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

#include <atomic>
#include <deque>

namespace {

std::atomic<int> enabledCalls{0}, disabledCalls{0}, enumerations{0};

kestor_result recordBlob(kestor_client *, kestor_property *property, uint32_t mode) {
  EXPECT_EQ(property->type, uint32_t(KESTOR_BLOB));
  ++(mode == KESTOR_BLOB_NEVER ? disabledCalls : enabledCalls);
  return KESTOR_OK;
}

kestor_result recordEnumeration(kestor_client *, kestor_property *) {
  ++enumerations;
  return KESTOR_OK;
}

class Preferences : public ::testing::Test {
protected:
  Preferences() {
    defaults().clear();
    enabledCalls = disabledCalls = enumerations = 0;
    auto client = makeFakeClient();
    client->framework.enableBlob = &recordBlob;
    client->framework.enumerateProperties = &recordEnumeration;
    client->refreshDelay = 0.2;
    interface = std::make_unique<MainInterface>(std::move(client));
    interface->window->show();
    EXPECT_TRUE(QTest::qWaitForWindowExposed(interface->window.get()));
  }
  // Every confirmation's refresh has run before the client object goes.
  ~Preferences() override { EXPECT_TRUE(QTest::qWaitFor([&] { return enumerations == confirmations; }, 5000)); }

  void define(const std::string &device, const std::string &name, uint32_t type) {
    records.emplace_back(device, name, type, KESTOR_STATE_IDLE, std::vector<ItemRecipe>{{"ITEM"}});
    interface->kestor->handleDefineProperty(records.back().get());
  }
  void open() {
    interface->mainUi.preferencesAction->trigger();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(interface->preferencePanel));
  }
  void press(QDialogButtonBox::StandardButton which) {
    if (which == QDialogButtonBox::Ok) ++confirmations;
    QTest::mouseClick(interface->preferencesUi.buttonBox->button(which), Qt::LeftButton);
  }
  QStringList keysOnDisk() const {
    QSettings file(defaults().fileName(), QSettings::IniFormat);
    return file.allKeys();
  }
  QCheckBox *blobBox() const { return interface->preferencesUi.enableBLOBTransferButton; }
  QComboBox *levelPopup() const { return interface->preferencesUi.logLevelPopup; }

  std::deque<PropertyRecord> records;
  std::unique_ptr<MainInterface> interface;
  int confirmations = 0;
};

TEST_F(Preferences, OpeningShowsTheStoredSettings) {
  open();
  EXPECT_FALSE(blobBox()->isChecked());
  EXPECT_EQ(levelPopup()->currentIndex(), 0);
  press(QDialogButtonBox::Cancel);
  defaults().setValue(QStringLiteral("enableBLOBTransfer"), true);
  defaults().setValue(QStringLiteral("kestorLogLevel"), 3);
  open();
  EXPECT_TRUE(blobBox()->isChecked());
  EXPECT_EQ(levelPopup()->currentIndex(), 3);
}

TEST_F(Preferences, ConfirmSwitchesEveryBLOBPropertyStoresAppliesAndRefreshes) {
  define("Camera", "CCD1", KESTOR_BLOB);
  define("Guider", "CCD2", KESTOR_BLOB);
  define("Guider", "EXPOSURE", KESTOR_NUMBER);
  const struct {
    bool on;
    int level;
    int enabled, disabled;
  } cases[] = {{true, 2, 2, 0}, {false, 1, 0, 2}};
  for (const auto &c : cases) {
    SCOPED_TRACE(c.on);
    enabledCalls = disabledCalls = 0;
    open();
    blobBox()->setChecked(c.on);
    levelPopup()->setCurrentIndex(c.level);
    press(QDialogButtonBox::Ok);
    EXPECT_FALSE(interface->preferencePanel->isVisible());
    ASSERT_TRUE(QTest::qWaitFor([&] { return enabledCalls + disabledCalls == 2; }, 3000));
    EXPECT_EQ(enabledCalls, c.enabled);
    EXPECT_EQ(disabledCalls, c.disabled);
    EXPECT_EQ(interface->kestor->framework.getLogLevel(), uint32_t(c.level));
    // Written to disk at once.
    QSettings file(defaults().fileName(), QSettings::IniFormat);
    EXPECT_EQ(file.value(QStringLiteral("enableBLOBTransfer")).toBool(), c.on);
    EXPECT_EQ(file.value(QStringLiteral("kestorLogLevel")).toInt(), c.level);
    // Every property is asked for again after the refresh delay, once.
    EXPECT_EQ(enumerations, confirmations - 1);
    ASSERT_TRUE(QTest::qWaitFor([&] { return enumerations == confirmations; }, 3000));
    QTest::qWait(300);
    EXPECT_EQ(enumerations, confirmations);  // once per confirmation
  }
}

TEST_F(Preferences, ALogLevelWithoutSelectionIsNeitherStoredNorApplied) {
  interface->kestor->framework.setLogLevel(1);
  open();
  levelPopup()->setCurrentIndex(-1);
  press(QDialogButtonBox::Ok);
  EXPECT_FALSE(defaults().contains(QStringLiteral("kestorLogLevel")));
  EXPECT_EQ(interface->kestor->framework.getLogLevel(), 1u);
  EXPECT_TRUE(defaults().contains(QStringLiteral("enableBLOBTransfer")));
}

TEST_F(Preferences, CancelChangesNothing) {
  defaults().setValue(QStringLiteral("kestorLogLevel"), 1);
  define("Camera", "CCD1", KESTOR_BLOB);
  open();
  blobBox()->setChecked(true);
  levelPopup()->setCurrentIndex(3);
  press(QDialogButtonBox::Cancel);
  EXPECT_FALSE(interface->preferencePanel->isVisible());
  QTest::qWait(100);
  EXPECT_FALSE(defaults().contains(QStringLiteral("enableBLOBTransfer")));
  EXPECT_EQ(defaults().value(QStringLiteral("kestorLogLevel")).toInt(), 1);
  EXPECT_EQ(enabledCalls + disabledCalls, 0);
}

TEST_F(Preferences, ResetAsksAndOnlyResetRemovesEverySetting) {
  defaults().setValue(QStringLiteral("enableBLOBTransfer"), true);
  defaults().setValue(QStringLiteral("kestorLogLevel"), 2);
  defaults().setValue(QStringLiteral("servers"), QVariantList{});
  defaults().sync();
  for (const char *answer : {"Cancel", "Reset"}) {
    SCOPED_TRACE(answer);
    interface->mainUi.resetPrefsAction->trigger();
    QMessageBox *alert = nullptr;
    ASSERT_TRUE(QTest::qWaitFor([&] { return (alert = interface->window->findChild<QMessageBox *>()) != nullptr; }, 2000));
    EXPECT_EQ(alert->text(), "Reset preferences?");
    EXPECT_EQ(alert->informativeText(), "Are you sure you would like to reset preferences?");
    EXPECT_EQ(alert->icon(), QMessageBox::Warning);
    ASSERT_EQ(alert->buttons().size(), 2);
    EXPECT_EQ(alert->buttons().at(0)->text(), "Reset");
    EXPECT_EQ(alert->buttons().at(1)->text(), "Cancel");
    for (QAbstractButton *button : alert->buttons())
      if (button->text() == QLatin1String(answer)) QTest::mouseClick(button, Qt::LeftButton);
    ASSERT_TRUE(QTest::qWaitFor([&] { return interface->window->findChild<QMessageBox *>() == nullptr; }, 2000));
    if (QLatin1String(answer) == QLatin1String("Cancel")) {
      EXPECT_EQ(keysOnDisk().size(), 3);
    }
  }
  EXPECT_TRUE(keysOnDisk().isEmpty()) << keysOnDisk().join(' ').toStdString();
  EXPECT_TRUE(defaults().allKeys().isEmpty());
}

TEST_F(Preferences, TheTitleTogglesBetweenShownAndHidden) {
  const QString title = interface->window->windowTitle();
  EXPECT_EQ(interface->delegate.titleVisibility(), ApplicationDelegate::TitleVisible);
  interface->mainUi.toggleTitleAction->trigger();
  EXPECT_EQ(interface->delegate.titleVisibility(), ApplicationDelegate::TitleHidden);
  EXPECT_TRUE(interface->window->windowTitle().trimmed().isEmpty());
  interface->mainUi.toggleTitleAction->trigger();
  EXPECT_EQ(interface->delegate.titleVisibility(), ApplicationDelegate::TitleVisible);
  EXPECT_EQ(interface->window->windowTitle(), title);
}

TEST(GeneralPreferences, ShowingAndConfirmingKeepsWhatIsStored) {
  QTemporaryDir devices;
  for (const char *name : {"ttyS10", "ttyUSB0", "ttyS2", "ttyACM1", "null"}) QFile(devices.filePath(name)).open(QIODevice::WriteOnly);
  QMainWindow window;
  window.show();
  const auto client = makeFakeClient();
  ApplicationDelegate delegate;
  delegate.window = &window;
  delegate.kestor = client.get();
  delegate.serialDeviceFolder = devices.path();
  QDialog *sheet = loadGeneralPreferencesSheet(delegate);

  const QVariantMap defaultsSaved{{"markerColor", UserDefaults::encodeColor(markerColor())},
                                  {"graphColor1", UserDefaults::encodeColor(graphColor1())},
                                  {"graphColor2", UserDefaults::encodeColor(graphColor2())},
                                  {"kestorPortNumber", 0},
                                  {"kestorServiceName", appName()},
                                  {"kestorServiceType", "_kestor._tcp"},
                                  {"kestorLogLevel", 0},
                                  {"kestorProfile", 0}};
  const QVariantMap everything{{"markerColor", UserDefaults::encodeColor(QColor(1, 2, 3))},
                               {"graphColor1", UserDefaults::encodeColor(QColor(4, 5, 6))},
                               {"graphColor2", UserDefaults::encodeColor(QColor(7, 8, 9))},
                               {"kestorPortNumber", 7700},
                               {"kestorServiceName", "Dome"},
                               {"kestorServiceType", "_dome._tcp"},
                               {"kestorLogLevel", 2},
                               {"kestorProfile", 3},
                               {"defaultMountPort", devices.filePath("ttyS10")},
                               {"defaultAuxiliary2Port", devices.filePath("ttyACM1")}};
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
    for (int i = 0; i < delegate.defaultMountPortPopup->count(); ++i) items << delegate.defaultMountPortPopup->itemText(i);
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
