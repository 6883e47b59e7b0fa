#include "Connection.h"

#include <algorithm>
#include <vector>

namespace kestor::connections {

namespace {
std::mutex mutex;
std::vector<std::shared_ptr<Connection>> &list() {
  static auto *open = new std::vector<std::shared_ptr<Connection>>();  // never destroyed: threads may outlive exit
  return *open;
}

template <typename Match>
std::shared_ptr<Connection> find(Match match) {
  std::lock_guard lock(mutex);
  const auto found = std::find_if(list().begin(), list().end(), match);
  return found == list().end() ? nullptr : *found;
}
}  // namespace

void add(const std::shared_ptr<Connection> &connection) {
  std::lock_guard lock(mutex);
  list().push_back(connection);
}

void remove(const Connection *connection) {
  std::lock_guard lock(mutex);
  std::erase_if(list(), [&](const auto &c) { return c.get() == connection; });
}

std::shared_ptr<Connection> byEntry(const kestor_server_entry *entry) {
  return find([&](const auto &c) { return c->entry() == entry; });
}

std::shared_ptr<Connection> byEndpoint(const kestor_device *endpoint) {
  return find([&](const auto &c) { return static_cast<const kestor_device *>(c.get()) == endpoint; });
}

std::vector<std::shared_ptr<Connection>> all() {
  std::lock_guard lock(mutex);
  return list();
}

}  // namespace kestor::connections
