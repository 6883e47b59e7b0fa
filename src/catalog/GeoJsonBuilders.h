// Builders of the gzip-compressed GeoJSON catalogue resources of the in-process server: each turns
// a compiled-in catalogue into GeoJSON, compresses it and registers it with the server under
// "/data/…" as "application/json; charset=utf-8". Positions are apparent places of now, computed
// into the builders' own storage: the catalogue tables are never changed. Each returns the
// compressed bytes it registered, or nothing (and registers nothing) when compression fails.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Stars not fainter than the limit (a star without a magnitude too): "/data/stars.json".
std::vector<uint8_t> build_stars_json(int32_t magnitudeLimit);
// Deep-sky objects whose stored magnitude (0 when they have none) is not above the limit:
// "/data/dsos.json".
std::vector<uint8_t> build_dsos_json(int32_t magnitudeLimit);
// The constellation figures as one MultiLineString: "/data/constellations.lines.json".
std::vector<uint8_t> build_constellation_lines_json();

// Appends one figure polyline "[[lon,lat],…]" (preceded by "," unless it is the first line);
// HIP numbers without a catalogue star are skipped. Returns the number of characters written.
size_t append_constellation_line(std::string &out, const std::vector<int> &hips, bool firstLine);

// The uncompressed texts, as the builders compress them.
std::string stars_json_text(int32_t magnitudeLimit);
std::string dsos_json_text(int32_t magnitudeLimit);
std::string constellation_lines_json_text();
