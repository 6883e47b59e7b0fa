// Base64 decoding of BLOB contents: white space anywhere is skipped, padding optional at the end.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>

namespace kestor {

// Room that decoding `length` characters of input needs (spare bytes included).
constexpr size_t base64Capacity(size_t length) { return length / 4 * 3 + 4; }

// Base64 text decoded piece by piece, as it arrives: a group of four characters may be split
// between pieces.
class Base64Decoder {
public:
  // Decodes a piece into `out`, which holds base64Capacity(text.size()) bytes; returns the bytes
  // written, or nothing when the text is not base64.
  std::optional<size_t> decode(std::string_view text, unsigned char *out);
  // Ends the text: writes the bytes of an unpadded last group into `out` (room for 4 bytes) and
  // returns their count, or nothing when the text ended inside a group.
  std::optional<size_t> finish(unsigned char *out);

private:
  uint32_t group_ = 0;  // bits of the group being collected character by character
  int count_ = 0;       // characters in that group
  int padding_ = 0;
  bool ended_ = false;  // a padded group was the last: only white space may follow
};

// Decodes the whole text into `out`, which holds base64Capacity(in.size()) bytes; returns the
// decoded length, or nothing when the text is not base64.
std::optional<size_t> decodeBase64(std::string_view in, unsigned char *out);

}  // namespace kestor
