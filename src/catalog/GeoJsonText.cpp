#include "catalog/GeoJsonText.h"

#include <charconv>
#include <cmath>
#include <cstdio>

namespace geojson {

void appendNumber(std::string &out, double value, int decimals) {
  if (!std::isfinite(value)) {
    out += "null";
    return;
  }
  char buffer[64];
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, decimals);
  out.append(buffer, result.ptr);
}

void appendEscaped(std::string &out, std::string_view text) {
  for (const char c : text) {
    switch (c) {
    case '"': out += "\\\""; break;
    case '\\': out += "\\\\"; break;
    case '\n': out += "\\n"; break;
    case '\r': out += "\\r"; break;
    case '\t': out += "\\t"; break;
    default:
      if (static_cast<unsigned char>(c) < 0x20) {
        char escaped[8];
        std::snprintf(escaped, sizeof escaped, "\\u%04x", static_cast<unsigned>(static_cast<unsigned char>(c)));
        out += escaped;
      } else {
        out += c;
      }
    }
  }
}

double longitude(double raHours) { return raHours <= 12 ? raHours * 15 : (raHours - 24) * 15; }

std::pair<std::string, std::string> splitStarName(const char *name) {
  if (!name) return {};
  const std::string_view text(name);
  const size_t comma = text.rfind(',');
  if (comma == std::string_view::npos) return {std::string(), std::string(text)};
  std::string_view proper = text.substr(comma + 1);
  if (!proper.empty() && proper.front() == ' ') proper.remove_prefix(1);
  return {std::string(proper), std::string(text.substr(0, comma))};
}

}  // namespace geojson
