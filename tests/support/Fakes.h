// Stand-ins for the library's entry points (they record every call, the change calls included) and
// the DNS-SD browsers, a delegate that records what it hears, and client objects made of them.
#pragma once

#include <QStringList>

#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "kestor/KESTOR.h"
#include "kestor/KESTORDelegate.h"
#include "kestor/discovery/NetService.h"

struct FrameworkCall {
  explicit FrameworkCall(std::string function, std::string device = {}, std::string property = {})
      : function(std::move(function)), device(std::move(device)), property(std::move(property)) {}
  std::string function;
  std::string device;
  std::string property;
  std::vector<std::string> names;
  std::vector<std::string> texts;
  std::vector<double> numbers;
  std::vector<bool> switches;
  int32_t count = 0;
  uint32_t value = 0;  // log level or BLOB mode
  kestor_property *record = nullptr;
  kestor_server_entry *entry = nullptr;
};

// Records every call; connect answers through a replaceable function.
class FakeFramework {
public:
  static FakeFramework &shared();
  // Clears the record and puts the fakes into the client object's entry points.
  void install(KESTOR &kestor);

  std::vector<FrameworkCall> calls(const std::string &function = {});
  // The change calls ("change_text", "change_number", "change_switch") once every change the
  // client object queued has reached the entry points.
  std::vector<FrameworkCall> changes(KESTOR &kestor);
  void record(FrameworkCall call);

  std::function<kestor_result(const char *name, const char *host, int32_t port, kestor_server_entry **entry)> connect;
  std::atomic<uint32_t> logLevel{0};

private:
  std::mutex mutex;
  std::vector<FrameworkCall> recorded;
};

class FakeService : public NetService {
public:
  using NetService::NetService;
  void resolve(double timeout) override { resolveTimeouts.push_back(timeout); }
  std::vector<double> resolveTimeouts;
};

// Writes "type@domain" of each search into the vector, when there is one.
class FakeBrowser : public NetServiceBrowser {
public:
  explicit FakeBrowser(std::vector<QString> *searches) : searches(searches) {}
  void searchForServices(const QString &type, const QString &domain) override {
    if (searches) searches->push_back(type + u'@' + domain);
  }
  std::vector<QString> *searches;
};

// A client object on fake browsers (writing their searches into the vector, if any) with the fake
// entry points installed: it starts, attaches and logs like the real one without any bus
// connection or DNS-SD daemon.
std::unique_ptr<KESTOR> makeFakeClient(std::vector<QString> *searches = nullptr);

// Writes one line per notification, with what the client object held at that moment.
class RecordingDelegate : public KESTORDelegate {
public:
  explicit RecordingDelegate(QStringList *events, QString tag = {}) : events(events), tag(std::move(tag)) {}
  void clientAttached() override { add(QStringLiteral("attached")); }
  void propertyDefined(const std::shared_ptr<KESTOR::Property> &property) override;
  void propertyChanged(const std::shared_ptr<KESTOR::Property> &property) override;
  void propertyDeleted(const std::shared_ptr<KESTOR::Property> &property) override;
  void messageReceived(const QString &message) override { add(QStringLiteral("message ") + message); }
  void servicesChanged() override { add(QStringLiteral("services")); }

  std::function<void(const std::shared_ptr<KESTOR::Property> &)> onChanged;
  std::function<void(const std::shared_ptr<KESTOR::Property> &)> onDeleted;

private:
  void add(const QString &event) { events->append(tag + event); }
  QStringList *events;
  QString tag;
};

// A client object with fake browsers and library entry points, and the delegate's events.
class ClientFixture {
public:
  ClientFixture();
  ~ClientFixture();
  // Runs the event loop until the log holds the given number of entries.
  bool waitForMessages(qsizetype count);
  QStringList messageTexts() const;  // entries without their time stamps

  std::vector<QString> searches;
  std::unique_ptr<KESTOR> kestor;
  QStringList events;
  RecordingDelegate delegate{&events};
  FakeFramework &framework = FakeFramework::shared();
};
