#include "Blob.h"

#include "Base64.h"
#include "Text.h"

#include <zlib.h>

#include <charconv>

namespace kestor {

namespace {

bool endsWith(std::string_view text, std::string_view suffix) {
  return text.size() >= suffix.size() && text.substr(text.size() - suffix.size()) == suffix;
}

BlobBuffer allocate(size_t bytes) { return BlobBuffer(static_cast<unsigned char *>(std::malloc(bytes ? bytes : 1))); }

}  // namespace

bool decodeBlob(std::string_view declaredSize, std::string_view format, std::string_view base64, BlobValue &out,
                std::string &error) {
  declaredSize = trim(declaredSize);
  int64_t size = -1;
  const auto [end, status] = std::from_chars(declaredSize.data(), declaredSize.data() + declaredSize.size(), size);
  if (status != std::errc() || end != declaredSize.data() + declaredSize.size() || size < 0 || size > MAX_BLOB_BYTES) {
    error = "BLOB size \"" + std::string(declaredSize.substr(0, 32)) + "\" is not acceptable";
    return false;
  }
  base64 = trim(base64);
  BlobBuffer decoded = allocate(base64Capacity(base64.size()));
  if (!decoded) {
    error = "no memory for a BLOB";
    return false;
  }
  const auto length = decodeBase64(base64, decoded.get());
  if (!length) {
    error = "BLOB contents are not base64";
    return false;
  }
  const bool compressed = endsWith(format, ".z");
  out.format = compressed ? format.substr(0, format.size() - 2) : format;
  if (!compressed) {  // the declared size may be another one (fpack'ed frames declare the image's)
    out.size = static_cast<int64_t>(*length);
    if (out.size > MAX_BLOB_BYTES) {
      error = "BLOB of " + std::to_string(out.size) + " bytes is too large";
      return false;
    }
    out.data = out.size ? std::move(decoded) : nullptr;
    return true;
  }
  out.size = size;
  BlobBuffer inflated = allocate(static_cast<size_t>(size));
  uLongf inflatedLength = static_cast<uLongf>(size);
  if (!inflated) {
    error = "no memory for a BLOB";
    return false;
  }
  const int result = uncompress(inflated.get(), &inflatedLength, decoded.get(), static_cast<uLong>(*length));
  if (result != Z_OK || static_cast<int64_t>(inflatedLength) != size) {
    error = "compressed BLOB does not inflate to the " + std::to_string(size) + " bytes it declares";
    return false;
  }
  out.data = size ? std::move(inflated) : nullptr;
  return true;
}

}  // namespace kestor
