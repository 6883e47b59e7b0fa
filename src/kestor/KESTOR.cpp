#include "kestor/KESTOR.h"

#include <QByteArray>

#include <cstdlib>
#include <limits>

#include "core/Console.h"
#include "core/Dispatch.h"
#include "core/Globals.h"
#include "core/SerialQueue.h"
#include "core/Settings.h"
#include "kestor/BlobBytes.h"
#include "kestor/Callbacks.h"
#include "kestor/Device.h"
#include "kestor/KESTORDelegate.h"
#include "kestor/Property.h"
#include "kestor/discovery/DnsSdBrowser.h"

std::atomic<KESTOR *> KESTOR::instance{nullptr};

KESTOR::KESTOR(QObject *parent) : KESTOR(std::make_unique<DnsSdBrowser>(), std::make_unique<DnsSdBrowser>(), parent) {}

KESTOR::KESTOR(std::unique_ptr<NetServiceBrowser> kestorBrowser, std::unique_ptr<NetServiceBrowser> indiBrowser,
               QObject *parent)
    : QObject(parent),
      client(static_cast<kestor_client *>(std::calloc(1, sizeof(kestor_client)))),
      indiBrowser(std::move(indiBrowser)),
      kestorBrowser(std::move(kestorBrowser)),
      changes_(std::make_unique<SerialQueue>()) {}

KESTOR::~KESTOR() {
  changes_.reset();  // every queued change reaches the library first
  KESTOR *self = this;
  instance.compare_exchange_strong(self, nullptr);
  // Properties hold their device: break the cycles so the model is freed with the client object.
  for (auto &[name, device] : devices) device->properties.clear();
  // The client record stays allocated: the library may still hold it.
}

KESTOR *KESTOR::clientInstance() { return instance.load(); }

void KESTOR::start(bool serverMode, bool browse) {
  if (started_) {
    consoleLine("KESTOR client already started; ignoring a second start");
    return;
  }
  started_ = true;
  instance.store(this);                                         // 1
  timeFormat = QStringLiteral("HH:mm:ss.zzz");                  // 2
  kestor_log_message_handler = &KESTOR::logMessageHandler;      // 3, with the executor that
  kestor_sync_executor = &runOnMainThread;                      //    applies records on main
  kestor_server_ended_handler = &KESTOR::serverEndedHandler;    //    and hears of ended connections
  kestor_blob_resize = &resizeBlobBytes;                        //    and the memory of BLOB bytes,
  kestor_blob_free = &freeBlobBytes;                            //    which the model shares,
  kestor_blob_half_arrived = &blobHalfArrived;                  //    with a frame's pixels made ready
  kestor_is_sandboxed = true;                                   // 4
  const qint64 level = UserDefaults::read(Setting::LOG_LEVEL);  // 5
  if (level >= 0 && level <= std::numeric_limits<uint32_t>::max())
    framework.setLogLevel(static_cast<uint32_t>(level));
  else
    consoleLine("Ignoring kestorLogLevel " + QByteArray::number(level) + ": not a log level");
  if (const QString base = mainBundle().resourcePath; !base.isEmpty())  // 6
    qputenv("KESTOR_FIRMWARE_BASE", base.toUtf8());
  if (serverMode) framework.startUsbEventHandler();  // 7
  framework.start();                                 // 8
  fillClientRecord(client);                          // 9
  framework.attachClient(client);                    // 10
  syncMain([this] { notifyClientAttached(); });      // 11
  if (serverMode) startServerMode();                 // 12
  if (browse) {                                      // 13
    kestorBrowser->delegate = this;
    kestorBrowser->searchForServices(QStringLiteral("_kestor._tcp"), QStringLiteral("local."));
    indiBrowser->delegate = this;
    indiBrowser->searchForServices(QStringLiteral("_indi._tcp"), QStringLiteral("local."));
  }
  log(QStringLiteral("KESTOR Started..."));  // 14
}

QString KESTOR::frameworkVersion() {
  return QStringLiteral("%1.%2_%3").arg(KESTOR_VERSION_MAJOR).arg(KESTOR_VERSION_MINOR).arg(KESTOR_VERSION_BUILD);
}

void KESTOR::stop() {
  kestor_stop();
  for (kestor_subprocess_entry &entry : kestor_available_subprocesses) {
    if (entry.thread_started) kestor_kill_subprocess(&entry);
  }
}

void KESTOR::logMessageHandler(const char *line) {
  KESTOR *kestor = clientInstance();
  if (line == nullptr || kestor == nullptr) return;
  kestor->log(QString::fromUtf8(line));
}

void KESTOR::serverEndedHandler(kestor_server_entry *entry) {
  KESTOR *kestor = clientInstance();
  if (entry == nullptr || kestor == nullptr) return;
  asyncMain(kestor, [kestor, entry] { kestor->serverEnded(entry); });
}

void KESTOR::addDelegate(KESTORDelegate *delegate) { delegates.push_back(delegate); }

void KESTOR::notifyClientAttached() {
  notify([](KESTORDelegate &receiver) { receiver.clientAttached(); });
}
