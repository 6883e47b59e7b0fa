#include "kestor/Callbacks.h"

#include "core/Dispatch.h"
#include "kestor/KESTOR.h"
#include "kestor/RecordText.h"

namespace {

// Logs a callback's message when it is valid UTF-8.
void logMessage(KESTOR *kestor, const char *message) {
  QString text;
  if (decodeStrictUtf8(message, text)) kestor->log(text);
}

void logInfoMessage(const char *text) {
  KESTOR *kestor = KESTOR::clientInstance();
  if (kestor != nullptr && kestor->framework.getLogLevel() == KESTOR_LOG_INFO) kestor->log(QString::fromLatin1(text));
}

kestor_result propertyCallback(kestor_property *property, const char *message,
                               void (KESTOR::*handler)(kestor_property *)) {
  KESTOR *kestor = KESTOR::clientInstance();
  if (kestor == nullptr || property == nullptr) return KESTOR_OK;
  syncMain([&] { (kestor->*handler)(property); });
  logMessage(kestor, message);
  return KESTOR_OK;
}

kestor_result attachCallback(kestor_client *) {
  logInfoMessage("KESTOR Client attached...");
  return KESTOR_OK;
}

kestor_result definePropertyCallback(kestor_client *, kestor_device *, kestor_property *property, const char *message) {
  return propertyCallback(property, message, &KESTOR::handleDefineProperty);
}

kestor_result updatePropertyCallback(kestor_client *, kestor_device *, kestor_property *property, const char *message) {
  return propertyCallback(property, message, &KESTOR::handleUpdateProperty);
}

kestor_result deletePropertyCallback(kestor_client *, kestor_device *, kestor_property *property, const char *message) {
  return propertyCallback(property, message, &KESTOR::handleDeleteProperty);
}

kestor_result sendMessageCallback(kestor_client *, kestor_device *, const char *message) {
  if (KESTOR *kestor = KESTOR::clientInstance()) logMessage(kestor, message);
  return KESTOR_OK;
}

kestor_result detachCallback(kestor_client *) {
  logInfoMessage("KESTOR Client detached...");
  return KESTOR_OK;
}

}  // namespace

void fillClientRecord(kestor_client *record) {
  record->version = KESTOR_VERSION_2_0;
  record->is_remote = false;
  record->attach = &attachCallback;
  record->define_property = &definePropertyCallback;
  record->update_property = &updatePropertyCallback;
  record->delete_property = &deletePropertyCallback;
  record->send_message = &sendMessageCallback;
  record->detach = &detachCallback;
}

void runOnMainThread(void (*fn)(void *arg), void *arg) {
  syncMain([fn, arg] { fn(arg); });
}
