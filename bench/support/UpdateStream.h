// The stream the update benchmarks replay: one number vector as indiserver defines it, and its
// setNumberVector updates with a right ascension that changes in every update.
#pragma once

#include <string>

namespace bench {

inline constexpr char UPDATED_DEVICE[] = "Telescope Simulator";
inline constexpr char UPDATED_PROPERTY[] = "EQUATORIAL_EOD_COORD";
inline constexpr int UPDATES_PER_ROUND = 10000;  // one timed round of every update benchmark

// The defNumberVector of the updated property (items RA and DEC).
const std::string &definition();

// `count` updates of that property, one after another.
std::string updates(int count);

}  // namespace bench
