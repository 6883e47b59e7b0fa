// One object of the sky model as catalogued: where it is (J2000) and how it looks. Plain data, so a
// catalogue of tens of thousands is one array.
#pragma once

#include <QString>

#include <cstdint>

struct SkyObject {
  double j2kRA = 0;   // hours
  double j2kDec = 0;  // degrees
  float pmra = 0;     // mas/yr (mu_alpha * cos delta)
  float pmdec = 0;    // mas/yr
  float px = 0;       // mas
  float rv = 0;       // km/s
  float mag = 0;
  float diameter = 0;                // degrees
  int32_t id = 0;                    // HIP number, body number or 0
  const char *name = nullptr;        // UTF-8 in storage that outlives the model; null when none
  const char *commonName = nullptr;  // deep-sky objects: joined to name by ", " when there is one

  bool hasName() const { return name != nullptr; }
  // The whole name: "NGC224, M31, Andromeda Galaxy".
  QString nameText() const;

  // Degrees across for a catalogued size in arcminutes; 0 means "from the magnitude" (at most a
  // degree). A size that is not a number counts as given.
  static float diameterFor(float mag, float arcminutes);
};

// The lists of the sky model whose objects can be selected.
enum class SkyList : uint8_t { Stars, DeepSky, Bodies };

// Where an object is in the sky model.
struct SkyRef {
  SkyList list;
  uint32_t index;
  bool operator==(const SkyRef &) const = default;
};
