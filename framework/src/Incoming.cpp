#include "Incoming.h"

#include "Names.h"
#include "Numbers.h"
#include "Text.h"
#include "WireWords.h"

#include <string_view>

namespace kestor {

namespace {

constexpr size_t NAME_FIELD = sizeof(kestor_property::name);

// "def", "set" or "new" + type name + "Vector": the verb and the type code.
bool vectorName(std::string_view element, std::string_view &verb, uint32_t &type) {
  if (element.size() < 9 || element.substr(element.size() - 6) != "Vector") return false;
  verb = element.substr(0, 3);
  const std::string_view middle = element.substr(3, element.size() - 9);
  for (uint32_t t = KESTOR_TEXT; t <= KESTOR_BLOB; ++t)
    if (TYPE_WORDS[t] == middle) {
      type = t;
      return verb == "def" || verb == "set" || verb == "new";
    }
  return false;
}

class Reader {
public:
  Reader(const Element &element, Incoming &in, std::string &error) : element_(element), error_(error), in_(in) {
    in_.clear();
  }

  bool read() {
    std::string_view verb;
    uint32_t type = KESTOR_TYPE_NONE;
    const std::string_view name = element_.name;
    if (vectorName(name, verb, type)) {
      if (verb == "new") return ignored();
      return vector(verb == "def" ? Incoming::Kind::Define : Incoming::Kind::Set, type);
    }
    if (name == "delProperty") return deletion();
    if (name == "message") return message();
    if (name == "pingRequest") {
      in_.kind = Incoming::Kind::Ping;
      if (const auto *uid = element_.attribute("uid")) in_.uid = *uid;
      return true;
    }
    if (name == "getProperties" || name == "enableBLOB" || name == "pingReply") return ignored();
    fail("unknown element <" + std::string(name.substr(0, 64)) + ">");
    return false;
  }

private:
  bool ignored() {
    in_.kind = Incoming::Kind::Ignored;
    return true;
  }

  bool fail(std::string why) {
    error_ = std::move(why);
    return false;
  }

  // A name attribute, cut to what a record's name field holds, so that names compare as stored.
  bool required(const Element &e, std::string_view key, std::string_view &out) {
    const auto *value = e.attribute(key);
    if (!value || value->empty()) return fail("<" + e.name + "> without " + std::string(key));
    out = fitted(*value, NAME_FIELD);
    return true;
  }

  template <size_t N>
  bool enumerated(std::string_view key, const std::array<std::string_view, N> &names, uint32_t &out) {
    const auto *value = element_.attribute(key);
    if (!value) return true;
    const auto parsed = codeOf(names, trim(*value));
    if (!parsed) return fail("<" + element_.name + "> with " + std::string(key) + " \"" + value->substr(0, 32) + "\"");
    out = *parsed;
    return true;
  }

  bool number(const Element &e, std::string_view key, double &out) {
    const auto *value = e.attribute(key);
    if (!value) return true;
    return numberText(*value, out);
  }

  bool numberText(std::string_view text, double &out) {
    const auto parsed = parseNumber(text);
    if (!parsed)
      return fail("number \"" + std::string(trim(text).substr(0, 32)) + "\" of " + in_.device + "." + in_.name);
    out = *parsed;
    return true;
  }

  bool header() {
    std::string_view device;
    if (!required(element_, "device", device) || !required(element_, "name", serverName_)) return false;
    in_.device = device;
    in_.name = translateProperty(serverName_, Direction::FromServer);
    if (const auto *message = element_.attribute("message")) in_.message = *message;
    uint32_t state = 0;
    if (element_.attribute("state")) {
      if (!enumerated("state", STATE_WORDS, state)) return false;
      in_.state = state;
    }
    return true;
  }

  bool vector(Incoming::Kind kind, uint32_t type) {
    in_.kind = kind;
    in_.type = type;
    if (!header()) return false;
    const bool define = kind == Incoming::Kind::Define;
    if (define) {
      if (const auto *group = element_.attribute("group")) in_.group = *group;
      const auto *label = element_.attribute("label");
      in_.label = label && !label->empty() ? *label : in_.name;
      in_.perm = type == KESTOR_LIGHT ? KESTOR_PERM_RO : KESTOR_PERM_NONE;
      if (!enumerated("perm", PERM_WORDS, in_.perm) || !enumerated("rule", RULE_WORDS, in_.rule)) return false;
      if (!in_.state) in_.state = KESTOR_STATE_IDLE;
    }
    const std::string_view prefix = define ? "def" : "one";
    in_.items.reserve(element_.children.size());
    for (const Element &e : element_.children) {
      const std::string_view name = e.name;
      if (!name.starts_with(prefix) || name.substr(prefix.size()) != TYPE_WORDS[type]) {
        fail("<" + e.name + "> inside <" + element_.name + ">");
        return false;
      }
      if (!item(e, define)) return false;
    }
    return true;
  }

  bool item(const Element &e, bool define) {
    IncomingItem &item = in_.items.emplace_back();
    std::string_view serverName;
    if (!required(e, "name", serverName)) return false;
    item.name = fitted(translateItem(serverName_, serverName, Direction::FromServer), NAME_FIELD);
    if (define) {
      const auto *label = e.attribute("label");
      item.label = label && !label->empty() ? *label : item.name;
    }
    const std::string_view value = trim(e.text);
    switch (in_.type) {
    case KESTOR_TEXT: item.text = value; return true;
    case KESTOR_NUMBER:
      if (define) {
        if (const auto *format = e.attribute("format")) item.text = *format;
        if (!number(e, "min", item.min) || !number(e, "max", item.max) || !number(e, "step", item.step)) return false;
      }
      return numberText(value, item.value);
    case KESTOR_SWITCH:
      if (value != "On" && value != "Off") return fail("switch value \"" + std::string(value.substr(0, 32)) + "\"");
      item.state = value == "On";
      return true;
    case KESTOR_LIGHT: {
      const auto state = codeOf(STATE_WORDS, value);
      if (!state) return fail("light value \"" + std::string(value.substr(0, 32)) + "\"");
      item.state = *state;
      return true;
    }
    default: return define || blob(e, item);
    }
  }

  bool blob(const Element &e, IncomingItem &item) {
    const auto *size = e.attribute("size");
    const auto *format = e.attribute("format");
    if (!size || !format) return fail("<oneBLOB> without size or format");
    std::string why;
    BlobValue value;
    if (!e.decoded) return fail("<oneBLOB> contents not decoded as they arrived");
    if (!decodeBlob(*size, *format, *e.decoded, value, why))
      return fail(why + " (" + in_.device + "." + in_.name + ")");
    item.blob = std::move(value);
    return true;
  }

  bool deletion() {
    in_.kind = Incoming::Kind::Delete;
    std::string_view device;
    if (!required(element_, "device", device)) return false;
    in_.device = device;
    if (const auto *name = element_.attribute("name"))
      in_.name = translateProperty(fitted(*name, NAME_FIELD), Direction::FromServer);
    if (const auto *message = element_.attribute("message")) in_.message = *message;
    return true;
  }

  bool message() {
    const auto *text = element_.attribute("message");
    if (!text) return ignored();
    in_.kind = Incoming::Kind::Message;
    in_.message = *text;
    if (const auto *device = element_.attribute("device")) in_.device = *device;
    return true;
  }

  const Element &element_;
  std::string &error_;
  Incoming &in_;
  std::string_view serverName_;  // in element_
};

}  // namespace

bool readElement(const Element &element, Incoming &in, std::string &error) { return Reader(element, in, error).read(); }

}  // namespace kestor
