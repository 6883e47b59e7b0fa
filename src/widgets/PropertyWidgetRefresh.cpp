// A property widget follows its property: new values into the controls, the mount marker onto
// the map, guider samples into the graph.
#include <QLineEdit>
#include <QPointer>
#include <optional>

#include "core/Dispatch.h"
#include "core/NumberText.h"
#include "image/Image.h"
#include "kestor/Model.h"
#include "skymap/MapView.h"
#include "skymap/MountEntry.h"
#include "widgets/FieldStyle.h"
#include "widgets/GraphView.h"
#include "widgets/ImageView.h"
#include "widgets/KButton.h"
#include "widgets/PropertyWidget.h"
#include "widgets/StatusImage.h"

namespace {

// The value of a number item of the property, when it has one of that name.
std::optional<double> numberValue(const KESTOR::Property &property, const QString &itemName) {
  const auto *number = dynamic_cast<const KESTOR::NumberItem *>(property.item(itemName));
  return number ? std::optional<double>(number->value()) : std::nullopt;
}

// The device's property of that name, or null.
const KESTOR::Property *deviceProperty(const KESTOR::Property &property, const QString &name) {
  const auto &properties = property.device->properties;
  const auto found = properties.find(name);
  return found == properties.end() ? nullptr : found->second.get();
}

template <typename Control> Control *control(const std::map<QString, Control *> &controls, const QString &name) {
  const auto found = controls.find(name);
  return found == controls.end() ? nullptr : found->second;
}

template <typename Control> Control *control(const std::map<QString, QWidget *> &controls, const QString &name) {
  const auto found = controls.find(name);
  return found == controls.end() ? nullptr : qobject_cast<Control *>(found->second);
}

// Shows the text in the field; an unchanged text is left alone, as setting it lays it out anew.
void showText(QLineEdit *field, const QString &text) {
  if (field->text() != text) field->setText(text);
}

}  // namespace

void PropertyWidget::update(const std::shared_ptr<KESTOR::Property> &property) {
  stateIcon->setPixmap(statusImage(property->state()));
  for (KESTOR::Item *item : property->orderedItems()) {
    const QString &itemName = item->name;
    if (auto *text = dynamic_cast<KESTOR::TextItem *>(item)) {
      if (auto *field = control<QLineEdit>(values, itemName); field && !FieldStyle::isEdited(field)) {
        showText(field, text->value());
      }
    } else if (auto *number = dynamic_cast<KESTOR::NumberItem *>(item)) {
      const QString format = number->format();
      if (auto *field = control<QLineEdit>(values, itemName)) {
        showText(field, numberText(number->value(), format));
      }
      if (auto *target = control(targets, itemName); target && !FieldStyle::isEdited(target)) {
        showText(target, numberText(number->target(), format));
      }
    } else if (auto *sw = dynamic_cast<KESTOR::SwitchItem *>(item)) {
      if (auto *button = control<KButton>(values, itemName)) {
        button->setState(sw->value() ? KButton::ON : KButton::OFF);
        button->setEnabled(switchEnabled(*property, sw->value()));
      }
    } else if (auto *light = dynamic_cast<KESTOR::LightItem *>(item)) {
      if (auto *view = control<ImageView>(values, itemName)) {
        view->setPixmap(statusImage(light->value()));
      }
    } else if (auto *blob = dynamic_cast<KESTOR::BLOBItem *>(item)) {
      if (auto *view = control<ImageView>(values, itemName); view && property->state() == KESTOR_STATE_OK) {
        showBLOB(*blob, view);
      }
    }
  }
  if (property->name == QLatin1String("MOUNT_EQUATORIAL_COORDINATES")) {
    updateMountPosition(property);
  } else if (property->name == QLatin1String("AGENT_GUIDER_STATS")) {
    addGuiderSample(*property);
  }
}

void PropertyWidget::showBLOB(KESTOR::BLOBItem &item, ImageView *view) {
  const std::shared_ptr<Image> image = item.image();
  // Every request supersedes the ones before it, so a picture still queued never replaces a
  // newer one or a clearing.
  const quint64 ticket = ++pictureSequence_[view];
  if (!image) {
    view->setPixmap(QPixmap());
    return;
  }
  image->setBlackPoint(image->autoBlackPoint());
  image->setWhitePoint(image->autoWhitePoint());
  // The stretch and the conversion to the screen's format of a camera-sized picture take a
  // tenth of a second or more: they run on the pool, the main thread only takes the result.
  const RenderingPoints points = image->renderingPoints();
  const bool highlight = image->highlightsOverexposure();
  const QPointer<ImageView> target(view);
  asyncGlobal([this, target, image, points, highlight, ticket] {
    QImage picture = image->rendering(points, highlight).convertToFormat(QImage::Format_RGB32);
    asyncMain([this, target, picture = std::move(picture), ticket]() mutable {
      // The view is a child of this widget: while it exists, so does the widget.
      if (target && pictureSequence_[target] == ticket) {
        target->setPixmap(QPixmap::fromImage(std::move(picture)));
      }
    });
  });
}

void PropertyWidget::updateMountPosition(const std::shared_ptr<KESTOR::Property> &property) {
  const std::optional<double> ra = numberValue(*property, QStringLiteral("RA"));
  const std::optional<double> dec = numberValue(*property, QStringLiteral("DEC"));
  if (!ra || !dec) {
    return;
  }
  auto entry = std::make_shared<MountEntry>(*ra, *dec);
  if (const KESTOR::Property *site = deviceProperty(*property, QStringLiteral("GEOGRAPHIC_COORDINATES"))) {
    const auto latitude = numberValue(*site, QStringLiteral("LATITUDE"));
    const auto longitude = numberValue(*site, QStringLiteral("LONGITUDE"));
    const auto elevation = numberValue(*site, QStringLiteral("ELEVATION"));
    if (latitude && longitude && elevation) {
      if (mapView) {
        mapView->update(*latitude, *longitude, *elevation);
      }
      entry->updateStar(*latitude, *longitude, *elevation);
    }
  }
  if (const KESTOR::Property *horizontal =
          deviceProperty(*property, QStringLiteral("MOUNT_HORIZONTAL_COORDINATES"))) {
    const auto alt = numberValue(*horizontal, QStringLiteral("ALT"));
    const auto az = numberValue(*horizontal, QStringLiteral("AZ"));
    if (alt && az) {
      entry->alt = *alt;
      entry->az = *az;
    }
  }
  if (!mapView) {
    return;
  }
  mapView->setPosition(entry);
  if (property->state() == KESTOR_STATE_BUSY || !mapView->_center) {
    mapView->center(entry);
  }
}

void PropertyWidget::addGuiderSample(const KESTOR::Property &property) {
  std::optional<double> sample[7];
  const char *names[7] = {"FRAME", "DRIFT_X", "DRIFT_Y", "DRIFT_RA", "DRIFT_DEC", "CORR_RA", "CORR_DEC"};
  for (int i = 0; i < 7; ++i) {
    sample[i] = numberValue(property, QLatin1String(names[i]));
    if (!sample[i]) {
      return;
    }
  }
  if (!graphView) {
    return;
  }
  if (*sample[0] == 1.0) {
    graphView->reset();
  }
  graphView->addSample(*sample[1], *sample[2], *sample[3], *sample[4], *sample[5], *sample[6]);
}
