#pragma once
// Little-endian fields read byte by byte, so neither alignment nor the host's order matters.

#include <bit>
#include <cstdint>

static_assert(std::endian::native == std::endian::little,
              "16-bit samples are handed on in the machine's byte order, which must be little-endian");

inline uint32_t readLittleEndian32(const char *bytes) {
  const auto *b = reinterpret_cast<const unsigned char *>(bytes);
  return uint32_t(b[0]) | uint32_t(b[1]) << 8 | uint32_t(b[2]) << 16 | uint32_t(b[3]) << 24;
}
