// The main window's dashboard: its toolbar buttons, Select All and Lock Dashboard reach the
// board's commands.
#include <QSettings>
#include <QTest>
#include <QToolButton>

#include "Fakes.h"
#include "app/MainInterface.h"
#include "Records.h"
#include "core/Globals.h"
#include "kestor/Model.h"
#include "widgets/ElidedLabel.h"
#include "widgets/PropertyWidget.h"

#include <gtest/gtest.h>

namespace {

class DashboardActions : public testing::Test {
protected:
  void SetUp() override {
    defaults().clear();
    interface = std::make_unique<MainInterface>(makeFakeClient());
    dashboard = interface->mainUi.dashboardView;
    interface->window->resize(1000, 700);
    interface->window->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(interface->window.get()));
    for (const char *name : {"A", "B", "C"}) {
      records.push_back(std::make_unique<PropertyRecord>("Device", name, KESTOR_NUMBER, KESTOR_STATE_OK,
                                                         std::vector<ItemRecipe>{numberItem("N", 1)}));
      auto property = interface->kestor->device(records.back()->get())->property(records.back()->get());
      auto *widget = new PropertyWidget(dashboard, interface->kestor.get(), QString::fromLatin1(name), nullptr);
      dashboard->addWidget(widget);
      widget->build(property, dashboard->kind());
      widgets.push_back(widget);
    }
    dashboard->layoutWidgets();
  }
  void TearDown() override { defaults().clear(); }

  std::string order() const {
    std::string names;
    for (PropertyWidget *w : dashboard->widgets()) names += w->name.toStdString();
    return names;
  }

  std::vector<std::unique_ptr<PropertyRecord>> records;
  std::unique_ptr<MainInterface> interface;
  DashboardView *dashboard = nullptr;
  std::vector<PropertyWidget *> widgets;
};

TEST_F(DashboardActions, SelectAllAndTheToolbarButtonsActOnTheDashboard) {
  interface->mainUi.selectAllAction->trigger();
  EXPECT_EQ(dashboard->selection.size(), 3);
  QTest::mouseClick(widgets[1]->titleField, Qt::LeftButton);  // B alone
  QTest::mouseClick(interface->mainUi.upButton, Qt::LeftButton);
  EXPECT_EQ(order(), "BAC");
  QTest::mouseClick(interface->mainUi.downButton, Qt::LeftButton);
  EXPECT_EQ(order(), "ABC");
  QTest::mouseClick(interface->mainUi.breakButton, Qt::LeftButton);
  EXPECT_TRUE(widgets[1]->brk);
  QTest::mouseClick(interface->mainUi.cyanButton, Qt::LeftButton);
  EXPECT_EQ(widgets[1]->fill().red, 0.0);
  EXPECT_EQ(widgets[1]->fill().blue, 0.5);
  QTest::mouseClick(interface->mainUi.deleteButton, Qt::LeftButton);
  EXPECT_EQ(order(), "AC");
}

TEST_F(DashboardActions, TheLockMenuItemAndButtonsLockAndUnlock) {
  interface->mainUi.lockMenu->trigger();
  EXPECT_TRUE(dashboard->locked);
  ASSERT_TRUE(QTest::qWaitFor([this] { return interface->mainUi.lockButton->isChecked(); }, 2000));
  EXPECT_TRUE(defaults().value(QStringLiteral("locked")).toBool());
  interface->mainUi.lockMenu->trigger();
  EXPECT_FALSE(dashboard->locked);
  QTest::mouseClick(interface->mainUi.lockButton, Qt::LeftButton);
  EXPECT_TRUE(dashboard->locked);
  QTest::mouseClick(interface->mainUi.unlockButton, Qt::LeftButton);
  EXPECT_FALSE(dashboard->locked);
  ASSERT_TRUE(QTest::qWaitFor([] { return !defaults().value(QStringLiteral("locked")).toBool(); }, 2000));
  EXPECT_FALSE(interface->mainUi.lockButton->isChecked());
  EXPECT_TRUE(interface->mainUi.unlockButton->isChecked());
}

TEST_F(DashboardActions, KeysSelectAllAndLock) {
  interface->window->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(interface->window.get()));
  QTest::keyClick(interface->window.get(), Qt::Key_A, Qt::ControlModifier);
  EXPECT_EQ(dashboard->selection.size(), 3);
  EXPECT_EQ(dashboard->active, widgets[0]);
  QTest::keyClick(interface->window.get(), Qt::Key_L, Qt::ControlModifier);
  EXPECT_TRUE(dashboard->locked);
}

TEST_F(DashboardActions, InfoTracesTheSelectionIntoTheMessageLog) {
  KESTOR &kestor = *interface->kestor;
  kestor.start(false, false);  // installs the library's log hook
  QTest::mouseClick(widgets[0]->titleField, Qt::LeftButton);
  QTest::mouseClick(interface->mainUi.infoButton, Qt::LeftButton);
  const auto traced = [&kestor] {
    return std::any_of(kestor.messages.begin(), kestor.messages.end(),
                       [](const QString &entry) { return entry.section(u' ', 1).startsWith("Property Device.A "); });
  };
  EXPECT_TRUE(QTest::qWaitFor(traced, 2000));
  EXPECT_EQ(kestor_get_log_level(), 0u);
}

}  // namespace
