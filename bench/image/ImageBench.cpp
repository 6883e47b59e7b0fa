// Costs of the image path on 6000 x 4000 pictures (16-bit grey and 8-bit RGB), each next to a
// memcpy of the same bytes: decoding (next to cfitsio's bare read as well), statistics,
// automatic points, the stretched rendering at full size and at the preview's size, and the
// whole of what the pool does for a BLOB's preview.

#include "image/FITSImageRep.h"
#include "image/Image.h"
#include "image/ImageRepRegistry.h"
#include "image/ImageStatistics.h"
#include "image/PreviewScaling.h"
#include "image/RawImageRep.h"
#include "image/StretchRenderer.h"

#include <QImage>

#include <benchmark/benchmark.h>
#include <fitsio.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <random>
#include <vector>

namespace {

constexpr int64_t WIDTH = 6000;
constexpr int64_t HEIGHT = 4000;
constexpr int64_t PIXELS = WIDTH * HEIGHT;
const QSize PREVIEW(379, 300);

// Sky-like samples: a noisy background with a gradient, some saturated stars.
std::vector<uint16_t> monoSamples() {
  std::vector<uint16_t> samples(static_cast<size_t>(PIXELS));
  std::mt19937 random(7);
  std::normal_distribution<double> noise(0, 300);
  for (int64_t i = 0; i < PIXELS; ++i) {
    const double value = 2000 + 3 * double(i % WIDTH) + noise(random);
    samples[size_t(i)] = uint16_t(std::clamp(value, 0.0, 65535.0));
  }
  for (int64_t i = 0; i < PIXELS; i += 9973) samples[size_t(i)] = 65535;
  return samples;
}

const std::vector<uint16_t> &mono() {
  static const std::vector<uint16_t> samples = monoSamples();
  return samples;
}

const std::vector<uint8_t> &rgb() {
  static const std::vector<uint8_t> bytes = [] {
    std::vector<uint8_t> out(size_t(PIXELS * 3));
    const std::vector<uint16_t> &m = mono();
    for (int64_t i = 0; i < PIXELS; ++i) {
      out[size_t(3 * i)] = uint8_t(m[size_t(i)] >> 8);
      out[size_t(3 * i + 1)] = uint8_t(m[size_t(i)] >> 7);
      out[size_t(3 * i + 2)] = uint8_t(m[size_t(i)] >> 9);
    }
    return out;
  }();
  return bytes;
}

Bitmap monoBitmap() {
  return Bitmap::packed(WIDTH, HEIGHT, 16, 1, reinterpret_cast<const uint8_t *>(mono().data()), nullptr);
}

Bitmap rgbBitmap() { return Bitmap::packed(WIDTH, HEIGHT, 8, 3, rgb().data(), nullptr); }

// A FITS file written by cfitsio from `count` samples of cfitsio type `dataType`.
QByteArray fitsFile(int imageType, std::vector<long> axes, int dataType, const void *samples, int64_t count) {
  size_t size = 2880;
  void *memory = std::malloc(size);
  fitsfile *fits = nullptr;
  int status = 0;
  std::vector<long> first(axes.size(), 1);
  fits_create_memfile(&fits, &memory, &size, 2880 * 1000, std::realloc, &status);
  fits_create_img(fits, imageType, int(axes.size()), axes.data(), &status);
  fits_write_pix(fits, dataType, first.data(), count, const_cast<void *>(samples), &status);
  fits_flush_file(fits, &status);
  LONGLONG headStart = 0, dataStart = 0, dataEnd = 0;
  fits_get_hduaddrll(fits, &headStart, &dataStart, &dataEnd, &status);
  fits_close_file(fits, &status);
  QByteArray out(static_cast<const char *>(memory), qsizetype(dataEnd));
  std::free(memory);
  return out;
}

// The mono samples as 16-bit FITS (BZERO 32768).
const QByteArray &monoFits() {
  static const QByteArray file = fitsFile(USHORT_IMG, {WIDTH, HEIGHT}, TUSHORT, mono().data(), PIXELS);
  return file;
}

// The RGB bytes as an 8-bit FITS cube of three planes (the planes hold the bytes in pixel order;
// only the amount of data matters here).
const QByteArray &rgbFitsCube() {
  static const QByteArray file = fitsFile(BYTE_IMG, {WIDTH, HEIGHT, 3}, TBYTE, rgb().data(), PIXELS * 3);
  return file;
}

void reportBytes(benchmark::State &state, int64_t bytes) {
  state.SetBytesProcessed(int64_t(state.iterations()) * bytes);
}

void memcpyOf(benchmark::State &state, const void *source, int64_t bytes) {
  std::vector<uint8_t> target(static_cast<size_t>(bytes));
  for (auto _ : state) {
    std::memcpy(target.data(), source, size_t(bytes));
    benchmark::DoNotOptimize(target.data());
    benchmark::ClobberMemory();
  }
  reportBytes(state, bytes);
}

// The peer for FITS decoding: the file's pixel bytes copied.
void BM_Mono_Memcpy(benchmark::State &state) { memcpyOf(state, monoFits().constData() + 2880, PIXELS * 2); }
void BM_RGB_Memcpy(benchmark::State &state) { memcpyOf(state, rgb().data(), PIXELS * 3); }

// Decoding a camera's FITS frame while the frame before is still shown (and so in memory), as the
// preview does: the buffer of the frame before that is reused.
void decodeFitsWhileShown(benchmark::State &state, const QByteArray &file, int64_t pixelBytes) {
  std::shared_ptr<const void> shown = FITSImageRep::imageRepsWithData(file).bitmap->owner;
  for (auto _ : state) {
    const DecodeResult next = FITSImageRep::imageRepsWithData(file);
    benchmark::DoNotOptimize(next.bitmap->pixels);
    shown = next.bitmap->owner;
  }
  reportBytes(state, pixelBytes);
}

void BM_Mono_FitsDecode(benchmark::State &state) { decodeFitsWhileShown(state, monoFits(), PIXELS * 2); }

// The peer for FITS decoding: open, one fits_read_pix into a buffer reused from frame to frame,
// close.
void BM_Mono_BareFitsReadPix(benchmark::State &state) {
  const QByteArray &file = monoFits();
  std::unique_ptr<uint16_t[]> buffer(new uint16_t[size_t(PIXELS)]);
  for (auto _ : state) {
    void *memory = const_cast<char *>(file.constData());
    size_t size = size_t(file.size());
    fitsfile *fits = nullptr;
    int status = 0;
    long first[2] = {1, 1};
    fits_open_memfile(&fits, "", READONLY, &memory, &size, 0, nullptr, &status);
    fits_read_pix(fits, TUSHORT, first, PIXELS, nullptr, buffer.get(), nullptr, &status);
    fits_close_file(fits, &status);
    benchmark::DoNotOptimize(buffer.get());
  }
  reportBytes(state, PIXELS * 2);
}

void BM_RGB_FitsCubeDecode(benchmark::State &state) { decodeFitsWhileShown(state, rgbFitsCube(), PIXELS * 3); }

void BM_RGB_RawDecode(benchmark::State &state) {
  const QByteArray header("RAW3\x70\x17\x00\x00\xa0\x0f\x00\x00", 12);
  const QByteArray file = header + QByteArray(reinterpret_cast<const char *>(rgb().data()), PIXELS * 3);
  for (auto _ : state) benchmark::DoNotOptimize(RawImageRep::imageRepsWithData(file));
  reportBytes(state, PIXELS * 3);
}

void statisticsOf(benchmark::State &state, const Bitmap &bitmap, int64_t bytes) {
  for (auto _ : state) benchmark::DoNotOptimize(ImageStatistics::compute(bitmap));
  reportBytes(state, bytes);
}

void BM_Mono_Statistics(benchmark::State &state) { statisticsOf(state, monoBitmap(), PIXELS * 2); }
void BM_RGB_Statistics(benchmark::State &state) { statisticsOf(state, rgbBitmap(), PIXELS * 3); }

void BM_AutomaticPoints(benchmark::State &state) {
  const ImageStatistics stats = *ImageStatistics::compute(monoBitmap());
  for (auto _ : state) benchmark::DoNotOptimize(automaticPoints(stats.histo, PIXELS, 16));
}

void renderingOf(benchmark::State &state, const Bitmap &bitmap, int64_t bytes, QSize size) {
  const AutomaticPoints points = ImageStatistics::compute(bitmap)->automaticPoints;
  QImage target;
  StretchRenderer::render(bitmap, {points.black, points.white}, true, target, size);  // the buffer, once
  for (auto _ : state)
    benchmark::DoNotOptimize(StretchRenderer::render(bitmap, {points.black, points.white}, true, target, size));
  reportBytes(state, bytes);
}

const QSize PREVIEW_SIZE = PreviewScaling::fittedSize(QSize(WIDTH, HEIGHT), PREVIEW);

void BM_Mono_Rendering(benchmark::State &state) { renderingOf(state, monoBitmap(), PIXELS * 2, {}); }
void BM_RGB_Rendering(benchmark::State &state) { renderingOf(state, rgbBitmap(), PIXELS * 3, {}); }
void BM_Mono_PreviewRendering(benchmark::State &state) { renderingOf(state, monoBitmap(), PIXELS * 2, PREVIEW_SIZE); }
void BM_RGB_PreviewRendering(benchmark::State &state) { renderingOf(state, rgbBitmap(), PIXELS * 3, PREVIEW_SIZE); }

// What the pool does for each new frame of a 16-bit camera, from the BLOB's bytes to the
// picture for the view: decoding (while the frame before is kept), statistics, the rendering
// at the preview's size.
void BM_Mono_BlobToPreview(benchmark::State &state) {
  ImageRepRegistry::registerImageRepClasses();
  const QByteArray &file = monoFits();
  auto shown = std::make_shared<Image>(file, QStringLiteral(".fits"));
  for (auto _ : state) {
    auto next = std::make_shared<Image>(file, QStringLiteral(".fits"));
    const RenderingPoints points{next->autoBlackPoint(), next->autoWhitePoint()};
    benchmark::DoNotOptimize(next->rendering(points, true, PREVIEW_SIZE));
    shown = std::move(next);
  }
  reportBytes(state, PIXELS * 2);
}

}  // namespace

BENCHMARK(BM_Mono_Memcpy)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Mono_BareFitsReadPix)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Mono_FitsDecode)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Mono_Statistics)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Mono_Rendering)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Mono_PreviewRendering)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Mono_BlobToPreview)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RGB_Memcpy)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RGB_RawDecode)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RGB_FitsCubeDecode)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RGB_Statistics)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RGB_Rendering)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RGB_PreviewRendering)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_AutomaticPoints)->Unit(benchmark::kMicrosecond);

BENCHMARK_MAIN();
