#include "ProbeOptions.h"

#include <charconv>

const char PROBE_USAGE[] =
    "usage: kestor-probe HOST:PORT [--set DEVICE.PROPERTY.ITEM=VALUE]... [--blobs DEVICE.PROPERTY]...\n"
    "                    [--seconds N] [--log-level N]\n";

namespace {

template <typename Number>
bool parse(const std::string &text, Number &out) {
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), out);
  return error == std::errc() && end == text.data() + text.size();
}

bool splitLast(const std::string &text, std::string &head, std::string &tail) {
  const size_t dot = text.rfind('.');
  if (dot == std::string::npos || dot == 0 || dot + 1 == text.size()) return false;
  head = text.substr(0, dot);
  tail = text.substr(dot + 1);
  return true;
}

bool parseChange(const std::string &text, ProbeChange &change) {
  const size_t equals = text.find('=');
  if (equals == std::string::npos) return false;
  change.value = text.substr(equals + 1);
  std::string rest;
  return splitLast(text.substr(0, equals), rest, change.item) && splitLast(rest, change.device, change.property);
}

bool parseAddress(const std::string &text, ProbeOptions &options) {
  const size_t colon = text.rfind(':');
  if (colon == std::string::npos || colon == 0) return false;
  options.host = text.substr(0, colon);
  return parse(text.substr(colon + 1), options.port) && options.port > 0 && options.port < 65536;
}

}  // namespace

std::optional<ProbeOptions> parseProbeOptions(const std::vector<std::string> &arguments, std::string &error) {
  ProbeOptions options;
  bool haveAddress = false;
  for (size_t i = 0; i < arguments.size(); ++i) {
    const std::string &argument = arguments[i];
    const bool takesValue =
        argument == "--set" || argument == "--blobs" || argument == "--seconds" || argument == "--log-level";
    if (takesValue && i + 1 == arguments.size()) {
      error = argument + " needs a value";
      return std::nullopt;
    }
    bool ok = true;
    if (argument == "--set") {
      ok = parseChange(arguments[++i], options.changes.emplace_back());
    } else if (argument == "--blobs") {
      auto &[device, property] = options.blobs.emplace_back();
      ok = splitLast(arguments[++i], device, property);
    } else if (argument == "--seconds") {
      ok = parse(arguments[++i], options.seconds) && options.seconds >= 0;
    } else if (argument == "--log-level") {
      ok = parse(arguments[++i], options.logLevel);
    } else if (!haveAddress && argument.rfind("--", 0) != 0) {
      ok = haveAddress = parseAddress(argument, options);
    } else {
      ok = false;
    }
    if (!ok) {
      error = "cannot read \"" + arguments[i] + "\"";
      return std::nullopt;
    }
  }
  if (!haveAddress) {
    error = "no HOST:PORT given";
    return std::nullopt;
  }
  return options;
}
