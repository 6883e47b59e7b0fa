// What a property widget does when the user works its controls.
#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QStandardPaths>
#include <cmath>

#include "core/NumberText.h"
#include "core/Sexagesimal.h"
#include "kestor/Model.h"
#include "skymap/MapView.h"
#include "widgets/FieldStyle.h"
#include "widgets/GraphView.h"
#include "widgets/KButton.h"
#include "widgets/PropertyWidget.h"

void PropertyWidget::controlTextDidChange(QLineEdit *field) {
  if (!kproperty) {
    return;
  }
  if (kproperty->type() == KESTOR_TEXT) {
    for (const auto &[itemName, control] : values) {
      if (control == field) {
        FieldStyle::markEdited(field);
      }
    }
  } else {
    for (const auto &[itemName, target] : targets) {
      if (target == field) {
        FieldStyle::markEdited(field);
      }
    }
  }
}

void PropertyWidget::endEditing() {
  if (QWidget *focused = window()->focusWidget()) {
    focused->clearFocus();
  }
}

void PropertyWidget::setAction() {
  endEditing();
  if (!kproperty) {
    resetAction();
    return;
  }
  if (kproperty->type() == KESTOR_TEXT) {
    QMap<QString, QString> texts;
    for (const auto &[itemName, item] : kproperty->items) {
      if (auto *field = qobject_cast<QLineEdit *>(values.count(itemName) ? values.at(itemName) : nullptr)) {
        texts.insert(itemName, field->text());
      }
    }
    kestor->changeText(kproperty, texts);
  } else {
    // Every target must read as a number before anything is sent: a half-read or empty target
    // would move the device to a value nobody asked for.
    QMap<QString, double> numbers;
    bool allRead = true;
    for (const auto &[itemName, item] : kproperty->items) {
      const auto *number = dynamic_cast<const KESTOR::NumberItem *>(item.get());
      const auto found = targets.find(itemName);
      if (number == nullptr || found == targets.end()) {
        continue;
      }
      QLineEdit *field = found->second;
      if (const std::optional<double> value = parseTarget(field->text(), number->format())) {
        numbers.insert(itemName, *value);
      } else {
        allRead = false;
        FieldStyle::markEdited(field);
        kestor->log(QStringLiteral("Invalid number: %1 = %2").arg(itemName, field->text()));
      }
    }
    if (!allRead) {
      return;
    }
    kestor->changeNumber(kproperty, numbers);
  }
  resetAction();
}

void PropertyWidget::resetAction() {
  endEditing();
  if (!kproperty) {
    return;
  }
  if (kproperty->name == QLatin1String("AGENT_GUIDER_STATS")) {
    if (graphView) {
      graphView->reset();
    }
    return;
  }
  for (const auto &[itemName, item] : kproperty->items) {
    if (kproperty->type() == KESTOR_TEXT) {
      const auto *text = dynamic_cast<const KESTOR::TextItem *>(item.get());
      auto *field = qobject_cast<QLineEdit *>(values.count(itemName) ? values.at(itemName) : nullptr);
      if (text && field) {
        field->setText(text->value());
        FieldStyle::markNormal(field);
      }
    } else if (const auto *number = dynamic_cast<const KESTOR::NumberItem *>(item.get())) {
      if (const auto found = targets.find(itemName); found != targets.end()) {
        found->second->setText(numberText(number->value(), number->format()));
        FieldStyle::markNormal(found->second);
      }
    }
  }
}

void PropertyWidget::switchAction(QObject *sender) {
  auto *button = qobject_cast<KButton *>(sender);
  if (!kproperty || !button) {
    return;
  }
  for (const QString &itemName : kproperty->itemNames) {
    if (const auto found = values.find(itemName); found != values.end() && found->second == button) {
      kestor->changeSwitch(kproperty, itemName, button->state() == KButton::ON);
      return;
    }
  }
}

void PropertyWidget::folderAction() {
  auto *dialog = new QFileDialog(window(), tr("Select directory"));
  dialog->setObjectName(QStringLiteral("folderDialog"));
  dialog->setAttribute(Qt::WA_DeleteOnClose);
  dialog->setOption(QFileDialog::DontUseNativeDialog);
  dialog->setOption(QFileDialog::ShowDirsOnly);
  dialog->setFileMode(QFileDialog::Directory);
  dialog->setLabelText(QFileDialog::Accept, tr("Select directory"));
  const QStringList pictures = QStandardPaths::standardLocations(QStandardPaths::PicturesLocation);
  const QString start = pictures.value(0, QDir::homePath());
  dialog->setDirectory(QDir(start).exists() ? start : QDir::homePath());
  dialog->setWindowModality(Qt::WindowModal);
  connect(dialog, &QDialog::finished, this,
          [this, dialog](int result) { folderChosen(result, dialog->selectedFiles().value(0)); });
  dialog->open();
}

void PropertyWidget::folderChosen(int result, const QString &path) {
  if (result != QDialog::Accepted || path.isEmpty() || !dirField) {
    return;
  }
  dirField->setText(QDir::cleanPath(path) + QLatin1Char('/'));
  FieldStyle::markEdited(dirField);
}

namespace {
constexpr double ZOOM_STEP = 0.5;
}

void PropertyWidget::zoomInAction() {
  if (!kproperty) {
    return;
  }
  if (kproperty->name == QLatin1String("MOUNT_EQUATORIAL_COORDINATES") && mapView) {
    mapView->setZoom(std::log2(mapView->width()) + ZOOM_STEP);
  } else if (kproperty->name == QLatin1String("AGENT_GUIDER_STATS") && graphView) {
    if (graphView->showCount >= 50 && graphView->showCount <= 801) {
      graphView->showCount /= 2;
    }
  }
}

void PropertyWidget::zoomOutAction() {
  if (!kproperty) {
    return;
  }
  if (kproperty->name == QLatin1String("MOUNT_EQUATORIAL_COORDINATES") && mapView) {
    mapView->setZoom(std::log2(mapView->width()) - ZOOM_STEP);
  } else if (kproperty->name == QLatin1String("AGENT_GUIDER_STATS") && graphView) {
    if (2 * graphView->showCount >= 25 && 2 * graphView->showCount <= 400) {
      graphView->showCount *= 2;
    }
  }
}

void PropertyWidget::centerPositionAction() {
  if (mapView) {
    mapView->centerOn(mapView->position());
  }
}

void PropertyWidget::centerSelectionAction() {
  if (mapView) {
    mapView->centerOn(mapView->selection());
  }
}

void PropertyWidget::xyAction(QObject *sender) { setGraphMode(GuiderSample::Series::DriftXY, sender); }
void PropertyWidget::eqAction(QObject *sender) { setGraphMode(GuiderSample::Series::DriftEQ, sender); }
void PropertyWidget::corrAction(QObject *sender) { setGraphMode(GuiderSample::Series::Corrections, sender); }

void PropertyWidget::setGraphMode(GuiderSample::Series mode, QObject *sender) {
  if (graphView) {
    graphView->mode = mode;
    graphView->update();
  }
  auto *button = qobject_cast<KButton *>(sender);
  if (!button || !button->parentWidget()) {
    return;
  }
  for (KButton *other : button->parentWidget()->findChildren<KButton *>(QString(), Qt::FindDirectChildrenOnly)) {
    if (other != button) {
      other->setState(KButton::OFF);
    }
  }
}

void PropertyWidget::selectedWithEntry(const MapEntryPtr &entry) {
  if (!entry) {
    if (entryNameLabel) {
      entryNameLabel->setText(QString());
    }
    return;
  }
  if (entryNameLabel) {
    entryNameLabel->setText(entry->name.value_or(QStringLiteral("HIP") + QString::number(entry->object.id)));
  }
  const std::pair<const char *, double> coordinates[] = {{"RA", entry->ra}, {"DEC", entry->dec}};
  for (const auto &[itemName, value] : coordinates) {
    if (const auto found = targets.find(QLatin1String(itemName)); found != targets.end()) {
      found->second->setText(formatSexagesimal(value, QStringLiteral(":"), QStringLiteral(":")));
      FieldStyle::markEdited(found->second);
    }
  }
}

void PropertyWidget::addHistoryWithEntry(const MapEntryPtr &) {}

void PropertyWidget::pinAction() {
  if (!propertiesView || propertiesView->locked || !kproperty || !dashboardView) {
    return;
  }
  dashboardView->pinCopy(*this);
}

void PropertyWidget::unpinAction() {
  if (!propertiesView || propertiesView->locked) {
    return;
  }
  propertiesView->unpin(this);
}
