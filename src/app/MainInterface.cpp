#include "app/MainInterface.h"

#include "app/AccessibilityStandIns.h"
#include "app/AppearanceView.h"
#include "app/NamedImage.h"
#include "app/WindowPlacement.h"
#include "kestor/KESTOR.h"
#include "views/BoardControls.h"

#include <QCoreApplication>
#include <QScreen>

MainInterface::MainInterface() : MainInterface(std::make_unique<KESTOR>()) {}

MainInterface::MainInterface(std::unique_ptr<KESTOR> client)
    : kestor(std::move(client)),
      window(std::make_unique<QMainWindow>()),
      panel(new QWidget(window.get(), Qt::Tool)),
      preferencePanel(new QDialog(window.get())) {
  AccessibilityStandIns::install();
  loadImageResources();
  mainUi.setupUi(window.get());
  panelUi.setupUi(panel);
  preferencesUi.setupUi(preferencePanel);
  preferencePanel->setWindowModality(Qt::WindowModal);
  placeWindows(window.get(), panel, preferencePanel, window->screen()->availableGeometry());
  setOutlets();
  connectActions();
  awake();
}

MainInterface::~MainInterface() = default;

void MainInterface::setOutlets() {
  delegate.window = window.get();
  delegate.preferencePanel = preferencePanel;
  delegate.kestor = kestor.get();
  delegate.logLevelPopup = preferencesUi.logLevelPopup;
  delegate.servicesController = &servicesController;
  delegate.enableBLOBTransferButton = preferencesUi.enableBLOBTransferButton;

  ctrlPanelController.panel = panel;
  ctrlPanelController.propertiesOutlineView = panelUi.propertiesOutlineView;
  ctrlPanelController.propertiesView = panelUi.propertiesView;
  ctrlPanelController.dashboardView = mainUi.dashboardView;
  ctrlPanelController.setKestor(kestor.get());
  ctrlPanelController.setOutline();

  messagesController.setMessagesTableView(mainUi.messagesTableView);
  messagesController.setKestor(kestor.get());

  servicesController.servicesTableView = preferencesUi.servicesTableView;
  servicesController.hostnameField = preferencesUi.hostnameField;
  servicesController.portField = preferencesUi.portField;
  servicesController.addButton = preferencesUi.addButton;
  servicesController.removeButton = preferencesUi.removeButton;
  servicesController.setKestor(kestor.get());

  DashboardView *dashboard = mainUi.dashboardView;
  dashboard->lockButton = mainUi.lockButton;
  dashboard->unlockButton = mainUi.unlockButton;
  dashboard->lockMenu = mainUi.lockMenu;
  dashboard->breakButton = mainUi.breakButton;
  dashboard->infoButton = mainUi.infoButton;
  dashboard->upButton = mainUi.upButton;
  dashboard->downButton = mainUi.downButton;
  dashboard->deleteButton = mainUi.deleteButton;
  dashboard->grayButton = mainUi.grayButton;
  dashboard->redButton = mainUi.redButton;
  dashboard->greenButton = mainUi.greenButton;
  dashboard->blueButton = mainUi.blueButton;
  dashboard->yellowButton = mainUi.yellowButton;
  dashboard->magentaButton = mainUi.magentaButton;
  dashboard->cyanButton = mainUi.cyanButton;

  mainUi.appearanceView->setDelegate(&ctrlPanelController);
}

void MainInterface::connectActions() {
  QObject::connect(mainUi.preferencesAction, &QAction::triggered, &delegate, &ApplicationDelegate::preferences);
  QObject::connect(preferencesUi.buttonBox, &QDialogButtonBox::rejected, &delegate,
                   &ApplicationDelegate::preferencesCancel);
  QObject::connect(preferencesUi.buttonBox, &QDialogButtonBox::accepted, &delegate,
                   &ApplicationDelegate::preferencesOK);
  QObject::connect(mainUi.resetPrefsAction, &QAction::triggered, &delegate, &ApplicationDelegate::resetPrefs);
  QObject::connect(mainUi.toggleTitleAction, &QAction::triggered, &delegate, &ApplicationDelegate::toggleTitle);
  QObject::connect(mainUi.showHelpAction, &QAction::triggered, &delegate, &ApplicationDelegate::showHelp);
  QObject::connect(mainUi.aboutAction, &QAction::triggered, &delegate, &ApplicationDelegate::about);
  QObject::connect(mainUi.quitAction, &QAction::triggered, qApp, &QCoreApplication::quit, Qt::QueuedConnection);
  // Closing the last window, Quit and the system's request all end the event loop; the
  // delegate then stops the framework.
  QObject::connect(qApp, &QCoreApplication::aboutToQuit, &delegate, &ApplicationDelegate::applicationWillTerminate);

  QObject::connect(mainUi.panelAction, &QAction::triggered, &ctrlPanelController, &CtrlPanelController::showPanel);

  QObject::connect(preferencesUi.addButton, &QPushButton::clicked, &servicesController, &ServicesController::addAction);
  QObject::connect(preferencesUi.removeButton, &QPushButton::clicked, &servicesController,
                   &ServicesController::removeAction);

  QObject::connect(mainUi.clearButton, &QPushButton::clicked, &messagesController, &MessagesController::clearLog);
  QObject::connect(mainUi.clearLogAction, &QAction::triggered, &messagesController, &MessagesController::clearLog);
  QObject::connect(mainUi.saveButton, &QPushButton::clicked, &messagesController, &MessagesController::saveLog);
  QObject::connect(mainUi.saveLogAction, &QAction::triggered, &messagesController, &MessagesController::saveLog);

  connectDashboardActions();
}

void MainInterface::connectDashboardActions() {
  connectBoardControls(mainUi.dashboardView);
  QObject::connect(mainUi.selectAllAction, &QAction::triggered, mainUi.dashboardView, &PropertiesView::selectAllAction);
}

void MainInterface::awake() {
  mainUi.dashboardView->awakeFromNib();
  servicesController.awakeFromNib();
}
