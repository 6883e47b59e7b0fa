#pragma once
// The framework's raw image format: "RAW1" 8-bit grey, "RAW2" 16-bit little-endian grey or
// "RAW3" 8-bit RGB; a 12-byte header (signature, width, height as little-endian 32-bit words)
// and then the pixels, rows from the top without padding. The bitmap points into the data.

#include "image/ImageRepRegistry.h"

struct RawImageRep {
  // True when the data begins with "RAW", whatever the fourth character.
  static bool canInitWithData(QByteArrayView data);
  static DecodeResult imageRepsWithData(const QByteArray &data);
  static ImageRepClass imageRepClass();
};
