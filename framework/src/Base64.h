// Base64 decoding of BLOB contents: white space anywhere is skipped, padding optional at the end.
#pragma once

#include <cstddef>
#include <optional>
#include <string_view>

namespace kestor {

// Room that decodeBase64 needs for `length` characters of input (one spare byte included).
constexpr size_t base64Capacity(size_t length) { return length / 4 * 3 + 4; }

// Decodes into `out`, which holds base64Capacity(in.size()) bytes; returns the decoded length,
// or nothing when the text is not base64.
std::optional<size_t> decodeBase64(std::string_view in, unsigned char *out);

}  // namespace kestor
