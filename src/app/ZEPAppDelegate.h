// The application delegate installed in this program: starts the client object at launch and
// shows its own preferences sheet (BLOB transfer, log level, server list).
#pragma once

#include "app/ApplicationDelegate.h"

class QCheckBox;
class ServicesController;

class ZEPAppDelegate : public ApplicationDelegate {
  Q_OBJECT

public:
  explicit ZEPAppDelegate(QObject *parent = nullptr);

  // Outlets, set by the interface loader.
  QPointer<ServicesController> servicesController;
  QPointer<QCheckBox> enableBLOBTransferButton;

  void showPreferencesSheet() override;
  // Confirms the sheet: ends it, stores and applies BLOB transfer and the log level, connects and
  // disconnects servers, writes the settings and has every property sent again 3 s later.
  void savePreferences() override;

public slots:
  // Starts the client object with the in-process server off and browsing on, then finishes
  // launching.
  void applicationDidFinishLaunching() override;
};
