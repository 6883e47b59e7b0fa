// One complete top-level element of the server's stream, with its direct children.
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace kestor {

class BlobText;

struct Element {
  std::string name;
  std::vector<std::pair<std::string, std::string>> attributes;
  std::string text;                   // character data, untrimmed (only children keep it)
  std::shared_ptr<BlobText> decoded;  // instead of text: a oneBLOB's contents, when the reader decodes them
  std::vector<Element> children;

  // Lets go of what it holds beyond a small element's needs, its children's too (BLOB contents,
  // long texts and values), so that an element kept to be written over holds little memory.
  void dropLargeBuffers() {
    constexpr size_t KEPT = 4096;
    decoded.reset();
    if (text.capacity() > KEPT) std::string().swap(text);
    for (auto &[key, value] : attributes)
      if (value.capacity() > KEPT) std::string().swap(value);
    for (Element &child : children) child.dropLargeBuffers();
  }

  // The attribute's value, or null when the element has none of that name.
  const std::string *attribute(std::string_view key) const {
    for (const auto &[k, v] : attributes)
      if (k == key) return &v;
    return nullptr;
  }
};

}  // namespace kestor
