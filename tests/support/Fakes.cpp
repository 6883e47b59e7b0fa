#include "Fakes.h"

#include "EventLoopWait.h"
#include "kestor/Device.h"
#include "kestor/Property.h"

namespace {

FrameworkCall change(const char *function, const char *device, const char *property, int32_t count, char **items) {
  FrameworkCall call(function, device, property);
  call.count = count;
  for (int32_t i = 0; i < count; ++i) call.names.emplace_back(items[i]);
  return call;
}

kestor_result setLogLevel(uint32_t level) {
  FrameworkCall call("set_log_level");
  call.value = level;
  FakeFramework::shared().record(call);
  FakeFramework::shared().logLevel = level;
  return KESTOR_OK;
}

uint32_t getLogLevel() { return FakeFramework::shared().logLevel; }

kestor_result start() {
  FakeFramework::shared().record(FrameworkCall("start"));
  return KESTOR_OK;
}

kestor_result attachClient(kestor_client *client) {
  FakeFramework::shared().record(FrameworkCall("attach_client"));
  return client->attach ? client->attach(client) : kestor_result(KESTOR_OK);
}

kestor_result enumerateProperties(kestor_client *, kestor_property *which) {
  FrameworkCall call("enumerate_properties");
  call.record = which;
  FakeFramework::shared().record(call);
  return KESTOR_OK;
}

// Records a change: its item names, and its values in the call member `into`.
template <typename Value, typename Element>
kestor_result recordChange(const char *function, const char *device, const char *property, int32_t count,
                           char **items, Value *values, std::vector<Element> FrameworkCall::*into) {
  FrameworkCall call = change(function, device, property, count, items);
  (call.*into).assign(values, values + count);
  FakeFramework::shared().record(call);
  return KESTOR_OK;
}

kestor_result changeText(kestor_client *, const char *device, const char *property, int32_t count, char **items,
                         char **values) {
  return recordChange("change_text", device, property, count, items, values, &FrameworkCall::texts);
}

kestor_result changeNumber(kestor_client *, const char *device, const char *property, int32_t count, char **items,
                           double *values) {
  return recordChange("change_number", device, property, count, items, values, &FrameworkCall::numbers);
}

kestor_result changeSwitch(kestor_client *, const char *device, const char *property, int32_t count, char **items,
                           bool *values) {
  return recordChange("change_switch", device, property, count, items, values, &FrameworkCall::switches);
}

kestor_result enableBlob(kestor_client *, kestor_property *property, uint32_t mode) {
  FrameworkCall call("enable_blob", property->device, property->name);
  call.value = mode;
  FakeFramework::shared().record(call);
  return KESTOR_OK;
}

kestor_result connectServer(const char *name, const char *host, int32_t port, kestor_server_entry **entry) {
  FrameworkCall call("connect_server", name ? name : "(null)", host ? host : "(null)");
  call.value = static_cast<uint32_t>(port);
  FakeFramework::shared().record(call);
  auto &connect = FakeFramework::shared().connect;
  return connect ? connect(name, host, port, entry) : kestor_result(KESTOR_FAILED);
}

kestor_result disconnectServer(kestor_server_entry *entry) {
  FrameworkCall call("disconnect_server");
  call.entry = entry;
  FakeFramework::shared().record(call);
  return KESTOR_OK;
}

QString propertyText(const std::shared_ptr<KESTOR::Property> &property) {
  return property->device->name + u'.' + property->name;
}

}  // namespace

FakeFramework &FakeFramework::shared() {
  static FakeFramework fake;
  return fake;
}

void FakeFramework::install(KESTOR &kestor) {
  {
    std::lock_guard guard(mutex);
    recorded.clear();
  }
  connect = nullptr;
  logLevel = 0;
  KESTOR::Framework &entry = kestor.framework;
  entry.setLogLevel = setLogLevel;
  entry.getLogLevel = getLogLevel;
  entry.start = start;
  entry.attachClient = attachClient;
  entry.enumerateProperties = enumerateProperties;
  entry.changeTextProperty = changeText;
  entry.changeNumberProperty = changeNumber;
  entry.changeSwitchProperty = changeSwitch;
  entry.enableBlob = enableBlob;
  entry.connectServer = connectServer;
  entry.disconnectServer = disconnectServer;
}

std::vector<FrameworkCall> FakeFramework::calls(const std::string &function) {
  std::lock_guard guard(mutex);
  std::vector<FrameworkCall> result;
  for (const auto &call : recorded)
    if (function.empty() || call.function == function) result.push_back(call);
  return result;
}

std::vector<FrameworkCall> FakeFramework::changes(KESTOR &kestor) {
  kestor.waitForChanges();
  std::vector<FrameworkCall> result;
  for (auto &call : calls())
    if (call.function.starts_with("change_")) result.push_back(std::move(call));
  return result;
}

void FakeFramework::record(FrameworkCall call) {
  std::lock_guard guard(mutex);
  recorded.push_back(std::move(call));
}

void RecordingDelegate::propertyDefined(const std::shared_ptr<KESTOR::Property> &property) {
  add(QStringLiteral("defined ") + propertyText(property));
}

void RecordingDelegate::propertyChanged(const std::shared_ptr<KESTOR::Property> &property) {
  add(QStringLiteral("changed ") + propertyText(property));
  if (onChanged) onChanged(property);
}

void RecordingDelegate::propertyDeleted(const std::shared_ptr<KESTOR::Property> &property) {
  add(QStringLiteral("deleted ") + propertyText(property));
  if (onDeleted) onDeleted(property);
}

std::unique_ptr<KESTOR> makeFakeClient(std::vector<QString> *searches) {
  auto kestor = std::make_unique<KESTOR>(std::make_unique<FakeBrowser>(searches), std::make_unique<FakeBrowser>(searches));
  FakeFramework::shared().install(*kestor);
  return kestor;
}

ClientFixture::ClientFixture() : kestor(makeFakeClient(&searches)) {
  kestor->connectRetryDelay = 0.001;
  kestor->timeFormat = QStringLiteral("HH:mm:ss.zzz");
  kestor->addDelegate(&delegate);
}

ClientFixture::~ClientFixture() {
  kestor->waitForChanges();
  QCoreApplication::processEvents();
}

bool ClientFixture::waitForMessages(qsizetype count) {
  return waitUntil([&] { return kestor->messages.size() >= count; });
}

QStringList ClientFixture::messageTexts() const {
  QStringList texts;
  for (const QString &entry : kestor->messages) texts.append(entry.mid(13));  // "HH:mm:ss.zzz "
  return texts;
}
