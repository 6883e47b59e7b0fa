// The preferences sheet over a hand-made model: what opening shows, what confirming stores,
// switches and applies, cancel, the reset of every setting with its alert, and the title.
#include "FakeClient.h"
#include "Records.h"
#include "app/MainInterface.h"
#include "core/Globals.h"

#include <QMessageBox>
#include <QSettings>
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

}  // namespace
