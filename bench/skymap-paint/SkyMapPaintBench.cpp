// One paint of the mount widget's sky map (a 377 x 290 viewport on the map) with the real
// catalogues at a fixed site and instant: at the default settings (zoom 10, magnitude limit 5) and
// at magnitude limit 8 with zoom 12, each with the cached layers kept (the usual paint) and with
// them rebuilt (the first paint after a recomputation or zoom change), at 1 and 2 device pixels per
// point.
#include <QApplication>
#include <QDeadlineTimer>
#include <QImage>
#include <QScrollArea>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>
#include <kestor.h>

#include <memory>

#include "core/Globals.h"
#include "core/Settings.h"
#include "skymap/MapView.h"

namespace {

constexpr double JD_2026_12_06_22H_UTC = 2461381.4166666665;

struct Scene {
  QScrollArea area;
  MapView *map = nullptr;

  Scene(double zoom, int magnitudeLimit) {
    UserDefaults::write(Setting::MAGNITUDE_LIMIT, magnitudeLimit);
    map = new MapView(QRect(0, 0, 1024, 1024));
    area.setFixedSize(377, 290);
    area.setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    area.setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    area.setFrameShape(QFrame::NoFrame);
    area.setWidget(map);
    area.show();
    // Positions for the site: wait until the recomputation has moved the stars.
    const SkyPlaces *before = &map->places();
    map->update(48.2, 16.37, 200);
    const QDeadlineTimer deadline(20000);
    while (&map->places() == before && !deadline.hasExpired())
      QApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    map->setZoom(zoom);
    // The Milky Way runs near the zenith at this instant: centre on the zenith.
    auto zenith = std::make_shared<MapEntry>();
    zenith->alt = 90;
    map->centerOn(zenith);
  }

  QRect visible() const { return QRect(map->mapFrom(area.viewport(), QPoint(0, 0)), area.viewport()->size()); }
};

void paint(benchmark::State &state, double zoom, int magnitudeLimit, bool rebuild) {
  Scene scene(zoom, magnitudeLimit);
  const double dpr = static_cast<double>(state.range(0));
  QImage image(scene.area.viewport()->size() * dpr, QImage::Format_ARGB32_Premultiplied);
  image.setDevicePixelRatio(dpr);
  const QRegion region(scene.visible());
  scene.map->render(&image, QPoint(), region);  // builds the caches
  for (auto _ : state) {
    if (rebuild) scene.map->dropLayers();
    scene.map->render(&image, QPoint(), region);
  }
}

void defaultSettings(benchmark::State &state) { paint(state, 10, 5, false); }
void limit8Zoom12(benchmark::State &state) { paint(state, 12, 8, false); }
void defaultSettingsRebuilt(benchmark::State &state) { paint(state, 10, 5, true); }
void limit8Zoom12Rebuilt(benchmark::State &state) { paint(state, 12, 8, true); }

BENCHMARK(defaultSettings)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond);
BENCHMARK(limit8Zoom12)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond);
BENCHMARK(defaultSettingsRebuilt)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(limit8Zoom12Rebuilt)->Arg(1)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char **argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QTemporaryDir scratch;
  qputenv("XDG_CONFIG_HOME", scratch.path().toUtf8());
  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("kestor-skymap-bench"));
  kestor_set_astro_time(JD_2026_12_06_22H_UTC);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
