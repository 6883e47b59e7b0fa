// The application delegate's general preferences sheet loaded from its form (ui/GeneralPreferences.ui).
// This program's own delegate replaces it with its own sheet (ZEPAppDelegate), so the program
// never loads it; a delegate of the base class shows it from the Preferences command.
#pragma once

class ApplicationDelegate;
class QDialog;

// Makes the sheet on the delegate's main window, sets it and its controls as the delegate's
// outlets and connects OK to preferencesOK and Cancel to preferencesCancel.
QDialog *loadGeneralPreferencesSheet(ApplicationDelegate &delegate);
