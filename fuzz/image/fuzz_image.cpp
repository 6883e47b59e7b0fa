// Fuzzes the whole decode entry as a BLOB takes it: the registered representations, then Qt's
// image readers and LibRaw, the properties (Exiv2, LibRaw, Qt's text keys), the statistics, the
// histogram picture and the rendering.

#include "image/Image.h"
#include "image/ImageRepRegistry.h"
#include "image/PlatformImageDecoder.h"

#include <QImageReader>

extern "C" int LLVMFuzzerInitialize(int *, char ***) {
  ImageRepRegistry::registerImageRepClasses();
  // The platform decoder raises Qt's allocation limit once; keep the fuzzer's images smaller
  // than its memory limit.
  PlatformImageDecoder::decode(QByteArray());
  QImageReader::setAllocationLimit(64);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  Image image(QByteArray(reinterpret_cast<const char *>(data), qsizetype(size)), QStringLiteral(".fits"));
  image.setBlackPoint(image.autoBlackPoint());
  image.setWhitePoint(image.autoWhitePoint());
  image.image();
  return 0;
}
