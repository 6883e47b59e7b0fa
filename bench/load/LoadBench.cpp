// bench_load [SECONDS [IMAGES]]: number updates at 1,000 per second for SECONDS (60) and then
// IMAGES (20) images of 6000 × 4000 16-bit pixels (48 MB each) in a row, through indiserver
// running our load driver into the shown control panel (offscreen unless QT_QPA_PLATFORM says
// otherwise). Prints the figures; exits 1 when a goal was missed, 2 when the panel did not come up.
#include "BlobLoad.h"
#include "LoadPanel.h"
#include "ScratchRun.h"
#include "UpdateLoad.h"

#include <QApplication>

#include <cstdio>
#include <cstdlib>

namespace {

bool report(const QString &summary, const QStringList &misses) {
  std::printf("%s\n", qPrintable(summary));
  for (const QString &miss : misses) std::printf("  MISSED: %s\n", qPrintable(miss));
  return misses.isEmpty();
}

}  // namespace

int main(int argc, char **argv) {
  const double seconds = argc > 1 ? std::atof(argv[1]) : 60;
  const int images = argc > 2 ? std::atoi(argv[2]) : 20;
  const ScratchRun run;
  if (!run.ok()) return 2;
  QApplication application(argc, argv);

  LoadPanel panel;
  if (!panel.ok()) {
    std::fprintf(stderr, "%s\n", qPrintable(panel.failure()));
    return 2;
  }
  const UpdateFigures updates = runUpdateLoad(panel, 1000, seconds);
  const bool updatesMet = report(updates.summary(), updates.misses());
  const BlobFigures blobs = runBlobLoad(panel, images, 6000, 4000);
  const bool blobsMet = report(blobs.summary(), blobs.misses() + blobs.timingMisses());
  return updatesMet && blobsMet ? 0 : 1;
}
