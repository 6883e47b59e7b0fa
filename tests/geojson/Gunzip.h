// Reads a gzip member back for the tests: its text and its header.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct Inflated {
  std::string text;
  std::string name;  // file name in the header
  unsigned long time = 1;
  int os = -1;
  bool ok = false;   // one whole member, nothing after it
};

Inflated gunzip(const std::vector<uint8_t> &member);
