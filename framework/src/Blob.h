// Contents of one oneBLOB element: base64 decoded as the text arrives, inflated when the format
// ends in ".z" (the suffix is then dropped). The size the element declares is checked against the
// limit, and is the inflated size of a ".z" BLOB; any other BLOB is as long as its decoded text.
#pragma once

#include "Base64.h"
#include "BlobMemory.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace kestor {

struct BlobValue {
  BlobBuffer data;  // null when size is 0
  int64_t size = 0;
  std::string format;
};

// Largest BLOB the library accepts, decoded.
constexpr int64_t MAX_BLOB_BYTES = int64_t(512) << 20;

// The character data of a oneBLOB, decoded piece by piece as it arrives, so that its base64 text
// is never held whole.
class BlobText {
public:
  // Room is made at once for `expected` decoded bytes (what the element declares, an acceptable
  // size or 0; memory not written to costs nothing), and grown when more arrive. Once half of
  // `expected` has been decoded, the application is told (announceHalfArrived).
  explicit BlobText(size_t expected);
  // Decodes more text. Once the text cannot be decoded, the bytes are dropped and the rest of the
  // text is ignored; finish then says why.
  void append(std::string_view text);
  // Ends the text: true with the decoded bytes (null when there are none) and their count, else
  // false with the reason.
  bool finish(BlobBuffer &data, size_t &length, std::string &error);

private:
  bool makeRoom(size_t bytes);
  void fail(const char *why);

  BlobBuffer buffer_;
  size_t capacity_ = 0;
  size_t length_ = 0;
  Base64Decoder decoder_;
  const char *failure_ = nullptr;
  const size_t declared_;
  size_t halfAnnouncedAt_;  // the decoded length that tells the application; 0 once told, or never
};

// The decoded size a oneBLOB's size attribute declares, when it is one the library accepts: a
// whole number from 0 to MAX_BLOB_BYTES, white space around it allowed.
std::optional<int64_t> acceptableBlobSize(std::string_view declared);

// Reads the declared size and format and finishes the decoded text; on failure returns false and
// says why.
bool decodeBlob(std::string_view declaredSize, std::string_view format, BlobText &text, BlobValue &out,
                std::string &error);

}  // namespace kestor
