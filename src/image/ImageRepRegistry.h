#pragma once
// The ordered registry of image representations. Each representation claims data by its
// signature; the first one that claims the data decodes it and no other is tried after it.
// The application registers raw, FITS and XISF in that order before its windows open.

#include "image/Bitmap.h"

#include <QByteArray>
#include <QByteArrayView>

#include <vector>

struct ImageRepClass {
  const char *name;
  bool (*canInitWithData)(QByteArrayView data);
  DecodeResult (*imageRepsWithData)(const QByteArray &data);
};

namespace ImageRepRegistry {

// Appends a representation; a class already registered (same name) is left where it is.
void registerImageRepClass(const ImageRepClass &repClass);
// Registers the three representations of our own formats in the order raw, FITS, XISF.
void registerImageRepClasses();
// The registered representations in the order in which they are tried.
std::vector<ImageRepClass> registeredClasses();
// The first registered representation that claims the data, or nullptr when none does.
std::optional<ImageRepClass> claimant(QByteArrayView data);

}  // namespace ImageRepRegistry
