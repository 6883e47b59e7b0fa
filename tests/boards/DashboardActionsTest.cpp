// The main window's dashboard: its toolbar buttons, Select All and Lock Dashboard reach the
// board's commands.
#include <QSettings>
#include <QTest>
#include <QToolButton>

#include "app/FakeClient.h"
#include "app/MainInterface.h"
#include "client/Records.h"
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
                                                         std::vector<ItemSpec>{numberItem("N", 1)}));
      auto property = interface->kestor->device(records.back()->get())->property(records.back()->get());
      auto *widget = new PropertyWidget(dashboard, interface->kestor.get(), QString::fromLatin1(name), nullptr);
      dashboard->addWidget(widget);
      widget->build(property);
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
  ASSERT_TRUE(QTest::qWaitFor([this] { return interface->mainUi.unlockButton->isChecked(); }, 2000));
  EXPECT_FALSE(defaults().value(QStringLiteral("locked")).toBool());
}

TEST_F(DashboardActions, InfoTracesTheSelection) {
  QTest::mouseClick(widgets[0]->titleField, Qt::LeftButton);
  static std::vector<std::string> lines;
  lines.clear();
  kestor_log_message_handler = [](const char *line) { lines.emplace_back(line); };
  QTest::mouseClick(interface->mainUi.infoButton, Qt::LeftButton);
  kestor_log_message_handler = nullptr;
  ASSERT_FALSE(lines.empty());
  EXPECT_EQ(lines.front().rfind("Property Device.A ", 0), 0u) << lines.front();
}

}  // namespace
