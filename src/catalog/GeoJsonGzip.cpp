#include "catalog/GeoJsonGzip.h"

#include <zlib.h>

#include <cstring>
#include <limits>
#include <string>

namespace {
constexpr int GZIP_WINDOW_BITS = 31;  // 32 KiB window with a gzip wrapper
constexpr int MEMORY_LEVEL = 9;
constexpr size_t HEADER_SLACK = 64;  // the gzip header and trailer around deflateBound's estimate
}  // namespace

std::vector<uint8_t> gzip_buffer(const char *fileName, std::string_view text) {
  if (text.size() > std::numeric_limits<uInt>::max()) return {};
  z_stream stream{};
  if (deflateInit2(&stream, Z_DEFAULT_COMPRESSION, Z_DEFLATED, GZIP_WINDOW_BITS, MEMORY_LEVEL, Z_DEFAULT_STRATEGY) !=
      Z_OK)
    return {};
  std::string name(fileName ? fileName : "");
  gz_header header{};
  header.name = reinterpret_cast<Bytef *>(name.data());
  header.os = 0;
  std::vector<uint8_t> out;
  int status = deflateSetHeader(&stream, &header);
  if (status == Z_OK) {
    out.resize(deflateBound(&stream, static_cast<uLong>(text.size())) + name.size() + HEADER_SLACK);
    stream.next_in = reinterpret_cast<Bytef *>(const_cast<char *>(text.data()));
    stream.avail_in = static_cast<uInt>(text.size());
    stream.next_out = out.data();
    stream.avail_out = static_cast<uInt>(out.size());
    status = deflate(&stream, Z_FINISH);
  }
  const size_t produced = stream.total_out;
  deflateEnd(&stream);
  if (status != Z_STREAM_END) return {};
  out.resize(produced);
  return out;
}
