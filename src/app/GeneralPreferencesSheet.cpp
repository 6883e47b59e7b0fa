#include "app/GeneralPreferencesSheet.h"

#include "app/ApplicationDelegate.h"
#include "ui_GeneralPreferences.h"

#include <QMainWindow>

QDialog *loadGeneralPreferencesSheet(ApplicationDelegate &delegate) {
  auto *sheet = new QDialog(delegate.window);
  Ui::GeneralPreferences form;
  form.setupUi(sheet);
  sheet->setWindowModality(Qt::WindowModal);
  delegate.preferencePanel = sheet;
  delegate.markerColorWell = form.markerColorWell;
  delegate.graphColor1Well = form.graphColor1Well;
  delegate.graphColor2Well = form.graphColor2Well;
  delegate.backgroundColorWell = form.backgroundColorWell;
  delegate.kestorPortNumberField = form.kestorPortNumberField;
  delegate.kestorServiceNameField = form.kestorServiceNameField;
  delegate.kestorServiceTypeField = form.kestorServiceTypeField;
  delegate.logLevelPopup = form.logLevelPopup;
  delegate.profilePopup = form.profilePopup;
  delegate.defaultWheelPortPopup = form.defaultWheelPortPopup;
  delegate.defaultFocuserPortPopup = form.defaultFocuserPortPopup;
  delegate.defaultMountPortPopup = form.defaultMountPortPopup;
  delegate.defaultDomePortPopup = form.defaultDomePortPopup;
  delegate.defaultGPSPortPopup = form.defaultGPSPortPopup;
  delegate.defaultAuxiliary1PortPopup = form.defaultAuxiliary1PortPopup;
  delegate.defaultAuxiliary2PortPopup = form.defaultAuxiliary2PortPopup;
  QObject::connect(form.buttonBox, &QDialogButtonBox::accepted, &delegate, &ApplicationDelegate::preferencesOK);
  QObject::connect(form.buttonBox, &QDialogButtonBox::rejected, &delegate, &ApplicationDelegate::preferencesCancel);
  return sheet;
}
