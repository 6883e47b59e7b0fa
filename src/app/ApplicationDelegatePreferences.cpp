// The application delegate's preference commands: the reset of every setting and the title.
#include "app/ApplicationDelegate.h"

#include "core/Globals.h"

#include <QMainWindow>
#include <QMessageBox>
#include <QPushButton>
#include <QSettings>

void ApplicationDelegate::resetPrefs() {
  auto *alert = new QMessageBox(window);
  alert->setAttribute(Qt::WA_DeleteOnClose);
  alert->setIcon(QMessageBox::Warning);
  alert->setText(tr("Reset preferences?"));
  alert->setInformativeText(tr("Are you sure you would like to reset preferences?"));
  QPushButton *reset = alert->addButton(tr("Reset"), QMessageBox::AcceptRole);
  alert->addButton(tr("Cancel"), QMessageBox::RejectRole);
  alert->setDefaultButton(reset);
  alert->setWindowModality(Qt::WindowModal);
  connect(alert, &QMessageBox::finished, this, [alert, reset] {
    if (alert->clickedButton() != reset) return;
    // Only the user's own settings file: what is in memory stays until the next launch.
    defaults().clear();
    defaults().sync();
  });
  alert->open();
}

void ApplicationDelegate::toggleTitle() {
  if (!window) return;
  if (titleState_ == TitleHidden) {
    titleState_ = TitleVisible;
    window->setWindowTitle(hiddenTitle_);
  } else {
    titleState_ = TitleHidden;
    hiddenTitle_ = window->windowTitle();
    // An empty title would show the application's name instead.
    window->setWindowTitle(QStringLiteral(" "));
  }
}
