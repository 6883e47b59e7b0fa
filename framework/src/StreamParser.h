// Incremental reader of a server's root-less stream of XML elements (expat underneath). Bytes are
// fed as they arrive; every complete top-level element is handed to the sink. Bytes that are not
// UTF-8 and characters that XML forbids, in text and attribute values, do not stop the stream: the
// text that holds them reaches the sink as not valid UTF-8 (StrayByteFilter). Input that cannot be
// read safely (malformed XML, a DOCTYPE, an element beyond the size limits) stops the stream.
#pragma once

#include "Element.h"

#include <cstddef>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

namespace kestor {

struct StreamLimits {
  size_t elementBytes = size_t(8) << 20;        // one top-level element other than a BLOB vector
  size_t blobElementBytes = size_t(700) << 20;  // a def/setBLOBVector with its base64 contents
  size_t gapBytes = size_t(64) << 10;           // text between top-level elements, not their tags
  size_t tagBytes = size_t(1) << 20;            // one unfinished tag (or comment), a top-level one too
  size_t children = 4096;                       // direct children of one element
};

// What becomes of the character data of a BLOB vector's oneBLOB children: kept as text, or
// decoded as it arrives (Element::decoded).
enum class BlobContents { Text, Decoded };

class StreamParser {
public:
  // The sink may take the element's contents, leaving an element of its own in their place (one
  // it has done with): the parser writes the next element over whatever it is left with.
  using Sink = std::function<void(Element &)>;

  explicit StreamParser(Sink sink, StreamLimits limits = {}, BlobContents blobs = BlobContents::Text);
  ~StreamParser();
  StreamParser(const StreamParser &) = delete;
  StreamParser &operator=(const StreamParser &) = delete;

  // Parses the bytes; false when the stream has to be given up (error() says why). Once false,
  // every later call is false too.
  bool feed(const char *data, size_t length);

  const std::string &error() const { return error_; }

private:
  // Hands the filtered bytes to expat and checks the limits; false once the stream is given up.
  bool parse(std::string_view bytes);

  struct Impl;
  std::unique_ptr<Impl> impl_;
  std::string error_;
};

}  // namespace kestor
