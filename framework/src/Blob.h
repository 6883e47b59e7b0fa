// Contents of one oneBLOB element: base64 decoded, inflated when the format ends in ".z" (the
// suffix is then dropped). The size the element declares is checked against the limit, and is the
// inflated size of a ".z" BLOB; any other BLOB is as long as its decoded text.
#pragma once

#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>
#include <string_view>

namespace kestor {

struct FreeDeleter {
  void operator()(void *p) const { std::free(p); }
};
using BlobBuffer = std::unique_ptr<unsigned char, FreeDeleter>;

struct BlobValue {
  BlobBuffer data;  // null when size is 0
  int64_t size = 0;
  std::string format;
};

// Largest BLOB the library accepts, decoded.
constexpr int64_t MAX_BLOB_BYTES = int64_t(512) << 20;

// Decodes the element's text; on failure returns false and says why.
bool decodeBlob(std::string_view declaredSize, std::string_view format, std::string_view base64, BlobValue &out,
                std::string &error);

}  // namespace kestor
