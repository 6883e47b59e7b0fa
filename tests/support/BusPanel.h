// The whole interface, main window and control panel shown, on a real client object connected
// to indiserver (by default with the telescope, CCD and guide simulators), for the end-to-end
// tests of the windows and the load runs.
#pragma once

#include "app/MainInterface.h"
#include "support/IndiServer.h"

#include <QString>

#include <memory>

class PropertyWidget;

class BusPanel {
public:
  // Starts the server with the drivers (by default the telescope, CCD and guide simulators) and
  // the interface; ok() tells whether both came up.
  explicit BusPanel(std::vector<std::string> drivers = {"indi_simulator_telescope", "indi_simulator_ccd",
                                                        "indi_simulator_guide"});
  ~BusPanel();

  bool ok() const { return started; }
  // Connects the client object to the server (on the calling thread).
  void connectServer();
  // Waits until the outline lists the three simulators.
  bool waitForDevices(int timeoutMs = 15000);
  // Shows a group of a device by clicking the device and then the group in the outline.
  bool showGroup(const QString &device, const QString &group);
  // The shown widget of a property of a device, waiting for it to appear.
  PropertyWidget *waitForWidget(const QString &device, const QString &property, int timeoutMs = 15000);
  // Clicks the CONNECTED (or DISCONNECTED) switch of the shown CONNECTION widget of the device
  // and waits for the device to follow.
  bool switchConnection(const QString &device, bool connect);

  KESTOR &kestor() const { return *interface->kestor; }
  CtrlPanelController &controller() const { return interface->ctrlPanelController; }

  test_support::IndiServer server;
  std::unique_ptr<MainInterface> interface;

private:
  bool started = false;
};
