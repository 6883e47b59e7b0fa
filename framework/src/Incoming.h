// What one element of a server's stream asks for, read and checked but not yet applied to any
// record. Names are already translated to the bus's own names.
#pragma once

#include "Blob.h"
#include "Element.h"

#include <kestor.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace kestor {

struct IncomingItem {
  std::string name;
  std::string label;
  std::string text;  // text value, or the number format of a number item
  double min = 0, max = 0, step = 0, value = 0;
  uint32_t state = 0;  // switch (0 or 1) and light values
  std::optional<BlobValue> blob;
};

struct Incoming {
  enum class Kind { Define, Set, Delete, Message, Ping, Ignored };
  Kind kind = Kind::Ignored;
  uint32_t type = KESTOR_TYPE_NONE;
  std::string device, name, group, label;
  std::optional<std::string> message;
  std::optional<uint32_t> state;
  uint32_t perm = KESTOR_PERM_NONE, rule = KESTOR_RULE_NONE;
  std::vector<IncomingItem> items;
  std::string uid;  // of a pingRequest

  // Back to the values of one not yet read, keeping the room its strings and items took, so that
  // a stream of like elements is read without allocating. BLOB contents not applied go.
  void clear() {
    kind = Kind::Ignored;
    type = KESTOR_TYPE_NONE;
    for (std::string *text : {&device, &name, &group, &label, &uid}) text->clear();
    message.reset();
    state.reset();
    perm = KESTOR_PERM_NONE;
    rule = KESTOR_RULE_NONE;
    items.clear();
  }
};

// Reads an element of a stream read with BlobContents::Decoded into `in`, written over; false,
// saying why, when it has to be skipped. Elements that need no action (a client's echoed
// new*Vector, getProperties) give Kind::Ignored.
bool readElement(const Element &element, Incoming &in, std::string &error);

}  // namespace kestor
