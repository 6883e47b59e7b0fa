#include "Text.h"

#include <algorithm>
#include <cstring>

namespace kestor {

namespace {

// Length of the well-formed UTF-8 sequence at text[i], or 0 when it is malformed.
size_t sequenceLength(std::string_view text, size_t i) {
  const auto byte = [&](size_t k) { return static_cast<unsigned char>(text[k]); };
  const unsigned char lead = byte(i);
  if (lead < 0x80) return 1;
  size_t length;
  unsigned min;
  unsigned code;
  if ((lead & 0xE0) == 0xC0) {
    length = 2;
    min = 0x80;
    code = lead & 0x1F;
  } else if ((lead & 0xF0) == 0xE0) {
    length = 3;
    min = 0x800;
    code = lead & 0x0F;
  } else if ((lead & 0xF8) == 0xF0) {
    length = 4;
    min = 0x10000;
    code = lead & 0x07;
  } else
    return 0;
  if (i + length > text.size()) return 0;
  for (size_t k = 1; k < length; ++k) {
    if ((byte(i + k) & 0xC0) != 0x80) return 0;
    code = (code << 6) | (byte(i + k) & 0x3F);
  }
  if (code < min || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) return 0;
  return length;
}

bool isXmlChar(std::string_view text, size_t i, size_t length) {
  if (length != 1) return true;
  const unsigned char c = static_cast<unsigned char>(text[i]);
  return c >= 0x20 || c == '\t' || c == '\n' || c == '\r';
}

}  // namespace

std::string_view fitted(std::string_view text, size_t size) {
  if (size == 0) return {};
  size_t length = 0;
  const size_t ascii = std::min(text.size(), size - 1);  // names are mostly ASCII: one byte a character
  while (length < ascii && static_cast<unsigned char>(text[length]) < 0x80) ++length;
  while (length < text.size()) {
    size_t next = sequenceLength(text, length);
    if (next == 0) next = 1;  // a stray byte is kept as it is; callers pass checked text
    if (length + next > size - 1) break;
    length += next;
  }
  return text.substr(0, length);
}

void copyField(char *field, size_t size, std::string_view text) {
  if (size == 0) return;
  const std::string_view kept = fitted(text, size);
  std::memcpy(field, kept.data(), kept.size());
  std::memset(field + kept.size(), 0, size - kept.size());
}

std::string_view fieldText(const char *field, size_t size) { return {field, strnlen(field, size)}; }

std::string_view trim(std::string_view text) {
  const auto space = [](char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; };
  while (!text.empty() && space(text.front())) text.remove_prefix(1);
  while (!text.empty() && space(text.back())) text.remove_suffix(1);
  return text;
}

bool isValidUtf8(std::string_view text) {
  for (size_t i = 0; i < text.size();) {
    const size_t length = sequenceLength(text, i);
    if (length == 0) return false;
    i += length;
  }
  return true;
}

std::string xmlEscape(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size();) {
    const size_t length = sequenceLength(text, i);
    if (length == 0) {
      ++i;
      continue;
    }
    if (isXmlChar(text, i, length)) {
      switch (text[i]) {
      case '&': out += "&amp;"; break;
      case '<': out += "&lt;"; break;
      case '>': out += "&gt;"; break;
      case '"': out += "&quot;"; break;
      case '\'': out += "&apos;"; break;
      default: out.append(text.substr(i, length));
      }
    }
    i += length;
  }
  return out;
}

}  // namespace kestor
