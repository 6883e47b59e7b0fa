// Base64 text made for the tests (the library only decodes).
#pragma once

#include <string>
#include <string_view>

// The bytes in base64 with padding; a line break after every `lineLength` characters when not 0.
std::string encodeBase64(std::string_view bytes, size_t lineLength = 0);
