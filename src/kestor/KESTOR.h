// The client object: the one bridge between the application and the bus library. It starts the
// library, attaches the client record, keeps the device model on the main thread, the message
// log, the delegate list and the discovered and typed-in servers, and sends property changes.
#pragma once

#include <QObject>
#include <QMap>
#include <QString>
#include <QStringList>

#include <atomic>
#include <functional>
#include <map>
#include <memory>
#include <set>
#include <unordered_map>
#include <vector>

#include <kestor.h>

#include "kestor/TypedServer.h"
#include "kestor/discovery/NetService.h"
#include "kestor/discovery/PublishedService.h"

class KESTORDelegate;
class SerialQueue;

class KESTOR : public QObject, public NetServiceBrowserDelegate {
  Q_OBJECT

public:
  class Device;
  class Group;
  class Property;
  class Item;
  class TextItem;
  class NumberItem;
  class SwitchItem;
  class LightItem;
  class BLOBItem;
  class Driver;

  // The library entry points the client object calls; tests replace some of them.
  struct Framework {
    decltype(&kestor_set_log_level) setLogLevel = &kestor_set_log_level;
    decltype(&kestor_get_log_level) getLogLevel = &kestor_get_log_level;
    decltype(&kestor_start) start = &kestor_start;
    decltype(&kestor_attach_client) attachClient = &kestor_attach_client;
    decltype(&kestor_enumerate_properties) enumerateProperties = &kestor_enumerate_properties;
    decltype(&kestor_change_text_property) changeTextProperty = &kestor_change_text_property;
    decltype(&kestor_change_number_property) changeNumberProperty = &kestor_change_number_property;
    decltype(&kestor_change_switch_property) changeSwitchProperty = &kestor_change_switch_property;
    decltype(&kestor_enable_blob) enableBlob = &kestor_enable_blob;
    decltype(&kestor_connect_server) connectServer = &kestor_connect_server;
    decltype(&kestor_disconnect_server) disconnectServer = &kestor_disconnect_server;
    decltype(&kestor_start_usb_event_handler) startUsbEventHandler = &kestor_start_usb_event_handler;
    decltype(&kestor_server_start) serverStart = &kestor_server_start;
    decltype(&kestor_load_driver) loadDriver = &kestor_load_driver;
    decltype(&kestor_start_subprocess) startSubprocess = &kestor_start_subprocess;
  };

  // Discovery uses the Avahi browsers.
  explicit KESTOR(QObject *parent = nullptr);
  // Discovery uses the given browsers (tests).
  KESTOR(std::unique_ptr<NetServiceBrowser> kestorBrowser, std::unique_ptr<NetServiceBrowser> indiBrowser,
         QObject *parent = nullptr);
  ~KESTOR() override;

  // --- start-up ---------------------------------------------------------------------------
  // Starts the library and attaches the client; on the main thread, once (a second call does
  // nothing but write a console line).
  void start(bool serverMode, bool browse);
  // The library's version as "<major>.<minor>_<build>".
  static QString frameworkVersion();
  // At termination: stops the library and ends the subprocesses of the drivers it started.
  static void stop();
  // The started client object, or nullptr before start.
  static KESTOR *clientInstance();
  // The library's log hook: logs one line (invalid UTF-8 replaced); a null line is ignored.
  static void logMessageHandler(const char *line);
  // The library's hook for a connection's end (the server went away, or was disconnected):
  // serverEnded, later on the main thread.
  static void serverEndedHandler(kestor_server_entry *entry);

  // --- delegates (main thread) ------------------------------------------------------------
  // Appends a delegate; delegates are notified in the order added and never removed. The
  // client object does not own them: each must outlive the client object or never be deleted.
  void addDelegate(KESTORDelegate *delegate);
  void notifyClientAttached();

  // --- device model (main thread) -------------------------------------------------------
  // The device named in the record, created when new.
  std::shared_ptr<Device> device(const kestor_property *record);
  void handleDefineProperty(kestor_property *record);
  void handleUpdateProperty(kestor_property *record);
  void handleDeleteProperty(kestor_property *record);

  // --- message log --------------------------------------------------------------------------
  // Any thread: console lines now, the entry appended on the main thread.
  void log(const QString &text, bool sound = false);
  // Main thread: appends one entry and notifies the delegates.
  void appendMessage(const QString &text, bool sound);
  // Main thread: empties the log and notifies "Log cleared...".
  void clearMessages();
  static constexpr qsizetype MAX_MESSAGES = 10001;

  // --- property changes and BLOB transfer -------------------------------------------------
  // Copy the change on the calling thread; send it from one ordered worker thread.
  void changeText(const std::shared_ptr<Property> &property, const QMap<QString, QString> &values);
  void changeNumber(const std::shared_ptr<Property> &property, const QMap<QString, double> &values);
  void changeSwitch(const std::shared_ptr<Property> &property, const QString &item, bool value);
  // Sets the BLOB transfer mode of a BLOB property, on the calling thread; nothing for a
  // property that is not a BLOB property or that has been deleted.
  void enableBLOB(const std::shared_ptr<Property> &property, bool enabled);
  // Sleeps 3 s on the calling thread, then has every server send all its properties again.
  void refreshProperties();
  // Waits until every change queued so far has reached the library (tests, shut-down).
  void waitForChanges();

  // --- typed-in servers (main thread unless said otherwise) -----------------------------------
  // A typed-in server is connecting, connected or absent from configuredServers; each connection
  // attempt reports once, on the main thread, and an ended connection leaves the list.
  // Connects a typed-in server on the calling thread (any), unless one of its address is already
  // connecting or connected.
  void connect(const QString &host, qint64 port);
  // Connects, in list order on the global pool, each server whose address is neither connecting
  // nor connected.
  void connectServers(const std::vector<TypedServer> &wanted);
  // Drops the entry from configuredServers without disconnecting it, notifying the delegates.
  void removeServer(kestor_server_entry *entry);
  // Disconnects each connected typed-in server that is not to be kept and drops it.
  void disconnectServersExcept(const std::function<bool(const TypedServer &)> &keep);
  // A connection ended: a typed-in server is connecting, connected or absent, so its server
  // leaves the list and the next connect starts anew (also when the end beats the attempt's report).
  void serverEnded(kestor_server_entry *entry);

  // NetServiceBrowserDelegate (main thread).
  void serviceFound(const std::shared_ptr<NetService> &service) override;
  void serviceRemoved(const std::shared_ptr<NetService> &service) override;
  void serviceResolved(const std::shared_ptr<NetService> &service) override;
  void netServiceDidNotResolve(const std::shared_ptr<NetService> &service,
                               const QMap<QString, qint64> &errors) override;
  void browserDidNotSearch(const QString &reason) override;

  // Records a discovered service's connection (main thread).
  void storeServer(const std::shared_ptr<NetService> &service, kestor_server_entry *entry);

  // --- in-process server and drivers (server mode) ----------------------------------------
  // Start-up's server-mode step: the server on the global pool, then the drivers file.
  void startServerMode();
  // Runs the library's server on the calling (global-pool) thread until it stops.
  void runServer();
  // The library's client-count hook; onServerClientCount has the publishing done on main.
  static void serverCallback(int32_t clients);
  void onServerClientCount(int32_t clients);
  // Main thread: publishes the own service once (the port the server listens on).
  void publishService();
  void netServiceWillPublish(PublishedService &service);
  void netServiceDidNotPublish(PublishedService &service, const QMap<QString, qint64> &errors);
  // Main thread: reads a drivers file, handing every start element to readDriverElement.
  void readDriversFile(const QString &path);
  void readDriverElement(const QString &element, const QMap<QString, QString> &attributes);
  void notifyDriverAdded(const std::shared_ptr<Driver> &driver);
  // True when the first listed driver's description sorts before the second's.
  bool compareDriverDescriptions(const QString &a, const QString &b) const;

  // --- fields (main thread) ---------------------------------------------------------------
  kestor_client *client;    // never freed
  QStringList driverNames;  // in-process server's drivers
  std::map<QString, std::shared_ptr<Driver>> drivers;
  std::map<QString, std::shared_ptr<Device>> devices;
  QStringList messages;  // "HH:mm:ss.zzz text", oldest first
  std::vector<KESTORDelegate *> delegates;
  std::vector<std::shared_ptr<NetService>> services;  // in the order discovered
  std::map<std::shared_ptr<NetService>, kestor_server_entry *> servers;
  std::vector<TypedServer> configuredServers;  // connecting or connected, in order
  std::unique_ptr<NetServiceBrowser> indiBrowser;
  std::unique_ptr<NetServiceBrowser> kestorBrowser;
  QString timeFormat;
  std::shared_ptr<PublishedService> kestorService;  // the own service, once published
  PublishedServiceFactory makePublishedService;     // empty: published through Avahi

  // Library entry points (replaced by tests before start).
  Framework framework;
  // Pause between two connection attempts of a discovered service, in seconds.
  double connectRetryDelay = 1.0;
  // Seconds refreshProperties waits before asking for the properties again.
  double refreshDelay = 3.0;

private:
  struct ChangeBuffers;
  // Main thread: the server joins configuredServers as connecting; false when one of its address
  // is already there.
  bool claimServer(const TypedServer &server);
  // The one report of a connection attempt (entry null when it failed), on the main thread.
  void serverAttempted(const TypedServer &server, kestor_server_entry *entry);
  void connectResolvedService(const std::shared_ptr<NetService> &service, const QByteArray &name,
                              const QByteArray &host, int32_t port);
  void sendTextChange(const std::shared_ptr<Property> &property, ChangeBuffers &buffers);
  void sendNumberChange(const std::shared_ptr<Property> &property, ChangeBuffers &buffers);
  void sendSwitchChange(const std::shared_ptr<Property> &property, ChangeBuffers &buffers);
  void applyConnectionRule(Property &property);
  void removeProperty(const std::shared_ptr<Device> &device, const QString &name);
  void writeConsole(const QString &text);
  template <typename Notification>
  void notify(Notification notification);

  std::unique_ptr<SerialQueue> changes_;
  // The model's properties by their library record while it lives, so that an update finds its
  // property without building and comparing names.
  std::unordered_map<const kestor_property *, std::shared_ptr<Property>> liveProperties_;
  std::set<kestor_server_entry *> endedBeforeReport_;  // connections that ended before their attempt's report
  bool started_ = false;
  bool reportedDiscoveryUnavailable_ = false;
  static std::atomic<KESTOR *> instance;
};

template <typename Notification>
void KESTOR::notify(Notification notification) {
  const auto receivers = delegates;
  for (KESTORDelegate *receiver : receivers) notification(*receiver);
}
