// kestor-probe HOST:PORT: connects to a bus server through the bus library and prints one line per
// callback; can send changes and enable BLOBs once their property is defined.
#include "MainQueue.h"
#include "ProbeOptions.h"

#include <kestor.h>

#include <charconv>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <string>

namespace {

ProbeOptions options;

std::string text(const char *field, size_t size) { return std::string(field, strnlen(field, size)); }

void printProperty(const char *what, const kestor_property *p, const char *message) {
  std::string line = std::string(what) + " " + text(p->device, sizeof p->device) + " " + text(p->name, sizeof p->name) +
                     " state=" + std::to_string(p->state);
  if (std::strcmp(what, "update") == 0 && p->type == KESTOR_BLOB)
    for (int32_t i = 0; i < p->count; ++i)
      line += " " + text(p->items[i].name, sizeof p->items[i].name) + "=" + std::to_string(p->items[i].blob_size) +
              text(p->items[i].blob_format, sizeof p->items[i].blob_format);
  std::printf("%s\n", line.c_str());
  if (message) std::printf("message %s\n", message);
}

bool switchValue(const std::string &value) { return value == "On" || value == "on" || value == "1" || value == "true"; }

void send(kestor_client *client, const kestor_property *p, const ProbeChange &change) {
  char item[128] = {};
  std::snprintf(item, sizeof item, "%s", change.item.c_str());
  char *items[] = {item};
  if (p->type == KESTOR_TEXT) {
    char value[512] = {};
    std::snprintf(value, sizeof value, "%s", change.value.c_str());
    char *values[] = {value};
    kestor_change_text_property(client, change.device.c_str(), change.property.c_str(), 1, items, values);
  } else if (p->type == KESTOR_NUMBER) {
    double value = 0;
    std::from_chars(change.value.data(), change.value.data() + change.value.size(), value);
    kestor_change_number_property(client, change.device.c_str(), change.property.c_str(), 1, items, &value);
  } else if (p->type == KESTOR_SWITCH) {
    bool value = switchValue(change.value);
    kestor_change_switch_property(client, change.device.c_str(), change.property.c_str(), 1, items, &value);
  } else {
    std::fprintf(stderr, "kestor-probe: %s.%s cannot be changed\n", change.device.c_str(), change.property.c_str());
  }
}

// Sends the changes and BLOB requests that wait for this property, each once.
void act(kestor_client *client, kestor_property *p) {
  const std::string device = text(p->device, sizeof p->device);
  const std::string name = text(p->name, sizeof p->name);
  std::erase_if(options.changes, [&](const ProbeChange &c) {
    if (c.device != device || c.property != name) return false;
    send(client, p, c);
    return true;
  });
  std::erase_if(options.blobs, [&](const auto &b) {
    if (b.first != device || b.second != name) return false;
    kestor_enable_blob(client, p, KESTOR_BLOB_ALSO);
    return true;
  });
}

kestor_result onDefine(kestor_client *client, kestor_device *, kestor_property *p, const char *message) {
  printProperty("define", p, message);
  act(client, p);
  return 0;
}

kestor_result onUpdate(kestor_client *, kestor_device *, kestor_property *p, const char *message) {
  printProperty("update", p, message);
  return 0;
}

kestor_result onDelete(kestor_client *, kestor_device *, kestor_property *p, const char *message) {
  printProperty("delete", p, message);
  return 0;
}

kestor_result onMessage(kestor_client *, kestor_device *, const char *message) {
  if (message) std::printf("message %s\n", message);
  return 0;
}

void onLog(const char *line) { std::fprintf(stderr, "log %s\n", line); }

}  // namespace

int main(int argc, char **argv) {
  std::string error;
  const auto parsed = parseProbeOptions({argv + 1, argv + argc}, error);
  if (!parsed) {
    std::fprintf(stderr, "kestor-probe: %s\n%s", error.c_str(), PROBE_USAGE);
    return 2;
  }
  options = *parsed;
  std::setvbuf(stdout, nullptr, _IOLBF, 0);
  std::signal(SIGINT, [](int) { main_queue::stop(); });
  std::signal(SIGTERM, [](int) { main_queue::stop(); });

  kestor_log_message_handler = onLog;
  kestor_set_log_level(options.logLevel);
  main_queue::install();
  kestor_start();
  static kestor_client client = {};
  client.version = KESTOR_VERSION_2_0;
  client.define_property = onDefine;
  client.update_property = onUpdate;
  client.delete_property = onDelete;
  client.send_message = onMessage;
  kestor_attach_client(&client);

  kestor_server_entry *entry = nullptr;
  if (kestor_connect_server(nullptr, options.host.c_str(), options.port, &entry) != KESTOR_OK) {
    std::fprintf(stderr, "kestor-probe: cannot connect to %s:%d\n", options.host.c_str(), options.port);
    return 1;
  }
  const auto start = std::chrono::steady_clock::now();
  const auto deadline = options.seconds > 0 ? start + std::chrono::duration_cast<std::chrono::steady_clock::duration>(
                                                          std::chrono::duration<double>(options.seconds))
                                            : std::chrono::steady_clock::time_point::max();
  main_queue::runUntil(deadline);
  kestor_stop();
  return 0;
}
