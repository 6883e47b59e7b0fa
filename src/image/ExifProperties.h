#pragma once
// The EXIF data that an image file carries (a JPEG's APP1 segment, a TIFF's EXIF directory,
// WebP's and PNG's EXIF chunks), read by Exiv2: every entry of the EXIF directory, and the
// camera's make and model from the first directory, keyed by their EXIF names ("ExposureTime",
// "FNumber", "ISOSpeedRatings", "Make", ...). Text becomes a string, integers and fractions
// numbers (a list of them for several), other bytes a byte array.

#include <QByteArray>
#include <QVariantMap>

#include <optional>

namespace ExifProperties {

// Nothing when Exiv2 does not read the data or it carries no EXIF. Any thread.
std::optional<QVariantMap> read(const QByteArray &data);

}  // namespace ExifProperties
