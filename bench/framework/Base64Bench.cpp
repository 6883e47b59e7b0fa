// Decoding a camera-sized BLOB (a 24-megapixel 16-bit FITS frame, 48 MB, sent as one base64 line),
// next to copying the same number of bytes with memcpy. Both are larger than the processor's
// caches, so memcpy runs at the speed of memory, not of the last-level cache.
#include "Base64.h"
#include "Blob.h"

#include <benchmark/benchmark.h>

#include <cstring>
#include <random>
#include <string>
#include <vector>

namespace {

constexpr size_t BLOB_BYTES = 48003840;  // 6000 × 4000 × 2 bytes of pixels and the header, in FITS records

const std::string &encoded() {
  static const std::string text = [] {
    static const char alphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::mt19937 random(42);
    std::string out;
    out.reserve(BLOB_BYTES / 3 * 4);
    for (size_t i = 0; i < BLOB_BYTES; i += 3) {
      const uint32_t v = random() & 0xFFFFFF;
      for (int shift = 18; shift >= 0; shift -= 6) out.push_back(alphabet[(v >> shift) & 63]);
    }
    return out;
  }();
  return text;
}

void Base64Decode(benchmark::State &state) {
  const std::string &text = encoded();
  std::vector<unsigned char> out(kestor::base64Capacity(text.size()));
  for (auto _ : state) {
    benchmark::DoNotOptimize(kestor::decodeBase64(text, out.data()));
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(text.size()));
}
BENCHMARK(Base64Decode);

void Base64BlobWithAllocation(benchmark::State &state) {
  const std::string &text = encoded();
  const std::string size = std::to_string(BLOB_BYTES);
  for (auto _ : state) {
    kestor::BlobText decoded(BLOB_BYTES);  // the text arrives in 64 KiB reads
    for (size_t i = 0; i < text.size(); i += 65536) decoded.append(std::string_view(text).substr(i, 65536));
    kestor::BlobValue value;
    std::string error;
    benchmark::DoNotOptimize(kestor::decodeBlob(size, ".fits", decoded, value, error));
  }
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(text.size()));
}
BENCHMARK(Base64BlobWithAllocation);

void Base64PeerMemcpy(benchmark::State &state) {
  const std::string &text = encoded();
  std::vector<char> out(text.size());
  for (auto _ : state) {
    std::memcpy(out.data(), text.data(), text.size());
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(text.size()));
}
BENCHMARK(Base64PeerMemcpy);

}  // namespace
