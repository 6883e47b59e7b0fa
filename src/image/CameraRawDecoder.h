#pragma once
// Camera raw files (".nef" and ".arw" by their format, any other that LibRaw recognises by its
// content) demosaiced by LibRaw straight from memory into 8-bit RGB; nothing is written to disk.

#include "image/Bitmap.h"

#include <QByteArray>
#include <QVariantMap>

#include <optional>

struct CameraRawDecoder {
  // Whether LibRaw recognises the data as a camera raw file (reading its header only).
  static bool recognises(const QByteArray &data);
  static DecodeResult decode(const QByteArray &data);
  // What LibRaw reports of the shot, under the EXIF names: "Make", "Model", "ISOSpeedRatings",
  // "ExposureTime", "FNumber", "FocalLength" (numbers) and "DateTimeOriginal" (local time, as
  // EXIF writes it). What it does not know is left out; nothing when it knows none of them.
  static std::optional<QVariantMap> properties(const QByteArray &data);
};
