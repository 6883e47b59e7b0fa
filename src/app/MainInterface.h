// The main interface: makes the client object, the application delegate, the window
// controllers and the windows once each, sets the controllers' outlets, connects the actions,
// and finally wakes the objects that need every outlet set.
#pragma once

#include "app/CtrlPanelController.h"
#include "app/MessagesController.h"
#include "app/ServicesController.h"
#include "app/ZEPAppDelegate.h"
#include "ui_ControlPanel.h"
#include "ui_MainWindow.h"
#include "ui_Preferences.h"

#include <QDialog>
#include <QMainWindow>

#include <memory>

class KESTOR;

class MainInterface {
public:
  // Loads the interface around a new client object.
  MainInterface();
  // Loads the interface around the given client object (tests).
  explicit MainInterface(std::unique_ptr<KESTOR> kestor);
  ~MainInterface();

  MainInterface(const MainInterface &) = delete;
  MainInterface &operator=(const MainInterface &) = delete;

  // The controllers come first: they are destroyed after the client object that calls them.
  ZEPAppDelegate delegate;
  CtrlPanelController ctrlPanelController;
  MessagesController messagesController;
  ServicesController servicesController;
  std::unique_ptr<KESTOR> kestor;

  std::unique_ptr<QMainWindow> window;
  Ui::MainWindow mainUi;
  QWidget *panel;  // a tool window of the main window
  Ui::ControlPanel panelUi;
  QDialog *preferencePanel;  // a sheet of the main window
  Ui::Preferences preferencesUi;

private:
  void setOutlets();
  void connectActions();
  // The dashboard's toolbar buttons, Select All and Lock Dashboard.
  void connectDashboardActions();
  void awake();
};
