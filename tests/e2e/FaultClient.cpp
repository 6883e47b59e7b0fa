#include "FaultClient.h"

#include <algorithm>

#include "EventLoopWait.h"

FaultClient::FaultClient(bool browse) {
  kestor.start(false, browse);
  sinceBeat_.start();
  QObject::connect(&heartbeat_, &QTimer::timeout, [this] { longestStall_ = std::max(longestStall_, sinceBeat_.restart()); });
  heartbeat_.start(10);
}

FaultClient::~FaultClient() {
  kestor.disconnectServersExcept([](const TypedServer &) { return false; });
  waitForEmptyModel(5000);
  kestor_stop();
}

int FaultClient::logged(const QString &text) const {
  return int(std::count_if(kestor.messages.begin(), kestor.messages.end(),
                           [&](const QString &entry) { return entry.mid(13).contains(text); }));
}

QString FaultClient::log() const { return kestor.messages.join(u'\n'); }

bool FaultClient::waitForLog(const QString &text, int timeoutMs) {
  return waitUntil([&] { return logged(text) > 0; }, timeoutMs);
}

std::shared_ptr<KESTOR::Property> FaultClient::property(const QString &device, const QString &name) const {
  const auto owner = kestor.devices.find(device);
  if (owner == kestor.devices.end()) return nullptr;
  const auto found = owner->second->properties.find(name);
  return found == owner->second->properties.end() ? nullptr : found->second;
}

bool FaultClient::waitForProperty(const QString &device, const QString &name, int timeoutMs) {
  return waitUntil([&] { return property(device, name) != nullptr; }, timeoutMs);
}

bool FaultClient::waitForEmptyModel(int timeoutMs) {
  return waitUntil([&] { return kestor.devices.empty(); }, timeoutMs);
}
