// One-pass gzip compression of a catalogue text with zlib, the original file name in the header.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

// Compresses the text into a gzip member whose header names `fileName` (modification time 0,
// operating system 0, no extra field, comment or header CRC). The output is exactly as long as
// the member; empty when compression fails (never a cut-off member).
std::vector<uint8_t> gzip_buffer(const char *fileName, std::string_view text);
