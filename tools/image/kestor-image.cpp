// kestor-image FILE [--png OUT]: decodes an image file the way the panel decodes a BLOB of the
// same format (the file's extension) and prints what came of it; with --png, writes the
// stretched rendering between the automatic points. For checking files by hand and for
// replaying fuzz findings.

#include "image/Image.h"
#include "image/ImageRepRegistry.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>

#include <cstdio>

namespace {

int usage() {
  std::fputs("usage: kestor-image FILE [--png OUT]\n", stderr);
  return 2;
}

void print(const char *label, long long value) { std::printf("%-22s %lld\n", label, value); }

}  // namespace

int main(int argc, char **argv) {
  QCoreApplication app(argc, argv);
  const QStringList args = app.arguments().mid(1);
  if (args.size() != 1 && !(args.size() == 3 && args[1] == u"--png")) return usage();
  const QString path = args[0];

  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) {
    std::fprintf(stderr, "kestor-image: %s: %s\n", qPrintable(path), qPrintable(file.errorString()));
    return 1;
  }
  ImageRepRegistry::registerImageRepClasses();
  const QString suffix = QFileInfo(path).suffix();
  Image image(file.readAll(), suffix.isEmpty() ? QString() : u'.' + suffix);

  const std::optional<Bitmap> &bitmap = image.originalImageRep();
  if (!bitmap) {
    std::printf("no image (%s): %s\n", qPrintable(image.decoder()), qPrintable(image.failureReason()));
    return 1;
  }
  std::printf("%-22s %s\n", "decoder", qPrintable(image.decoder()));
  print("width", image.width());
  print("height", image.height());
  print("bits per sample", bitmap->bitsPerSample);
  print("channels", bitmap->samplesPerPixel);
  print("bits per pixel", bitmap->bitsPerPixel);
  if (const std::optional<ImageStatistics> &stats = image.imageStatistics()) {
    print("min", stats->min);
    print("max", stats->max);
    print("average", stats->average);
    print("median", stats->median);
  } else {
    std::printf("no statistics: fewer than 4 pixels\n");
  }
  print("automatic black point", image.autoBlackPoint());
  print("automatic white point", image.autoWhitePoint());

  if (args.size() == 3) {
    image.setBlackPoint(image.autoBlackPoint());
    image.setWhitePoint(image.autoWhitePoint());
    const QImage rendering = image.image();
    if (rendering.isNull()) {
      std::fprintf(stderr, "kestor-image: no rendering for %d bits per pixel\n", bitmap->bitsPerPixel);
      return 1;
    }
    if (!rendering.save(args[2], "PNG")) {
      std::fprintf(stderr, "kestor-image: cannot write %s\n", qPrintable(args[2]));
      return 1;
    }
  }
  return 0;
}
