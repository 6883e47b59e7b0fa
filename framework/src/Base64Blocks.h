// The bulk of base64 text decoded 32 characters at a time with AVX2 where the processor has it.
#pragma once

#include <cstddef>

namespace kestor {

// Decodes whole blocks of 32 characters from the start of `in` (`length` characters) while every
// character of a block is in the alphabet; writes 24 bytes per block into `out`, which must have
// room for 8 bytes more than those. Returns the characters decoded, a multiple of 32; 0 when the
// processor has no AVX2 (the caller's byte-wise path then does all the work).
size_t decodeBase64Blocks(const unsigned char *in, size_t length, unsigned char *out);

}  // namespace kestor
