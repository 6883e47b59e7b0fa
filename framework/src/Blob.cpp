#include "Blob.h"

#include "Text.h"

#include <zlib.h>

#include <algorithm>
#include <charconv>

namespace kestor {

namespace {

bool endsWith(std::string_view text, std::string_view suffix) {
  return text.size() >= suffix.size() && text.substr(text.size() - suffix.size()) == suffix;
}

constexpr char NO_MEMORY[] = "no memory for a BLOB";

}  // namespace

BlobText::BlobText(size_t expected)
    : declared_(expected <= static_cast<size_t>(MAX_BLOB_BYTES) ? expected : 0), halfAnnouncedAt_((declared_ + 1) / 2) {
  makeRoom(declared_ + base64Capacity(0));
}

void BlobText::fail(const char *why) {
  failure_ = why;
  buffer_.reset();
  capacity_ = length_ = 0;
}

bool BlobText::makeRoom(size_t bytes) {
  if (length_ + bytes <= capacity_) return true;
  const size_t capacity = std::max(length_ + bytes, capacity_ * 2);
  void *grown = resizeBlobMemory(buffer_.get(), capacity);
  if (!grown) {
    fail(NO_MEMORY);
    return false;
  }
  (void)buffer_.release();
  buffer_.reset(static_cast<unsigned char *>(grown));
  capacity_ = capacity;
  return true;
}

void BlobText::append(std::string_view text) {
  if (failure_ || !makeRoom(base64Capacity(text.size()))) return;
  const auto decoded = decoder_.decode(text, buffer_.get() + length_);
  if (!decoded) return fail("BLOB contents are not base64");
  length_ += *decoded;
  if (length_ > static_cast<size_t>(MAX_BLOB_BYTES)) return fail("BLOB exceeds the size limit");
  if (halfAnnouncedAt_ > 0 && length_ >= halfAnnouncedAt_) {
    halfAnnouncedAt_ = 0;
    announceHalfArrived(buffer_.get(), declared_);
  }
}

bool BlobText::finish(BlobBuffer &data, size_t &length, std::string &error) {
  if (!failure_ && makeRoom(base64Capacity(0))) {
    if (const auto tail = decoder_.finish(buffer_.get() + length_))
      length_ += *tail;
    else
      fail("BLOB contents are not base64");
  }
  if (failure_) {
    error = failure_;
    return false;
  }
  length = length_;
  if (length_ == 0) {
    buffer_.reset();
  } else if (length_ < capacity_) {  // the room not used goes back
    if (void *shrunk = resizeBlobMemory(buffer_.get(), length_)) {
      (void)buffer_.release();
      buffer_.reset(static_cast<unsigned char *>(shrunk));
    }
  }
  data = std::move(buffer_);
  capacity_ = length_ = 0;
  return true;
}

std::optional<int64_t> acceptableBlobSize(std::string_view declared) {
  declared = trim(declared);
  int64_t size = -1;
  const auto [end, status] = std::from_chars(declared.data(), declared.data() + declared.size(), size);
  if (status != std::errc() || end != declared.data() + declared.size() || size < 0 || size > MAX_BLOB_BYTES)
    return std::nullopt;
  return size;
}

bool decodeBlob(std::string_view declaredSize, std::string_view format, BlobText &text, BlobValue &out,
                std::string &error) {
  const std::optional<int64_t> acceptable = acceptableBlobSize(declaredSize);
  if (!acceptable) {
    error = "BLOB size \"" + std::string(trim(declaredSize).substr(0, 32)) + "\" is not acceptable";
    return false;
  }
  const int64_t size = *acceptable;
  BlobBuffer decoded;
  size_t length = 0;
  if (!text.finish(decoded, length, error)) return false;
  const bool compressed = endsWith(format, ".z");
  out.format = compressed ? format.substr(0, format.size() - 2) : format;
  if (!compressed) {  // the declared size may be another one (fpack'ed frames declare the image's)
    out.size = static_cast<int64_t>(length);  // within the limit: the text stops decoding beyond it
    out.data = std::move(decoded);
    return true;
  }
  out.size = size;
  BlobBuffer inflated(static_cast<unsigned char *>(resizeBlobMemory(nullptr, static_cast<size_t>(size))));
  uLongf inflatedLength = static_cast<uLongf>(size);
  if (!inflated) {
    error = NO_MEMORY;
    return false;
  }
  const int result = uncompress(inflated.get(), &inflatedLength, decoded.get(), static_cast<uLong>(length));
  if (result != Z_OK || static_cast<int64_t>(inflatedLength) != size) {
    error = "compressed BLOB does not inflate to the " + std::to_string(size) + " bytes it declares";
    return false;
  }
  out.data = size ? std::move(inflated) : nullptr;
  return true;
}

}  // namespace kestor
