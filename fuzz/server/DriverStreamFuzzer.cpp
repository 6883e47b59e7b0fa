// Arbitrary bytes as a driver's output, fed in two pieces (so declarations and elements split
// across reads): each element goes through the definition cache as the server hub would put it,
// its XML form must read back as the same element, and the cache's replay must read back whole.
#include "StreamParser.h"
#include "Text.h"
#include "server/DriverStreamFilter.h"
#include "server/ServerCache.h"
#include "server/ServerXml.h"

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

std::vector<kestor::Element> reread(const std::string &xml) {
  std::vector<kestor::Element> elements;
  kestor::StreamParser parser([&](const kestor::Element &e) { elements.push_back(e); });
  if (!parser.feed(xml.data(), xml.size())) std::abort();  // what we write must always read back
  return elements;
}

bool same(const kestor::Element &a, const kestor::Element &b) {
  if (a.name != b.name || a.attributes.size() != b.attributes.size() || a.children.size() != b.children.size())
    return false;
  for (size_t i = 0; i < a.children.size(); ++i)
    if (a.children[i].name != b.children[i].name || a.children[i].attributes.size() != b.children[i].attributes.size())
      return false;
  return true;
}

void apply(kestor::ServerCache &cache, const kestor::Element &element) {
  const std::string &name = element.name;
  if (name.starts_with("def") && name.ends_with("Vector"))
    cache.define(element);
  else if (name.starts_with("set") && name.ends_with("Vector"))
    cache.update(element);
  else if (name == "delProperty")
    cache.remove(kestor::deviceOf(element), kestor::nameOf(element));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  const std::string_view input(reinterpret_cast<const char *>(data), size);
  kestor::ServerCache cache;
  kestor::DriverStreamFilter filter;
  kestor::StreamParser parser([&](const kestor::Element &element) {
    apply(cache, element);
    const auto copies = reread(kestor::elementXml(element));
    if (copies.size() != 1 || !same(copies[0], element)) std::abort();
  });
  const size_t half = size / 2;
  for (const std::string_view piece : {input.substr(0, half), input.substr(half)}) {
    const std::string filtered = filter.filter(piece);
    if (!parser.feed(filtered.data(), filtered.size())) break;
  }
  for (const auto &xml : cache.replay("", "")) reread(xml);
  return 0;
}
