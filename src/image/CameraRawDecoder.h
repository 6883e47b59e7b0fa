#pragma once
// Camera raw files (".nef", ".arw") demosaiced by LibRaw straight from memory into 8-bit RGB;
// nothing is written to disk.

#include "image/Bitmap.h"

#include <QByteArray>

struct CameraRawDecoder {
  static DecodeResult decode(const QByteArray &data);
};
