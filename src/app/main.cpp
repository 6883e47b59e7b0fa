// The program entry: loads the interface, runs launching, the event loop and termination.
#include "app/ApplicationIdentity.h"
#include "app/MainInterface.h"
#include "app/QuitSignals.h"
#include "app/ShutdownWatchdog.h"
#include "app/ToolTipStyle.h"
#include "core/Globals.h"

#include <QApplication>
#include <QSettings>

#include <chrono>

int main(int argc, char **argv) {
  ApplicationIdentity::apply();
  QApplication application(argc, argv);
  application.setStyle(new ToolTipStyle);
  QuitSignals quitSignals;

  // Termination is never delayed: whatever still runs a moment after the request is cut short.
  // Armed first, before the delegate's own termination work can block.
  QObject::connect(&application, &QCoreApplication::aboutToQuit,
                   [] { ShutdownWatchdog::arm(std::chrono::milliseconds(1500)); });

  MainInterface interface;
  ZEPAppDelegate &delegate = interface.delegate;

  delegate.applicationWillFinishLaunching();
  interface.window->show();
  interface.ctrlPanelController.showPanel();
  QMetaObject::invokeMethod(&delegate, &ApplicationDelegate::applicationDidFinishLaunching, Qt::QueuedConnection);
  application.exec();

  // Like the desktop's own application main function, leave without waiting for the worker
  // threads of the framework and the global pool.
  defaults().sync();
  ShutdownWatchdog::exitNow();
}
