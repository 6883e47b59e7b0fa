// A property widget follows its property: new values into the controls, the mount marker onto
// the map, guider samples into the graph.
#include <QLineEdit>
#include <QPointer>
#include <optional>

#include "core/Dispatch.h"
#include "core/NumberText.h"
#include "image/Image.h"
#include "kestor/Model.h"
#include "kestor/MountPosition.h"
#include "skymap/MapView.h"
#include "skymap/MountEntry.h"
#include "widgets/FieldStyle.h"
#include "widgets/GraphView.h"
#include "widgets/ImageView.h"
#include "widgets/KButton.h"
#include "widgets/PropertyWidget.h"
#include "widgets/StatusImage.h"

namespace {

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
  const std::optional<MountPosition> position = MountPosition::read(*property);
  if (!position) {
    return;
  }
  auto entry = std::make_shared<MountEntry>(position->ra, position->dec);
  if (const auto &site = position->site) {
    if (mapView) {
      mapView->update(site->latitude, site->longitude, site->elevation);
    }
    entry->updateStar(site->latitude, site->longitude, site->elevation);
  }
  if (const auto &horizontal = position->horizontal) {
    entry->alt = horizontal->alt;
    entry->az = horizontal->az;
  }
  if (!mapView) {
    return;
  }
  mapView->setPosition(entry);
  if (position->centresMap(mapView->_center != nullptr)) {
    mapView->center(entry);
  }
}

void PropertyWidget::addGuiderSample(const KESTOR::Property &property) {
  const std::optional<GuiderSample> sample = GuiderSample::read(property);
  if (!sample || !graphView) {
    return;
  }
  if (sample->startsRun()) {
    graphView->reset();
  }
  graphView->addSample(*sample);
}
