// Fuzzes the XISF representation: decoding, then the statistics and the rendering of what it decoded.

#include "ExerciseBitmap.h"

#include "image/XISFImageRep.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
  if (XISFImageRep::canInitWithData(bytes)) exerciseBitmap(XISFImageRep::imageRepsWithData(bytes));
  return 0;
}
