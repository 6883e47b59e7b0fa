#include "Fakes.h"

#include "EventLoopWait.h"
#include "kestor/Device.h"
#include "kestor/Property.h"

namespace {

// Records the call; the entry points answer OK unless said otherwise.
kestor_result note(FrameworkCall call, uint32_t value = 0) {
  call.value = value;
  FakeFramework::shared().record(std::move(call));
  return KESTOR_OK;
}

// Records a change: its item names, and its values in the call's vector of their kind.
template <typename Value, auto Into>
kestor_result change(kestor_client *, const char *device, const char *property, int32_t count, char **items,
                     Value *values) {
  constexpr const char *function = std::is_same_v<Value, char *>   ? "change_text"
                                   : std::is_same_v<Value, double> ? "change_number"
                                                                   : "change_switch";
  FrameworkCall call(function, device, property);
  call.count = count;
  call.names.assign(items, items + count);
  (call.*Into).assign(values, values + count);
  return note(std::move(call));
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
  entry.setLogLevel = [](uint32_t level) {
    shared().logLevel = level;
    return note(FrameworkCall("set_log_level"), level);
  };
  entry.getLogLevel = [] { return shared().logLevel.load(); };
  entry.start = [] { return note(FrameworkCall("start")); };
  entry.attachClient = [](kestor_client *client) {
    note(FrameworkCall("attach_client"));
    return client->attach ? client->attach(client) : kestor_result(KESTOR_OK);
  };
  entry.enumerateProperties = [](kestor_client *, kestor_property *which) {
    FrameworkCall call("enumerate_properties");
    call.record = which;
    return note(std::move(call));
  };
  entry.changeTextProperty = change<char *, &FrameworkCall::texts>;
  entry.changeNumberProperty = change<double, &FrameworkCall::numbers>;
  entry.changeSwitchProperty = change<bool, &FrameworkCall::switches>;
  entry.enableBlob = [](kestor_client *, kestor_property *property, uint32_t mode) {
    return note(FrameworkCall("enable_blob", property->device, property->name), mode);
  };
  entry.connectServer = [](const char *name, const char *host, int32_t port, kestor_server_entry **made) {
    note(FrameworkCall("connect_server", name ? name : "(null)", host ? host : "(null)"), uint32_t(port));
    return shared().connect ? shared().connect(name, host, port, made) : kestor_result(KESTOR_FAILED);
  };
  entry.disconnectServer = [](kestor_server_entry *server) {
    FrameworkCall call("disconnect_server");
    call.entry = server;
    return note(std::move(call));
  };
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
  auto kestor =
      std::make_unique<KESTOR>(std::make_unique<FakeBrowser>(searches), std::make_unique<FakeBrowser>(searches));
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
