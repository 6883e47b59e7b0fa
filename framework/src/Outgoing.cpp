#include "Outgoing.h"

#include "Names.h"
#include "Text.h"

#include <kestor.h>

namespace kestor {

namespace {

std::string attribute(std::string_view key, std::string_view value) {
  return " " + std::string(key) + "=\"" + xmlEscape(value) + "\"";
}

std::string target(std::string_view device, std::string_view property) {
  std::string text;
  if (!device.empty()) text += attribute("device", device);
  if (!property.empty()) text += attribute("name", translateProperty(property, Direction::ToServer));
  return text;
}

}  // namespace

std::string getPropertiesXml(std::string_view device, std::string_view property) {
  return "<getProperties version=\"1.7\"" + target(device, property) + "/>\n";
}

std::string newVectorXml(std::string_view type, std::string_view device, std::string_view property,
                         const std::vector<std::pair<std::string, std::string>> &items) {
  const std::string vector = "new" + std::string(type) + "Vector";
  const std::string one = "one" + std::string(type);
  std::string xml = "<" + vector + target(device, property) + ">\n";
  for (const auto &[name, value] : items)
    xml += "  <" + one + attribute("name", translateItem(property, name, Direction::ToServer)) + ">" +
           xmlEscape(value) + "</" + one + ">\n";
  return xml + "</" + vector + ">\n";
}

std::string enableBlobXml(std::string_view device, std::string_view property, unsigned mode) {
  return "<enableBLOB" + target(device, property) + ">" + (mode == KESTOR_BLOB_NEVER ? "Never" : "Also") +
         "</enableBLOB>\n";
}

std::string pingReplyXml(std::string_view uid) { return "<pingReply" + attribute("uid", uid) + "/>\n"; }

}  // namespace kestor
