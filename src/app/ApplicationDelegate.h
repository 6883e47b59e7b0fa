// The application's delegate: launch, termination, documentation and the preferences sheet.
#pragma once

#include "app/ProcessActivity.h"

#include <QObject>
#include <QPointer>

#include <optional>
#include <utility>
#include <vector>

class ColorWell;
class QColor;
class KESTOR;
class QComboBox;
class QDialog;
class QLineEdit;
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
  // Outlets of the general preferences sheet (GeneralPreferencesSheet), which this program's
  // delegate replaces with its own: colours, the in-process server's port, name and type, the
  // profile and the default serial ports.
  QPointer<ColorWell> markerColorWell, graphColor1Well, graphColor2Well, backgroundColorWell;
  QPointer<QLineEdit> kestorPortNumberField, kestorServiceNameField, kestorServiceTypeField;
  QPointer<QComboBox> profilePopup;
  QPointer<QComboBox> defaultWheelPortPopup, defaultFocuserPortPopup, defaultMountPortPopup, defaultDomePortPopup,
      defaultGPSPortPopup, defaultAuxiliary1PortPopup, defaultAuxiliary2PortPopup;
  // Where the port pop-ups look for serial devices.
  QString serialDeviceFolder = QStringLiteral("/dev");

  // The activity begun at launch, held for the life of the process.
  static std::optional<ProcessActivity> activityToken;

  // Shows the general preferences sheet on the main window with the stored settings; the port
  // pop-ups are filled half a second later.
  virtual void showPreferencesSheet();
  // Confirms the general sheet: ends it, stores the colours (applied at once), the server
  // identity, log level (applied at once), profile and default ports. Not written to disk.
  virtual void savePreferences();
  // "None", then the serial devices; selects the given path, else "None".
  void fillPortPopup(QComboBox *popup, const QString &selected);
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
  TitleVisibility titleVisibility() const { return titleState_; }

public slots:
  void applicationWillFinishLaunching();
  virtual void applicationDidFinishLaunching();
  // Stops the framework and kills every subprocess it marks as started.
  void applicationWillTerminate();

  void preferences();
  void preferencesOK();
  void preferencesCancel();
  // Asks on the main window whether to reset the preferences; "Reset" removes every setting.
  void resetPrefs();
  // Shows or hides the main window's title.
  void toggleTitle();
  void showHelp();
  // Names the program and its versions.
  void about();

protected:
  // The preferences panel begun as a sheet on the main window.
  void beginSheet();
  // The log-level pop-up shows "kestorLogLevel"; at confirmation its index is stored and applied
  // (nothing when no item is selected).
  void showLogLevel();
  void saveLogLevel();

private:
  // The main window's background, painted from now on.
  void setWindowBackground(const QColor &color);
  // The port pop-ups with their settings keys.
  std::vector<std::pair<QString, QComboBox *>> portPopups() const;

  TitleVisibility titleState_ = TitleVisible;
  QString hiddenTitle_;  // the title while it is hidden
};
