#include "StreamParser.h"

#include "Blob.h"
#include "StrayByteFilter.h"

#include <expat.h>

#include <algorithm>
#include <cstring>

namespace kestor {

namespace {
constexpr char ROOT[] = "<kestorstream>";
// Depths below the synthetic root element: 1 = top-level elements, 2 = their children.
constexpr int TOP = 1;
constexpr int CHILD = 2;

// A limit as the errors name it: "64 KiB", "8 MiB", or bytes when neither divides it.
std::string sizeText(size_t bytes) {
  if (bytes >= (size_t(1) << 20) && bytes % (size_t(1) << 20) == 0) return std::to_string(bytes >> 20) + " MiB";
  if (bytes >= (size_t(1) << 10) && bytes % (size_t(1) << 10) == 0) return std::to_string(bytes >> 10) + " KiB";
  return std::to_string(bytes) + " bytes";
}

bool endsWith(std::string_view text, std::string_view suffix) {
  return text.size() >= suffix.size() && text.substr(text.size() - suffix.size()) == suffix;
}

// The decoded size a oneBLOB declares, 0 when it declares none the library accepts.
size_t declaredSize(const char **attributes) {
  for (const char **a = attributes; a[0] && a[1]; a += 2)
    if (std::strcmp(a[0], "size") == 0) return static_cast<size_t>(acceptableBlobSize(a[1]).value_or(0));
  return 0;
}
}  // namespace

struct StreamParser::Impl {
  explicit Impl(StrayByteFilter::Sink parse) : filter(std::move(parse)) {}

  XML_Parser parser = XML_ParserCreate("UTF-8");
  StrayByteFilter filter;  // in front of expat
  Sink sink;
  StreamLimits limits;
  std::string failure;
  int depth = -1;          // -1 before the synthetic root has opened
  XML_Index boundary = 0;  // byte index of the last top-level start or end
  XML_Index fed = 0;       // bytes handed to expat so far, the synthetic root included
  XML_Index fedEnd = 0;    // `fed` once the bytes being parsed are handed over
  bool blobElement = false;
  BlobContents blobs = BlobContents::Text;
  // The element being read. Its strings and children are kept from one element to the next and
  // written over, so that a stream of like elements reads without allocating.
  Element element;
  size_t childCount = 0;  // children of `element` read so far; entries beyond are kept for reuse

  ~Impl() { XML_ParserFree(parser); }

  static Impl &of(void *data) { return *static_cast<Impl *>(data); }

  template <typename Handler>
  void guarded(Handler handler) {
    if (!failure.empty()) return;  // expat may still report a little after being stopped
    try {
      handler(*this);
    } catch (const std::exception &e) {
      stop(std::string("cannot read the stream: ") + e.what());
    }
  }

  size_t limit() const {
    if (depth < TOP) return limits.gapBytes;
    return blobElement ? limits.blobElementBytes : limits.elementBytes;
  }

  // Why the stream is given up when the bytes since the last top-level start or end passed limit().
  std::string limitPassed() const {
    if (depth < TOP) return "text between elements exceeds the size limit of " + sizeText(limits.gapBytes);
    return std::string(blobElement ? "a BLOB vector" : "an element") + " exceeds the size limit of " +
           sizeText(limit());
  }

  void stop(std::string why) {
    if (failure.empty()) failure = std::move(why);
    XML_StopParser(parser, XML_FALSE);
  }

  bool withinLimit() {
    // When the bytes being parsed end within the limit, no place in them lies beyond it.
    if (fedEnd - boundary <= static_cast<XML_Index>(limit())) return true;
    // Through the end of the event reported (a tag, or a piece of text).
    const XML_Index used = XML_GetCurrentByteIndex(parser) + XML_GetCurrentByteCount(parser) - boundary;
    if (used >= 0 && static_cast<size_t>(used) > limit()) {
      stop(limitPassed());
      return false;
    }
    return true;
  }

  Element *current() {
    if (depth == TOP) return &element;
    if (depth == CHILD && childCount > 0) return &element.children[childCount - 1];
    return nullptr;
  }

  void start(const char *name, const char **attributes) {
    ++depth;
    if (depth == TOP) {
      boundary = XML_GetCurrentByteIndex(parser);
      element.name = name;
      element.text.clear();
      childCount = 0;
      blobElement = endsWith(element.name, "BLOBVector");
    } else if (depth == CHILD) {
      if (childCount >= limits.children) return stop("element has too many children");
      if (childCount == element.children.size()) element.children.emplace_back();
      Element &child = element.children[childCount++];
      child.name = name;
      child.text.clear();
      if (blobElement && blobs == BlobContents::Decoded && child.name == "oneBLOB")
        child.decoded = std::make_shared<BlobText>(declaredSize(attributes));
    }
    if (!withinLimit()) return;
    if (Element *target = current()) readAttributes(*target, attributes);
  }

  // The element's attributes, written over the entries it already has.
  static void readAttributes(Element &target, const char **attributes) {
    size_t count = 0;
    for (const char **a = attributes; a[0] && a[1]; a += 2, ++count) {
      if (count == target.attributes.size()) target.attributes.emplace_back();
      auto &[key, value] = target.attributes[count];
      key = a[0];
      value.clear();
      appendRestored(value, a[1]);
    }
    target.attributes.resize(count);
  }

  void end() {
    if (depth == TOP) {
      boundary = XML_GetCurrentByteIndex(parser) + XML_GetCurrentByteCount(parser);
      element.children.resize(childCount);
      sink(element);
      element.dropLargeBuffers();
      blobElement = false;
    }
    --depth;
  }

  void text(const char *data, int length) {
    if (!withinLimit()) return;
    Element *target = current();
    if (!target) return;
    const std::string_view text(data, static_cast<size_t>(length));
    if (target->decoded)
      target->decoded->append(text);  // a stand-in there is no base64: the BLOB is refused
    else
      appendRestored(target->text, text);
  }
};

StreamParser::StreamParser(Sink sink, StreamLimits limits, BlobContents blobs)
    : impl_(std::make_unique<Impl>([this](std::string_view bytes) { return parse(bytes); })) {
  Impl &p = *impl_;
  p.sink = std::move(sink);
  p.limits = limits;
  p.blobs = blobs;
  XML_SetUserData(p.parser, &p);
  // No exception may cross expat's C frames: a failure inside a handler stops the stream.
  XML_SetElementHandler(
      p.parser,
      [](void *d, const char *name, const char **attributes) {
        Impl::of(d).guarded([&](Impl &i) { i.start(name, attributes); });
      },
      [](void *d, const char *) { Impl::of(d).guarded([](Impl &i) { i.end(); }); });
  XML_SetCharacterDataHandler(
      p.parser, [](void *d, const char *s, int n) { Impl::of(d).guarded([&](Impl &i) { i.text(s, n); }); });
  XML_SetStartDoctypeDeclHandler(p.parser, [](void *d, const char *, const char *, const char *, int) {
    Impl::of(d).stop("a DOCTYPE is not accepted");
  });
  XML_SetEntityDeclHandler(p.parser,
                           [](void *d, const char *, int, const char *, int, const char *, const char *, const char *,
                              const char *) { Impl::of(d).stop("an entity declaration is not accepted"); });
  XML_SetParamEntityParsing(p.parser, XML_PARAM_ENTITY_PARSING_NEVER);
  p.fed = p.fedEnd = static_cast<XML_Index>(std::strlen(ROOT));
  XML_Parse(p.parser, ROOT, static_cast<int>(p.fed), XML_FALSE);
}

StreamParser::~StreamParser() = default;

bool StreamParser::feed(const char *data, size_t length) {
  if (!error_.empty()) return false;
  while (length > 0) {
    const size_t chunk = std::min<size_t>(length, 1 << 20);
    if (!impl_->filter.feed(data, chunk)) return false;
    data += chunk;
    length -= chunk;
  }
  return true;
}

bool StreamParser::parse(std::string_view bytes) {
  Impl &p = *impl_;
  p.fedEnd = p.fed + static_cast<XML_Index>(bytes.size());
  if (XML_Parse(p.parser, bytes.data(), static_cast<int>(bytes.size()), XML_FALSE) != XML_STATUS_OK) {
    if (!p.failure.empty()) {
      error_ = p.failure;
    } else {
      error_ = std::string("malformed XML: ") + XML_ErrorString(XML_GetErrorCode(p.parser)) + " at line " +
               std::to_string(XML_GetCurrentLineNumber(p.parser));
    }
    return false;
  }
  p.fed += static_cast<XML_Index>(bytes.size());
  // The unfinished token expat holds back (a tag, a comment), which it scans again with every chunk:
  // a long one would cost quadratic time.
  const XML_Index held = p.fed - XML_GetCurrentByteIndex(p.parser);
  if (held > 0 && static_cast<size_t>(held) > p.limits.tagBytes) {
    error_ = "a tag exceeds the size limit of " + sizeText(p.limits.tagBytes);
    return false;
  }
  // Within an element the held bytes are part of it. At the top level they begin the next
  // element's start tag (or are a comment), which the tag limit bounds: only the bytes before
  // them are text between elements.
  const XML_Index pending = p.fed - p.boundary - (p.depth < TOP ? std::max<XML_Index>(held, 0) : 0);
  if (pending > 0 && static_cast<size_t>(pending) > p.limit()) {
    error_ = p.limitPassed();
    return false;
  }
  return true;
}

}  // namespace kestor
