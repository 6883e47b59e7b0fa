#include "Base64Text.h"

#include <cstdint>

std::string encodeBase64(std::string_view bytes, size_t lineLength) {
  static const char alphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  std::string text;
  for (size_t i = 0; i < bytes.size(); i += 3) {
    const size_t left = bytes.size() - i;
    uint32_t v = uint32_t(uint8_t(bytes[i])) << 16;
    if (left > 1) v |= uint32_t(uint8_t(bytes[i + 1])) << 8;
    if (left > 2) v |= uint8_t(bytes[i + 2]);
    for (size_t k = 0; k < 4; ++k) {
      text.push_back(k <= left ? alphabet[(v >> (18 - 6 * k)) & 63] : '=');
      if (lineLength && (text.size() + 1) % (lineLength + 1) == 0) text.push_back('\n');
    }
  }
  return text;
}
