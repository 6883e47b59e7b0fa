// Bytes that XML may not hold, carried through expat. Drivers write Latin-1 labels, control
// characters and references to them (&#0;, &#7;), and indiserver passes them on unchanged; expat
// would give the whole stream up at the first one. The filter rewrites each such unit into a
// stand-in character of a private-use range (U+10FE80 to U+10FEFF) that expat accepts, so the
// stream goes on; restoreStrayBytes turns the stand-ins of the text expat reports back into bytes:
// a byte that is not UTF-8 into itself, a character that XML 1.0 forbids into the byte 0xFF. Text
// that held either is therefore not valid UTF-8, and its readers apply their rule for such text.
// A character of the stand-in range that a peer really sent is passed as the stand-ins of its
// bytes, so it comes back as it was. Markup itself is not touched: a stray byte inside a tag's
// name still makes the stream unreadable.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>

namespace kestor {

class StrayByteFilter {
public:
  // Receives the rewritten stream, in pieces; false stops the filter.
  using Sink = std::function<bool(std::string_view)>;

  explicit StrayByteFilter(Sink sink) : sink_(std::move(sink)) {}

  // Rewrites the bytes and hands them on. A UTF-8 sequence or character reference that the bytes
  // leave unfinished is held back until the next call completes it. False when the sink said so.
  bool feed(const char *data, size_t length);

private:
  // Hands on the whole units of [data, data + length) that start before `until`; returns where it
  // stopped (at `until` or later, or at an unfinished unit at the end), or npos when the sink said stop.
  size_t pass(const char *data, size_t length, size_t until);

  Sink sink_;
  std::string held_;
};

// Appends the text expat reported, with the filter's stand-ins turned back into bytes.
void appendRestored(std::string &out, std::string_view text);

}  // namespace kestor
