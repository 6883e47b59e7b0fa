#include "ServerXml.h"

#include "Text.h"

namespace kestor {

namespace {

void openTag(std::string &xml, const Element &element) {
  xml += '<';
  xml += element.name;
  for (const auto &[key, value] : element.attributes) {
    xml += ' ';
    xml += key;
    xml += "=\"";
    xml += xmlEscape(value);
    xml += '"';
  }
}

void write(std::string &xml, const Element &element, std::string_view text) {
  openTag(xml, element);
  if (text.empty() && element.children.empty()) {
    xml += "/>\n";
    return;
  }
  xml += '>';
  xml += xmlEscape(text);
  if (!element.children.empty()) xml += '\n';
  for (const Element &child : element.children) {
    xml += "  ";
    write(xml, child, trim(child.text));
  }
  xml += "</";
  xml += element.name;
  xml += ">\n";
}

}  // namespace

std::string elementXml(const Element &element) {
  std::string xml;
  write(xml, element, element.children.empty() ? std::string_view(element.text) : std::string_view());
  return xml;
}

std::string deletePropertyXml(std::string_view device, std::string_view name) {
  std::string xml = "<delProperty device=\"" + xmlEscape(device) + "\"";
  if (!name.empty()) xml += " name=\"" + xmlEscape(name) + "\"";
  return xml + "/>\n";
}

}  // namespace kestor
