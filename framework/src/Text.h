// Text helpers shared by the stream reader and the writer: bounded copies into the records' fixed
// character arrays, trimming, UTF-8 checks and XML escaping.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace kestor {

// The part of the text that a fixed array of `size` bytes holds: cut after the last whole UTF-8
// character that fits before the terminating NUL.
std::string_view fitted(std::string_view text, size_t size);

// Copies text into a fixed array of `size` bytes, cut after the last whole UTF-8 character that
// fits before the terminating NUL; the rest of the array is zero-filled.
void copyField(char *field, size_t size, std::string_view text);

template <size_t N>
void copyField(char (&field)[N], std::string_view text) {
  copyField(field, N, text);
}

// The text of a fixed array, never reading past its end.
std::string_view fieldText(const char *field, size_t size);
template <size_t N>
std::string_view fieldText(const char (&field)[N]) {
  return fieldText(field, N);
}

// Text without leading and trailing ASCII white space.
std::string_view trim(std::string_view text);

// True when the bytes are well-formed UTF-8.
bool isValidUtf8(std::string_view text);

// Text fit for an XML document: invalid UTF-8 and characters that XML 1.0 forbids are dropped,
// markup characters escaped (quotes too, so the result also serves as an attribute value).
std::string xmlEscape(std::string_view text);

}  // namespace kestor
