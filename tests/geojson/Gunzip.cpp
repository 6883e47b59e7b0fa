#include "Gunzip.h"

#include <zlib.h>

Inflated gunzip(const std::vector<uint8_t> &member) {
  Inflated result;
  z_stream stream{};
  if (inflateInit2(&stream, 31) != Z_OK) return result;
  char name[256] = {};
  gz_header header{};
  header.name = reinterpret_cast<Bytef *>(name);
  header.name_max = sizeof name - 1;
  inflateGetHeader(&stream, &header);
  stream.next_in = const_cast<Bytef *>(member.data());
  stream.avail_in = static_cast<uInt>(member.size());
  std::vector<char> buffer(1 << 16);
  int status;
  do {
    stream.next_out = reinterpret_cast<Bytef *>(buffer.data());
    stream.avail_out = static_cast<uInt>(buffer.size());
    status = inflate(&stream, Z_NO_FLUSH);
    result.text.append(buffer.data(), buffer.size() - stream.avail_out);
  } while (status == Z_OK);
  result.ok = status == Z_STREAM_END && stream.avail_in == 0;
  result.name = name;
  result.time = header.time;
  result.os = header.os;
  inflateEnd(&stream);
  return result;
}
