// Text from the fixed character fields of the library's records, read no further than the field.
#pragma once

#include <QString>
#include <cstddef>
#include <cstring>

// A name field: strict UTF-8; a field that is not valid UTF-8 gives the empty text.
QString nameFromField(const char *field, size_t width);
// A label or value field: UTF-8 with invalid sequences replaced.
QString textFromField(const char *field, size_t width);
// A C string in strict UTF-8: false (result untouched) when null or not valid UTF-8.
bool decodeStrictUtf8(const char *text, QString &result);

template <size_t N>
QString nameFromField(const char (&field)[N]) {
  return nameFromField(field, N);
}
template <size_t N>
QString textFromField(const char (&field)[N]) {
  return textFromField(field, N);
}
