// Confirming the preferences sheet of the application delegate.
#include "app/ZEPAppDelegate.h"

#include "app/ServicesController.h"
#include "core/Dispatch.h"
#include "core/Globals.h"
#include "core/Settings.h"
#include "kestor/Model.h"

#include <QCheckBox>
#include <QDialog>
#include <QSettings>

void ZEPAppDelegate::savePreferences() {
  if (!kestor) qFatal("ZEPAppDelegate: confirming the preferences needs the client object");
  if (preferencePanel) preferencePanel->hide();

  const bool enabled = enableBLOBTransferButton && enableBLOBTransferButton->checkState() == Qt::Checked;
  UserDefaults::write(Setting::ENABLE_BLOB_TRANSFER, enabled);
  KESTOR *client = kestor;
  for (const auto &[deviceName, device] : kestor->devices) {
    for (const auto &[propertyName, property] : device->properties) {
      if (property->type() != KESTOR_BLOB) continue;
      asyncGlobal([client, property = property, enabled] { client->enableBLOB(property, enabled); });
    }
  }

  saveLogLevel();

  if (servicesController) servicesController->applyConfiguredServers();
  defaults().sync();
  asyncGlobal([client] { client->refreshProperties(); });
}
