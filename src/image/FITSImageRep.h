#pragma once
// The image of a FITS file held in memory, read through cfitsio: the primary unit's, or when that
// holds none the first image extension's (tile-compressed .fits.fz files). 8- or 16-bit grey
// (NAXIS 2) or 8-bit RGB made from the first three planes of a cube (NAXIS 3). The pixels are
// decoded into a buffer of the bitmap's own (reused from an earlier frame of the same size, see
// PixelBuffers); rows keep the file's order, first row on top.

#include "image/ImageRepRegistry.h"

struct FITSImageRep {
  // True when the data begins with "SIMPLE".
  static bool canInitWithData(QByteArrayView data);
  static DecodeResult imageRepsWithData(const QByteArray &data);
  static ImageRepClass imageRepClass();
};
