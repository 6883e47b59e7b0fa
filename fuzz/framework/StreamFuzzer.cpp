// Feeds arbitrary bytes to one server session, in pieces whose sizes the input's first byte
// chooses, with a client whose callbacks read every field of the records they are given.
#include "Registry.h"
#include "Session.h"

#include <kestor.h>

#include <cstddef>
#include <cstdint>
#include <cstring>

namespace {

volatile size_t sink;

void readRecord(const kestor_property *p) {
  size_t sum = strnlen(p->device, sizeof p->device) + strnlen(p->name, sizeof p->name) + p->state + p->type;
  for (int32_t i = 0; i < p->count; ++i) {
    const kestor_item &item = p->items[i];
    sum += strnlen(item.name, sizeof item.name) + strnlen(item.label, sizeof item.label);
    if (p->type == KESTOR_BLOB && item.blob_value)
      for (int64_t k = 0; k < item.blob_size; k += 97) sum += static_cast<const unsigned char *>(item.blob_value)[k];
    else if (p->type == KESTOR_TEXT)
      sum += strnlen(item.text_value, sizeof item.text_value);
  }
  sink = sum;
}

kestor_result onProperty(kestor_client *, kestor_device *, kestor_property *p, const char *message) {
  readRecord(p);
  if (message) sink = std::strlen(message);
  return 0;
}

kestor_result onMessage(kestor_client *, kestor_device *, const char *message) {
  sink = std::strlen(message);
  return 0;
}

kestor_client client = [] {
  kestor_client c{};
  c.version = KESTOR_VERSION_2_0;
  c.define_property = onProperty;
  c.update_property = onProperty;
  c.delete_property = onProperty;
  c.send_message = onMessage;
  return c;
}();

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  static const bool attached = [] {
    kestor_start();
    kestor_attach_client(&client);
    return true;
  }();
  (void)attached;
  if (size == 0) return 0;
  const size_t piece = 1 + data[0] % 64 * 37;
  kestor::Registry registry;
  kestor_device endpoint;
  kestor::Session session(registry, &endpoint, "fuzz", [](const std::string &xml) { sink = xml.size(); });
  const char *bytes = reinterpret_cast<const char *>(data + 1);
  for (size_t i = 0; i + 1 < size; i += piece)
    if (!session.feed(bytes + i, std::min(piece, size - 1 - i))) break;
  session.end();
  return 0;
}
