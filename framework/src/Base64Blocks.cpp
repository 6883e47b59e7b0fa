#include "Base64Blocks.h"

#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
#include <immintrin.h>
#define KESTOR_BASE64_AVX2 1
#endif

namespace kestor {

#ifdef KESTOR_BASE64_AVX2

namespace {

// Each character is checked with two look-ups, by its high and by its low four bits: a bit set in
// both marks a character outside the alphabet. Another look-up by the high four bits (with '/'
// apart) gives what to add to a character for its six bits. Then multiply-adds pack four sextets
// into three bytes per 32-bit lane, and shuffles close the gaps.
__attribute__((target("avx2"))) size_t decodeAvx2(const unsigned char *in, size_t length, unsigned char *out) {
  const __m256i lowCheck =
      _mm256_setr_epi8(0x15, 0x11, 0x11, 0x11, 0x11, 0x11, 0x11, 0x11, 0x11, 0x11, 0x13, 0x1A, 0x1B, 0x1B, 0x1B, 0x1A,
                       0x15, 0x11, 0x11, 0x11, 0x11, 0x11, 0x11, 0x11, 0x11, 0x11, 0x13, 0x1A, 0x1B, 0x1B, 0x1B, 0x1A);
  const __m256i highCheck =
      _mm256_setr_epi8(0x10, 0x10, 0x01, 0x02, 0x04, 0x08, 0x04, 0x08, 0x10, 0x10, 0x10, 0x10, 0x10, 0x10, 0x10, 0x10,
                       0x10, 0x10, 0x01, 0x02, 0x04, 0x08, 0x04, 0x08, 0x10, 0x10, 0x10, 0x10, 0x10, 0x10, 0x10, 0x10);
  const __m256i offsets = _mm256_setr_epi8(0, 16, 19, 4, -65, -65, -71, -71, 0, 0, 0, 0, 0, 0, 0, 0, 0, 16, 19, 4, -65,
                                           -65, -71, -71, 0, 0, 0, 0, 0, 0, 0, 0);
  const __m256i slash = _mm256_set1_epi8(0x2F);
  const __m256i pairs = _mm256_set1_epi32(0x01400140);  // (a << 6) | b in each 16 bits
  const __m256i quads = _mm256_set1_epi32(0x00011000);  // (ab << 12) | cd in each 32 bits
  const __m256i bytes = _mm256_setr_epi8(2, 1, 0, 6, 5, 4, 10, 9, 8, 14, 13, 12, -1, -1, -1, -1, 2, 1, 0, 6, 5, 4, 10,
                                         9, 8, 14, 13, 12, -1, -1, -1, -1);
  const __m256i lanes = _mm256_setr_epi32(0, 1, 2, 4, 5, 6, 7, 7);
  size_t done = 0;
  for (; done + 32 <= length; done += 32, out += 24) {
    const __m256i text = _mm256_loadu_si256(reinterpret_cast<const __m256i *>(in + done));
    const __m256i high = _mm256_and_si256(_mm256_srli_epi32(text, 4), slash);
    const __m256i low = _mm256_and_si256(text, slash);
    if (!_mm256_testz_si256(_mm256_shuffle_epi8(lowCheck, low), _mm256_shuffle_epi8(highCheck, high))) break;
    const __m256i offset = _mm256_shuffle_epi8(offsets, _mm256_add_epi8(_mm256_cmpeq_epi8(text, slash), high));
    const __m256i sextets = _mm256_add_epi8(text, offset);
    const __m256i packed = _mm256_madd_epi16(_mm256_maddubs_epi16(sextets, pairs), quads);
    const __m256i ordered = _mm256_permutevar8x32_epi32(_mm256_shuffle_epi8(packed, bytes), lanes);
    _mm256_storeu_si256(reinterpret_cast<__m256i *>(out), ordered);
  }
  return done;
}

const bool HAS_AVX2 = [] {
  __builtin_cpu_init();  // the answer may be asked for before the program's constructors have run
  return __builtin_cpu_supports("avx2") != 0;
}();

}  // namespace

size_t decodeBase64Blocks(const unsigned char *in, size_t length, unsigned char *out) {
  return HAS_AVX2 ? decodeAvx2(in, length, out) : 0;
}

#else

size_t decodeBase64Blocks(const unsigned char *, size_t, unsigned char *) { return 0; }

#endif

}  // namespace kestor
