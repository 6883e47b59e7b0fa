#include "app/ZEPAppDelegate.h"

#include "app/ServicesController.h"
#include "core/Settings.h"
#include "kestor/KESTOR.h"

#include <QCheckBox>

ZEPAppDelegate::ZEPAppDelegate(QObject *parent) : ApplicationDelegate(parent) {}

void ZEPAppDelegate::applicationDidFinishLaunching() {
  if (!kestor) qFatal("ZEPAppDelegate: launching needs the client object");
  kestor->start(false, true);
  didFinishLaunching();
}

void ZEPAppDelegate::showPreferencesSheet() {
  if (servicesController) servicesController->reloadConfiguredServers();
  if (enableBLOBTransferButton) enableBLOBTransferButton->setChecked(UserDefaults::read(Setting::ENABLE_BLOB_TRANSFER));
  showLogLevel();
  beginSheet();
}
