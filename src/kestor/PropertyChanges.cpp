// Property changes and BLOB transfer: changes are copied into C buffers on the calling thread and
// handed to the library from one worker thread, in the order they were made.
#include <QByteArray>

#include <chrono>
#include <thread>

#include "core/SerialQueue.h"
#include "kestor/ChangeBuffers.h"
#include "kestor/Device.h"
#include "kestor/Item.h"
#include "kestor/Property.h"

void KESTOR::changeText(const std::shared_ptr<Property> &property, const QMap<QString, QString> &values) {
  if (!property) return;
  auto buffers = ChangeBuffers::of(values, [](ChangeBuffers &change, const QString &value) { change.addText(value); });
  changes_->async([this, property, buffers] { sendTextChange(property, *buffers); });
}

void KESTOR::changeNumber(const std::shared_ptr<Property> &property, const QMap<QString, double> &values) {
  if (!property) return;
  auto buffers = ChangeBuffers::of(values, [](ChangeBuffers &change, double value) { change.addNumber(value); });
  changes_->async([this, property, buffers] { sendNumberChange(property, *buffers); });
}

void KESTOR::changeSwitch(const std::shared_ptr<Property> &property, const QString &item, bool value) {
  if (!property) return;
  const auto found = property->items.find(item);
  if (found == property->items.end()) return;
  auto buffers = std::make_shared<ChangeBuffers>();
  buffers->addName(found->second->name);
  buffers->switchValue = value;
  changes_->async([this, property, buffers] { sendSwitchChange(property, *buffers); });
}

void KESTOR::sendTextChange(const std::shared_ptr<Property> &property, ChangeBuffers &buffers) {
  const QByteArray device = property->device->name.toUtf8();
  const QByteArray name = property->name.toUtf8();
  framework.changeTextProperty(client, device.constData(), name.constData(), buffers.count(), buffers.names.data(),
                               buffers.values.data());
}

void KESTOR::sendNumberChange(const std::shared_ptr<Property> &property, ChangeBuffers &buffers) {
  const QByteArray device = property->device->name.toUtf8();
  const QByteArray name = property->name.toUtf8();
  framework.changeNumberProperty(client, device.constData(), name.constData(), buffers.count(), buffers.names.data(),
                                 buffers.numbers.data());
}

void KESTOR::sendSwitchChange(const std::shared_ptr<Property> &property, ChangeBuffers &buffers) {
  const QByteArray device = property->device->name.toUtf8();
  const QByteArray name = property->name.toUtf8();
  framework.changeSwitchProperty(client, device.constData(), name.constData(), 1, buffers.names.data(),
                                 &buffers.switchValue);
}

void KESTOR::waitForChanges() { changes_->drain(); }

void KESTOR::enableBLOB(const std::shared_ptr<Property> &property, bool enabled) {
  // A property that has left the model is not touched. Its record is not read from this thread
  // (the library may free it meanwhile): the library is handed one that holds the names and what
  // the property was defined as.
  if (!property || property->deleted || property->typeAtDefinition != KESTOR_BLOB) return;
  const uint32_t mode = !enabled                                              ? KESTOR_BLOB_NEVER
                        : property->versionAtDefinition >= KESTOR_VERSION_2_0 ? KESTOR_BLOB_URL
                                                                              : KESTOR_BLOB_ALSO;
  kestor_property record{};
  copyToBuffer(property->device->name, record.device, sizeof record.device);
  copyToBuffer(property->name, record.name, sizeof record.name);
  record.type = property->typeAtDefinition;
  record.version = property->versionAtDefinition;
  framework.enableBlob(client, &record, mode);
}

void KESTOR::refreshProperties() {
  std::this_thread::sleep_for(std::chrono::duration<double>(refreshDelay));
  framework.enumerateProperties(client, &KESTOR_ALL_PROPERTIES);
}
