// The loaded interface: one object of each kind, the outlets, the delegate registrations, the
// menus and their actions, the named images.
#include "Fakes.h"
#include "app/AppearanceView.h"
#include "app/MainInterface.h"
#include "app/NamedImage.h"
#include "core/Globals.h"

#include <QSettings>

#include <QMenuBar>
#include <QScreen>
#include <QTest>

#include <gtest/gtest.h>

namespace {

class InterfaceTest : public testing::Test {
protected:
  void SetUp() override {
    defaults().clear();
    interface = std::make_unique<MainInterface>(makeFakeClient());
  }
  std::unique_ptr<MainInterface> interface;
};

TEST_F(InterfaceTest, ControllersRegisterAsDelegatesOnceEachInOrder) {
  const std::vector<KESTORDelegate *> expected{&interface->ctrlPanelController, &interface->messagesController,
                                               &interface->servicesController};
  EXPECT_EQ(interface->kestor->delegates, expected);
  EXPECT_EQ(&interface->ctrlPanelController.kestor(), interface->kestor.get());
  EXPECT_EQ(interface->delegate.kestor, interface->kestor.get()) << "the delegate only stores the client object";
}

TEST_F(InterfaceTest, OutletsAreSet) {
  const ZEPAppDelegate &delegate = interface->delegate;
  EXPECT_EQ(delegate.window, interface->window.get());
  EXPECT_EQ(delegate.preferencePanel, interface->preferencePanel);
  EXPECT_EQ(delegate.servicesController, &interface->servicesController);
  EXPECT_TRUE(delegate.logLevelPopup && delegate.enableBLOBTransferButton);
  EXPECT_EQ(delegate.logLevelPopup->count(), 4);

  const CtrlPanelController &panel = interface->ctrlPanelController;
  EXPECT_EQ(panel.panel, interface->panel);
  EXPECT_TRUE(panel.propertiesOutlineView && panel.propertiesView && panel.dashboardView);

  const ServicesController &services = interface->servicesController;
  EXPECT_TRUE(services.servicesTableView && services.hostnameField && services.portField && services.addButton &&
              services.removeButton);

  EXPECT_EQ(interface->messagesController.messagesTableView(), interface->mainUi.messagesTableView);
  EXPECT_EQ(interface->mainUi.appearanceView->delegate(), &interface->ctrlPanelController);
}

TEST_F(InterfaceTest, TheBoardsGetTheirToolbarAndWakeAfterEveryOutletIsSet) {
  DashboardView *dashboard = interface->ctrlPanelController.dashboardView;
  ASSERT_TRUE(dashboard && interface->ctrlPanelController.propertiesView);
  EXPECT_EQ(dashboard->lockMenu, interface->mainUi.lockMenu);
  EXPECT_EQ(dashboard->cyanButton, interface->mainUi.cyanButton);
  EXPECT_FALSE(dashboard->locked);

  defaults().setValue(QStringLiteral("locked"), true);
  MainInterface locked(makeFakeClient());
  EXPECT_TRUE(locked.mainUi.dashboardView->locked);
  EXPECT_TRUE(locked.mainUi.lockButton->isChecked());
  EXPECT_FALSE(locked.mainUi.unlockButton->isChecked());
}

TEST_F(InterfaceTest, OnlyTheMainWindowIsATopLevelWindow) {
  EXPECT_TRUE(interface->window->isWindow());
  EXPECT_EQ(interface->panel->parentWidget(), interface->window.get());
  EXPECT_EQ(interface->panel->windowType(), Qt::Tool);
  EXPECT_EQ(interface->preferencePanel->parentWidget(), interface->window.get());
  EXPECT_EQ(interface->preferencePanel->windowModality(), Qt::WindowModal);
}

TEST_F(InterfaceTest, MenusAreLaidOutTheLinuxWay) {
  QStringList titles;
  for (QAction *action : interface->mainUi.menuBar->actions()) titles << action->text().remove(QLatin1Char('&'));
  EXPECT_EQ(titles, (QStringList{"File", "Edit", "View", "Window", "Help"}));
  EXPECT_EQ(interface->mainUi.quitAction->shortcut(), QKeySequence(QStringLiteral("Ctrl+Q")));
  EXPECT_EQ(interface->mainUi.preferencesAction->menuRole(), QAction::PreferencesRole);
}

TEST_F(InterfaceTest, WindowMenuShowsTheControlPanelAndPreferencesTheSheet) {
  interface->window->show();
  interface->mainUi.panelAction->trigger();
  EXPECT_TRUE(interface->panel->isVisible());
  interface->mainUi.preferencesAction->trigger();
  EXPECT_TRUE(interface->preferencePanel->isVisible());
  const QRect screen = interface->window->screen()->availableGeometry();  // smaller than the main window's form
  for (const QWidget *window : std::initializer_list<const QWidget *>{interface->window.get(), interface->panel, interface->preferencePanel})
    EXPECT_TRUE(screen.contains(window->frameGeometry())) << window->windowTitle().toStdString();
  QTest::mouseClick(interface->preferencesUi.buttonBox->button(QDialogButtonBox::Cancel), Qt::LeftButton);
  EXPECT_FALSE(interface->preferencePanel->isVisible());
}

TEST_F(InterfaceTest, ThePreferencesSheetShowsTheStoredSettings) {
  defaults().setValue(QStringLiteral("enableBLOBTransfer"), true);
  defaults().setValue(QStringLiteral("kestorLogLevel"), 2);
  interface->window->show();
  interface->mainUi.preferencesAction->trigger();
  EXPECT_TRUE(interface->preferencesUi.enableBLOBTransferButton->isChecked());
  EXPECT_EQ(interface->preferencesUi.logLevelPopup->currentIndex(), 2);
}

TEST(NamedImageTest, EveryNamedImageLoads) {
  for (const char *name : {"Pin", "Unpin", "Folder", "NSStatusAvailable", "NSStatusPartiallyAvailable",
                           "NSStatusUnavailable", "NSStatusNone", "NSBonjour", "NSNetwork"}) {
    const QIcon icon = namedImage(QString::fromLatin1(name));
    EXPECT_FALSE(icon.isNull()) << name;
    EXPECT_FALSE(icon.pixmap(16, 16).isNull()) << name;
  }
  EXPECT_TRUE(namedImage(QStringLiteral("NoSuchImage")).isNull());
}

}  // namespace
