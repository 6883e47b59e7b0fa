// The application's delegate: launch, termination, documentation and the preferences sheet.
#pragma once

#include "app/ProcessActivity.h"

#include <QObject>
#include <QPointer>

#include <optional>

class KESTOR;
class QComboBox;
class QDialog;
class QMainWindow;

class ApplicationDelegate : public QObject {
  Q_OBJECT

public:
  explicit ApplicationDelegate(QObject *parent = nullptr);

  // Outlets, set by the interface loader. Setting kestor only stores it.
  QPointer<QMainWindow> window;
  QPointer<QDialog> preferencePanel;
  QPointer<KESTOR> kestor;
  QPointer<QComboBox> logLevelPopup;

  // The activity begun at launch, held for the life of the process.
  static std::optional<ProcessActivity> activityToken;

  // Shows the preferences sheet on the main window.
  virtual void showPreferencesSheet();
  // Opens the documentation page; at the "what's new" anchor only when the sender is this
  // delegate (the first launch of a version). When no browser opens it on the user's request, a
  // message on the main window shows its address.
  virtual void openDocumentation(QObject *sender);
  // Registers the image representations raw, FITS, XISF, in that order.
  virtual void willFinishLaunching();
  // Banner, tool-tip delay, first launch of a version, colours and background from the settings.
  virtual void didFinishLaunching();

  // The program, framework and system versions in one line.
  static QString banner();

  // The main window's title visibility: shown (0) or hidden (1).
  enum TitleVisibility { TitleVisible = 0, TitleHidden = 1 };
  TitleVisibility titleVisibility() const { return titleState; }

public slots:
  void applicationWillFinishLaunching();
  virtual void applicationDidFinishLaunching();
  // Stops the framework and kills every subprocess it marks as started.
  void applicationWillTerminate();

  void preferences();
  void preferencesCancel();
  // Asks on the main window whether to reset the preferences; "Reset" removes every setting.
  void resetPrefs();
  // Shows or hides the main window's title.
  void toggleTitle();
  void showHelp();
  // Names the program and its versions.
  void about();

private:
  TitleVisibility titleState = TitleVisible;
  QString hiddenTitle;  // the title while it is hidden
};
