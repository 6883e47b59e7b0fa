// The elements the library sends to a server, names translated back to the server's own.
#pragma once

#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace kestor {

// <getProperties version="1.7"/>, limited to a device and a property when they are not empty.
std::string getPropertiesXml(std::string_view device, std::string_view property);

// <newTextVector>, <newNumberVector> or <newSwitchVector> (`type` is "Text", "Number" or
// "Switch") with one element per (item name, value text) pair.
std::string newVectorXml(std::string_view type, std::string_view device, std::string_view property,
                         const std::vector<std::pair<std::string, std::string>> &items);

// <enableBLOB device=… name=…>Never</enableBLOB> for mode 1, "Also" for any other mode.
std::string enableBlobXml(std::string_view device, std::string_view property, unsigned mode);

std::string pingReplyXml(std::string_view uid);

}  // namespace kestor
