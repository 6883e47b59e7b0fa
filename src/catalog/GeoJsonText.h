// Pieces of the GeoJSON catalogue texts: numbers written the same under every locale, JSON string
// escaping, map longitude from right ascension, and the split of a star's name.
#pragma once

#include <string>
#include <string_view>
#include <utility>

namespace geojson {

// The number with a fixed count of decimals ("%.<decimals>f" in the C locale); a value that is
// not a number or infinite becomes null, which JSON can carry.
void appendNumber(std::string &out, double value, int decimals);

// The text as the inside of a JSON string: quotes, backslashes and control characters escaped.
void appendEscaped(std::string &out, std::string_view text);

// Longitude in degrees in (-180, 180]: RA × 15 up to 12 h, else (RA − 24) × 15.
double longitude(double raHours);

// A star name "designation, proper name" split at its last comma: {proper name, designation}.
// Without a comma the whole name is the designation; a missing name gives two empty texts.
std::pair<std::string, std::string> splitStarName(const char *name);

}  // namespace geojson
