#include "ServerCache.h"

#include "ServerXml.h"

#include <algorithm>

namespace kestor {

namespace {

std::string_view attributeText(const Element &element, std::string_view key) {
  const std::string *value = element.attribute(key);
  return value ? std::string_view(*value) : std::string_view();
}

void setAttribute(Element &element, const std::string &key, const std::string &value) {
  for (auto &[k, v] : element.attributes)
    if (k == key) {
      v = value;
      return;
    }
  element.attributes.emplace_back(key, value);
}

bool matches(const Element &element, std::string_view device, std::string_view name) {
  return (device.empty() || deviceOf(element) == device) && (name.empty() || nameOf(element) == name);
}

}  // namespace

std::string_view deviceOf(const Element &element) { return attributeText(element, "device"); }
std::string_view nameOf(const Element &element) { return attributeText(element, "name"); }

std::vector<Element>::iterator ServerCache::find(std::string_view device, std::string_view name) {
  return std::find_if(definitions_.begin(), definitions_.end(), [&](const Element &definition) {
    return deviceOf(definition) == device && nameOf(definition) == name;
  });
}

void ServerCache::define(const Element &definition) {
  Element kept = definition;
  std::erase_if(kept.attributes, [](const auto &attribute) { return attribute.first == "message"; });
  const auto found = find(deviceOf(definition), nameOf(definition));
  if (found != definitions_.end())
    *found = std::move(kept);
  else
    definitions_.push_back(std::move(kept));
}

bool ServerCache::update(const Element &update) {
  const auto found = find(deviceOf(update), nameOf(update));
  if (found == definitions_.end()) return false;
  for (const char *key : {"state", "timeout", "timestamp"})
    if (const std::string *value = update.attribute(key)) setAttribute(*found, key, *value);
  if (update.name == "setBLOBVector") return true;
  for (const Element &item : update.children)
    for (Element &kept : found->children)
      if (nameOf(kept) == nameOf(item)) kept.text = item.text;
  return true;
}

void ServerCache::remove(std::string_view device, std::string_view name) {
  std::erase_if(definitions_, [&](const Element &definition) {
    return deviceOf(definition) == device && (name.empty() || nameOf(definition) == name);
  });
}

std::vector<std::string> ServerCache::replay(std::string_view device, std::string_view name) const {
  std::vector<std::string> xml;
  for (const Element &definition : definitions_)
    if (matches(definition, device, name)) xml.push_back(elementXml(definition));
  return xml;
}

}  // namespace kestor
