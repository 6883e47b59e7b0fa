// Library drivers (kestor_load_driver): "<name>.so" modules loaded with dlopen whose entry point
// runs on a thread of its own, speaking the protocol over one end of a socket pair.
#include "DriverLink.h"
#include "Log.h"
#include "Text.h"

#include <kestor.h>

#include <cstdlib>
#include <dlfcn.h>
#include <memory>
#include <mutex>
#include <string>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace kestor {

namespace {

std::mutex mutex;
// Entries of the loaded drivers; they live as long as the process (the application keeps them).
std::vector<kestor_driver_entry *> &loaded() {
  static auto *entries = new std::vector<kestor_driver_entry *>();
  return *entries;
}

kestor_driver_entry *find(std::string_view name) {
  for (kestor_driver_entry *entry : loaded())
    if (fieldText(entry->name) == name) return entry;
  return nullptr;
}

std::string modulePath(const std::string &name) {
  const char *folder = std::getenv("KESTOR_DRIVER_DIR");
  return folder && *folder ? std::string(folder) + "/" + name + ".so" : name + ".so";
}

// Opens the module and finds its entry point; null with a log line when it cannot.
kestor_driver_entry *load(const std::string &name) {
  const std::string path = modulePath(name);
  void *handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (!handle) {
    const char *error = dlerror();
    logLine(LOG_ERROR, "Cannot load driver " + name + ": " + (error ? error : path));
    return nullptr;
  }
  void *symbol = dlsym(handle, KESTOR_DRIVER_MAIN);
  if (!symbol) {
    logLine(LOG_ERROR, "Driver " + path + " has no entry point " KESTOR_DRIVER_MAIN);
    dlclose(handle);
    return nullptr;
  }
  auto *entry = static_cast<kestor_driver_entry *>(std::calloc(1, sizeof(kestor_driver_entry)));
  if (!entry) {
    dlclose(handle);
    return nullptr;
  }
  copyField(entry->name, name);
  copyField(entry->description, name);
  entry->driver = reinterpret_cast<kestor_driver_main_fn>(symbol);
  entry->dl_handle = handle;
  loaded().push_back(entry);
  return entry;
}

// Runs the driver on its own thread over a socket pair; false when it cannot be started.
bool run(kestor_driver_entry *entry) {
  int ends[2];
  if (socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, ends) < 0) return false;
  const std::string name(fieldText(entry->name));
  const kestor_driver_main_fn main = entry->driver;
  const auto link = DriverLink::open(ends[0], name, [entry] {
    std::lock_guard lock(mutex);
    entry->initialized = false;
  });
  if (!link) {
    close(ends[1]);
    return false;
  }
  try {
    std::thread([main, fd = ends[1], name] {
      const int status = main(fd, name.c_str());
      close(fd);
      logLine(LOG_NOTICE, "Driver " + name + " returned " + std::to_string(status));
    }).detach();
  } catch (const std::exception &) {
    close(ends[1]);
    link->close();
    return false;
  }
  entry->initialized = true;
  logLine(LOG_NOTICE, "Started driver " + name);
  return true;
}

}  // namespace

}  // namespace kestor

kestor_result kestor_load_driver(const char *name, bool start, kestor_driver_entry **entry) {
  using namespace kestor;
  if (!name || !*name || !entry) return KESTOR_INVALID;
  try {
    std::lock_guard lock(mutex);
    kestor_driver_entry *found = find(name);
    if (found && (found->initialized || !start)) {
      *entry = found;
      return KESTOR_ALREADY;
    }
    if (!found) found = load(name);
    if (!found) return KESTOR_NOT_FOUND;
    *entry = found;
    if (start && !run(found)) return KESTOR_FAILED;
    return KESTOR_OK;
  } catch (const std::exception &) {
    return KESTOR_NO_MEMORY;
  }
}
