#include "Base64.h"

#include "Base64Blocks.h"

#include <array>
#include <cstdint>
#include <cstring>

namespace kestor {

namespace {

constexpr uint32_t INVALID = 0x01000000;

constexpr int sextet(unsigned char c) {
  if (c >= 'A' && c <= 'Z') return c - 'A';
  if (c >= 'a' && c <= 'z') return c - 'a' + 26;
  if (c >= '0' && c <= '9') return c - '0' + 52;
  if (c == '+') return 62;
  if (c == '/') return 63;
  return -1;
}

// Four tables, one per position in a group of four characters: each entry holds the character's
// six bits already shifted to their place in the three little-endian output bytes, so a group
// decodes with four look-ups and three ORs; INVALID marks characters outside the alphabet.
struct Tables {
  std::array<uint32_t, 256> position[4];
};

constexpr Tables makeTables() {
  Tables t{};
  for (int c = 0; c < 256; ++c) {
    const int v = sextet(static_cast<unsigned char>(c));
    if (v < 0) {
      for (auto &table : t.position) table[c] = INVALID;
      continue;
    }
    const uint32_t u = static_cast<uint32_t>(v);
    t.position[0][c] = u << 2;
    t.position[1][c] = (u >> 4) | ((u & 0x0F) << 12);
    t.position[2][c] = ((u >> 2) << 8) | ((u & 0x03) << 22);
    t.position[3][c] = u << 16;
  }
  return t;
}

constexpr Tables TABLES = makeTables();

bool isSpace(unsigned char c) { return c == ' ' || c == '\n' || c == '\r' || c == '\t'; }

}  // namespace

std::optional<size_t> Base64Decoder::decode(std::string_view text, unsigned char *out) {
  const auto *in = reinterpret_cast<const unsigned char *>(text.data());
  const size_t n = text.size();
  const auto &p = TABLES.position;
  size_t i = 0;
  size_t o = 0;
  while (i < n) {
    if (count_ == 0 && !ended_) {
      if (n - i >= 48) {  // the blocks' spare bytes stay inside the room the caller has made
        const size_t decoded = decodeBase64Blocks(in + i, n - i - 16, out + o);
        i += decoded;
        o += decoded / 4 * 3;
      }
      while (i + 4 <= n) {
        const uint32_t bits = p[0][in[i]] | p[1][in[i + 1]] | p[2][in[i + 2]] | p[3][in[i + 3]];
        if (bits & INVALID) break;
        std::memcpy(out + o, &bits, 4);
        o += 3;
        i += 4;
      }
      if (i == n) break;
    }
    const unsigned char c = in[i++];
    if (isSpace(c)) continue;
    if (ended_) return std::nullopt;
    if (c == '=') {
      if (count_ < 2) return std::nullopt;
      ++padding_;
    } else {
      if (padding_ || p[count_][c] & INVALID) return std::nullopt;
      group_ |= p[count_][c];
    }
    if (++count_ == 4) {
      std::memcpy(out + o, &group_, 4);
      o += static_cast<size_t>(3 - padding_);
      group_ = 0;
      count_ = 0;
      ended_ = padding_ != 0;
    }
  }
  return o;
}

std::optional<size_t> Base64Decoder::finish(unsigned char *out) {
  if (count_ == 1 || (padding_ && count_ != 0)) return std::nullopt;  // a group cut short
  if (count_ < 2) return 0;
  // Unpadded end: two characters give one byte, three give two.
  std::memcpy(out, &group_, 4);
  return static_cast<size_t>(count_ - 1);
}

std::optional<size_t> decodeBase64(std::string_view text, unsigned char *out) {
  Base64Decoder decoder;
  const auto body = decoder.decode(text, out);
  if (!body) return std::nullopt;
  const auto tail = decoder.finish(out + *body);
  if (!tail) return std::nullopt;
  return *body + *tail;
}

}  // namespace kestor
