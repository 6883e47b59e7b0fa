// A property widget follows its property: new values into the controls, the mount marker onto
// the map, guider samples into the graph.
#include <QLineEdit>
#include <QPointer>
#include <optional>

#include "core/Dispatch.h"
#include "core/NumberText.h"
#include "image/Image.h"
#include "image/PreviewScaling.h"
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

template <typename Control>
Control *control(const std::map<QString, Control *> &controls, const QString &name) {
  const auto found = controls.find(name);
  return found == controls.end() ? nullptr : found->second;
}

template <typename Control>
Control *control(const std::map<QString, QWidget *> &controls, const QString &name) {
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
  // Every request supersedes the ones before it, so a picture still queued never replaces a
  // newer one or a clearing, and one superseded before the pool gets to it is not made at all.
  std::shared_ptr<std::atomic<quint64>> &sequence = pictureSequence_[view];
  if (!sequence) sequence = std::make_shared<std::atomic<quint64>>(0);
  const quint64 ticket = ++*sequence;
  std::optional<KESTOR::BLOBItem::ImageSource> source = item.imageSource();
  if (!source) {
    view->setPixmap(QPixmap());
    return;
  }
  // Decoding, statistics and the stretched rendering at the size shown take a tenth of a second
  // or more for a camera-sized picture: they run on the pool, the main thread reads the item
  // once and takes the picture.
  const QSize frame = view->size();
  const qreal ratio = view->devicePixelRatioF();
  const QPointer<ImageView> target(view);
  asyncGlobal([this, target, source = std::move(*source), frame, ratio, sequence, ticket, name = item.name] {
    if (*sequence != ticket) return;
    std::shared_ptr<Image> image = source.image ? source.image : std::make_shared<Image>(source.data, source.format);
    const RenderingPoints points{image->autoBlackPoint(), image->autoWhitePoint()};
    // Rendered at the view's pixels, shown at the size that fits the view, never scaled up.
    const QSize whole(int(image->width()), int(image->height()));
    const QSize shown = PreviewScaling::fittedSize(whole, frame);
    const QSize size = PreviewScaling::fittedSize(whole, frame * ratio);
    QImage picture = image->rendering(points, image->highlightsOverexposure(), size);
    if (!shown.isEmpty()) picture.setDevicePixelRatio(double(size.width()) / shown.width());
    asyncMain(
        [this, target, image, points, update = source.update, picture = std::move(picture), sequence, ticket, name] {
          // The view is a child of this widget: while it exists, so do the widget and its property.
          if (!target) return;
          if (auto *blob = dynamic_cast<KESTOR::BLOBItem *>(kproperty->item(name))) blob->keepImage(image, update);
          image->setBlackPoint(points.black);
          image->setWhitePoint(points.white);
          if (*sequence == ticket) target->setPixmap(QPixmap::fromImage(picture));
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
  if (position->centresMap(mapView->centered() != nullptr)) {
    mapView->centerOn(entry);
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
