#include "StrayByteFilter.h"

#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstring>
#ifdef __SSE2__
#include <emmintrin.h>
#endif

namespace kestor {

namespace {

constexpr size_t REFERENCE_MAX = 32;       // the longest character reference looked into, "&#" to ";"
constexpr unsigned char FORBIDDEN = 0xFF;  // what a character that XML forbids becomes
constexpr char32_t STAND_IN_FIRST = 0x10FE80, STAND_IN_LAST = 0x10FEFF;

// The stand-in of a byte of 0x80 or above: U+10FE00 + the byte, as UTF-8.
std::string standIn(unsigned char byte) {
  return {'\xF4', '\x8F', static_cast<char>(0xB8 | (byte >> 6)), static_cast<char>(0x80 | (byte & 0x3F))};
}

// The stand-ins of the UTF-8 bytes of a character of the stand-in range.
std::string standInsOf(char32_t c) {
  return standIn(static_cast<unsigned char>(0xF0 | (c >> 18))) +
         standIn(static_cast<unsigned char>(0x80 | ((c >> 12) & 0x3F))) +
         standIn(static_cast<unsigned char>(0x80 | ((c >> 6) & 0x3F))) +
         standIn(static_cast<unsigned char>(0x80 | (c & 0x3F)));
}

bool isXmlChar(char32_t c) {
  if (c < 0x20) return c == '\t' || c == '\n' || c == '\r';
  return c < 0xD800 || (c >= 0xE000 && c <= 0xFFFD) || (c >= 0x10000 && c <= 0x10FFFF);
}

bool isStandIn(char32_t c) { return c >= STAND_IN_FIRST && c <= STAND_IN_LAST; }

constexpr uint64_t ONES = 0x0101010101010101, HIGH = 0x8080808080808080, LOW = 0x7F7F7F7F7F7F7F7F;

// The high bit of each of the eight bytes that equals c.
uint64_t bytesEqual(uint64_t w, unsigned char c) {
  const uint64_t t = w ^ (ONES * c);
  return ~(((t & LOW) + LOW) | t) & HIGH;
}

// The high bit of each of the eight bytes that needs a closer look: 0x80 or above, '&', or below
// 0x20 other than tab, line feed and carriage return. Exact per byte: no carry crosses a byte.
uint64_t bytesToLook(uint64_t w) {
  const uint64_t control = ~((w & LOW) + ONES * (0x80 - 0x20)) & ~w & HIGH;
  const uint64_t space = bytesEqual(w, '\t') | bytesEqual(w, '\n') | bytesEqual(w, '\r');
  return (w & HIGH) | (control & ~space) | bytesEqual(w, '&');
}

// The index of the first byte in memory order of a word read from it whose high bit is set.
size_t firstMarked(uint64_t marks) {
  if constexpr (std::endian::native == std::endian::little)
    return static_cast<size_t>(std::countr_zero(marks)) / 8;
  else
    return static_cast<size_t>(std::countl_zero(marks)) / 8;
}

// Where the scan from i meets the first byte that needs a closer look; where fewer than eight bytes
// are left when it meets none (those are looked at one by one).
size_t skipClean(const unsigned char *p, size_t i, size_t length) {
#ifdef __SSE2__
  // Sixteen at a time: as signed bytes, those of 0x80 and above are below 0x20 like the controls.
  const __m128i space = _mm_set1_epi8(0x20), tab = _mm_set1_epi8('\t'), lineFeed = _mm_set1_epi8('\n'),
                carriageReturn = _mm_set1_epi8('\r'), ampersand = _mm_set1_epi8('&');
  for (; i + 16 <= length; i += 16) {
    const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i *>(p + i));
    const __m128i allowed = _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi8(v, tab), _mm_cmpeq_epi8(v, lineFeed)),
                                         _mm_cmpeq_epi8(v, carriageReturn));
    const __m128i look =
        _mm_or_si128(_mm_andnot_si128(allowed, _mm_cmplt_epi8(v, space)), _mm_cmpeq_epi8(v, ampersand));
    if (const auto marks = static_cast<unsigned>(_mm_movemask_epi8(look)))
      return i + static_cast<size_t>(std::countr_zero(marks));
  }
#endif
  for (uint64_t w; i + 8 <= length; i += 8) {
    std::memcpy(&w, p + i, 8);
    if (const uint64_t marks = bytesToLook(w)) return i + firstMarked(marks);
  }
  return i;
}

bool isContinuation(unsigned char byte) { return (byte & 0xC0) == 0x80; }

int digitValue(unsigned char c, bool hex) {
  if (c >= '0' && c <= '9') return c - '0';
  if (hex && c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (hex && c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// What the unit at the start of the bytes is.
struct Unit {
  enum Kind { Plain, Replaced, Unfinished } kind = Plain;
  size_t length = 1;
  std::string replacement;
};

// A UTF-8 sequence led by a byte of 0x80 or above.
Unit sequence(const unsigned char *p, size_t available) {
  const unsigned char lead = p[0];
  const size_t length = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 0;
  const Unit stray{Unit::Replaced, 1, standIn(lead)};
  if (length == 0 || lead > 0xF4) return stray;
  for (size_t k = 1; k < std::min(length, available); ++k)
    if (!isContinuation(p[k])) return stray;
  if (available < length) return {Unit::Unfinished, length, {}};
  char32_t code = lead & (0x7F >> length);
  for (size_t k = 1; k < length; ++k) code = (code << 6) | (p[k] & 0x3F);
  constexpr char32_t SMALLEST[] = {0, 0, 0x80, 0x800, 0x10000};
  if (code < SMALLEST[length] || (code >= 0xD800 && code <= 0xDFFF) || code > 0x10FFFF) return stray;
  if (!isXmlChar(code)) return {Unit::Replaced, length, standIn(FORBIDDEN)};
  if (isStandIn(code)) return {Unit::Replaced, length, standInsOf(code)};
  return {Unit::Plain, length, {}};
}

// What follows an '&': a character reference to a character that XML forbids, or of the stand-in
// range, is replaced; anything else (entity references, malformed ones) is left to expat.
Unit reference(const unsigned char *p, size_t available) {
  const Unit unfinished{Unit::Unfinished, available, {}};
  if (available < 3) return available == 2 && p[1] != '#' ? Unit{} : unfinished;
  if (p[1] != '#') return {};
  const bool hex = p[2] == 'x';
  size_t k = hex ? 3 : 2;
  char32_t value = 0;
  size_t digits = 0;
  for (; k < available && k < REFERENCE_MAX; ++k, ++digits) {
    const int digit = digitValue(p[k], hex);
    if (digit < 0) break;
    value = std::min<char32_t>(value * (hex ? 16 : 10) + static_cast<char32_t>(digit), 0x110000);
  }
  if (k == available && k < REFERENCE_MAX) return unfinished;
  if (k == REFERENCE_MAX || p[k] != ';' || digits == 0) return {};
  if (!isXmlChar(value)) return {Unit::Replaced, k + 1, standIn(FORBIDDEN)};
  if (isStandIn(value)) return {Unit::Replaced, k + 1, standInsOf(value)};
  return {Unit::Plain, k + 1, {}};
}

Unit unitAt(const unsigned char *p, size_t available) {
  const unsigned char c = p[0];
  if (c == '&') return reference(p, available);
  if (c >= 0x80) return sequence(p, available);
  if (c < 0x20 && !isXmlChar(c)) return {Unit::Replaced, 1, standIn(FORBIDDEN)};
  return {};
}

}  // namespace

size_t StrayByteFilter::pass(const char *data, size_t length, size_t until) {
  const auto *p = reinterpret_cast<const unsigned char *>(data);
  size_t i = 0, clean = 0;  // bytes before `clean` are handed on
  while (i < until) {
    i = skipClean(p, i, length);
    if (i >= until) break;
    const Unit unit = unitAt(p + i, length - i);
    if (unit.kind == Unit::Unfinished) break;
    if (unit.kind == Unit::Replaced) {
      if ((i > clean && !sink_(std::string_view(data + clean, i - clean))) || !sink_(unit.replacement))
        return std::string::npos;
      clean = i + unit.length;
    }
    i += unit.length;
  }
  if (i > clean && !sink_(std::string_view(data + clean, i - clean))) return std::string::npos;
  return i;
}

bool StrayByteFilter::feed(const char *data, size_t length) {
  if (!held_.empty()) {
    // The held unit is finished within this many more bytes, unless the stream ends first.
    const size_t held = held_.size();
    const size_t taken = std::min(length, REFERENCE_MAX + 8);
    held_.append(data, taken);
    const size_t stop = pass(held_.data(), held_.size(), held);
    if (stop == std::string::npos) return false;
    if (stop < held) {  // still unfinished: every byte given is held
      held_.erase(0, stop);
      return true;
    }
    held_.clear();
    data += stop - held;
    length -= stop - held;
  }
  const size_t stop = pass(data, length, length);
  if (stop == std::string::npos) return false;
  held_.assign(data + stop, length - stop);
  return true;
}

void appendRestored(std::string &out, std::string_view text) {
  size_t start = 0;
  for (size_t i = text.find('\xF4'); i != std::string_view::npos; i = text.find('\xF4', i)) {
    if (i + 4 > text.size() || text[i + 1] != '\x8F' || (text[i + 2] != '\xBA' && text[i + 2] != '\xBB')) {
      ++i;
      continue;
    }
    out.append(text.substr(start, i - start));
    const auto byte = [&](size_t k) { return static_cast<unsigned char>(text[k]); };
    out.push_back(static_cast<char>(((byte(i + 2) & 0x03) << 6) | (byte(i + 3) & 0x3F)));
    i += 4;
    start = i;
  }
  out.append(text.substr(start));
}

}  // namespace kestor
