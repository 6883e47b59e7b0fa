#include "app/ApplicationDelegate.h"

#include "app/DocumentationPage.h"
#include "app/SystemVersion.h"
#include "app/VersionBanner.h"
#include "core/Globals.h"
#include "core/Settings.h"
#include "image/ImageRepRegistry.h"
#include "kestor/KESTOR.h"

#include <QDesktopServices>
#include <QDialog>
#include <QMainWindow>
#include <QMessageBox>
#include <QSettings>

std::optional<ProcessActivity> ApplicationDelegate::activityToken;

ApplicationDelegate::ApplicationDelegate(QObject *parent) : QObject(parent) {}

void ApplicationDelegate::openDocumentation(QObject *sender) {
  const QUrl address = documentationAddress(QStringLiteral(DOC_BASE_URL), appName(), appVersion(), sender == this);
  if (address.isEmpty() || QDesktopServices::openUrl(address) || sender == this) return;
  // Asked for from the menu with no browser to open it: the address is shown to be copied.
  auto *alert = new QMessageBox(QMessageBox::Information, tr("No web browser"),
                                tr("No web browser could open the documentation page:\n%1").arg(address.toString()),
                                QMessageBox::Ok, window);
  alert->setAttribute(Qt::WA_DeleteOnClose);
  alert->setTextFormat(Qt::PlainText);
  alert->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
  alert->setWindowModality(Qt::WindowModal);
  alert->open();
}

void ApplicationDelegate::willFinishLaunching() { ImageRepRegistry::registerImageRepClasses(); }

void ApplicationDelegate::didFinishLaunching() {
  if (!kestor || !window) qFatal("ApplicationDelegate: launching needs the client object and the main window");
  activityToken = ProcessActivity{QStringLiteral("Good Reason")};
  kestor->log(banner(), false);

  const QString firstLaunchKey = Setting::FIRST_LAUNCH_PREFIX.name() + appVersion();
  UserDefaults::write(Setting::TOOL_TIP_DELAY, Setting::TOOL_TIP_DELAY.defaultValue);
  if (!UserDefaults::boolForKey(firstLaunchKey, false)) {
    openDocumentation(this);
    showPreferencesSheet();
    UserDefaults::write(firstLaunchKey, true);
    defaults().sync();
  }

  markerColor() = UserDefaults::colorForKey(Setting::MARKER_COLOR.name(), markerColor());
  graphColor1() = UserDefaults::colorForKey(Setting::GRAPH_COLOR_1.name(), graphColor1());
  graphColor2() = UserDefaults::colorForKey(Setting::GRAPH_COLOR_2.name(), graphColor2());

  if (usesStoredBackground(operatingSystemVersion())) {
    // Only a stored colour different from the current one is set, so that a window without one
    // keeps following the desktop's palette.
    const QColor current = window->palette().color(QPalette::Window);
    const QColor stored = UserDefaults::colorForKey(Setting::BACKGROUND_COLOR.name(), current);
    if (stored != current) setWindowBackground(stored);
  }
}

void ApplicationDelegate::setWindowBackground(const QColor &color) {
  QPalette palette = window->palette();
  palette.setColor(QPalette::Window, color);
  window->setPalette(palette);
  window->setAutoFillBackground(true);
}

void ApplicationDelegate::applicationWillFinishLaunching() { willFinishLaunching(); }

void ApplicationDelegate::applicationDidFinishLaunching() { didFinishLaunching(); }

void ApplicationDelegate::applicationWillTerminate() { KESTOR::stop(); }

void ApplicationDelegate::preferences() { showPreferencesSheet(); }

void ApplicationDelegate::preferencesOK() { savePreferences(); }

void ApplicationDelegate::preferencesCancel() {
  if (preferencePanel) preferencePanel->hide();
}

void ApplicationDelegate::showHelp() { openDocumentation(sender()); }

void ApplicationDelegate::about() { QMessageBox::about(window, tr("About %1").arg(appName()), banner()); }

QString ApplicationDelegate::banner() {
  return versionBanner(appName(), appVersion(), appBuild(), operatingSystemVersion());
}
